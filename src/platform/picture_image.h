#pragma once

// Showing a decoded picture in Qt without copying or decoding it again.

#include <optional>

#include <QImage>

#include "tga/picture.h"

namespace snapvale {

// A QImage (Format_RGB32) that takes over the picture's pixel block; the picture is left empty.
QImage ToQImage(Picture&& picture);

// The decoded picture of a TGA file, or a null QImage when the file gives no picture.
QImage LoadTGAImage(const std::string& path);

} // namespace snapvale
