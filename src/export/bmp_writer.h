#pragma once

// Windows bitmap files of the view or a region of it.

#include <string>

#include "base/pixel_block.h"
#include "os/status.h"

namespace snapvale {

// The block as a 24-bit Windows bitmap file (BITMAPINFOHEADER, rows bottom first, each padded
// to four bytes). Empty for an empty block.
std::string EncodeBmp(const PixelBlock& block);

// Writes the block as a 24-bit Windows bitmap at exactly `path`, replacing any file there
// atomically. When it cannot be written the earlier file stays untouched, and the result says why.
Status WriteBmp(const std::string& path, const PixelBlock& block);

} // namespace snapvale
