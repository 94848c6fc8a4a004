#pragma once

// Pictures written to files as the save format rule chooses: BMP and JPEG by the core's writers,
// PNG by Qt's, each file replaced atomically.

#include <string>

#include <QImage>

#include "os/status.h"

namespace snapvale {

// The picture as PNG bytes, lossless: 8-bit RGB for an opaque picture, RGBA otherwise. Empty
// for a null picture or when the encoder fails. Safe on any thread.
std::string EncodePng(const QImage& picture);

// Writes the picture at exactly `path` in the format FormatForPath gives (JPEG at
// `jpegQuality`), replacing any file there atomically. On failure the earlier file is untouched
// and the status says why.
Status WritePictureFile(const std::string& path, const QImage& picture, int jpegQuality);

} // namespace snapvale
