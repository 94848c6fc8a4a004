#pragma once

// Windows bitmap files of the view or a region of it.

#include <string>

#include "base/pixel_block.h"

namespace snapvale {

// The block as a 24-bit Windows bitmap file (BITMAPINFOHEADER, rows bottom first, each padded
// to four bytes). Empty for an empty block.
std::string EncodeBmp(const PixelBlock& block);

// Writes the block as a 24-bit Windows bitmap at exactly `path`, replacing any file there
// atomically. False, with the earlier file untouched, when it cannot be written.
bool WriteBmp(const std::string& path, const PixelBlock& block);

} // namespace snapvale
