#pragma once

// Pictures crossing between the core and Qt without copies: a decoded picture shown as a QImage,
// a QImage handed to the file writers.

#include <optional>

#include <QImage>

#include "base/pixel_block.h"
#include "tga/picture.h"

namespace snapvale {

// A QImage (Format_RGB32) that takes over the picture's pixel block; the picture is left empty.
QImage ToQImage(Picture&& picture);

// The decoded picture of a TGA file, or a null QImage when the file gives no picture.
QImage LoadTGAImage(const std::string& path);

// The pixels of `image`, which must be Format_RGB32; the block borrows them for as long as the
// image lives unchanged.
PixelBlock PixelsOf(const QImage& image);

} // namespace snapvale
