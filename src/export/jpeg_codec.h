#pragma once

// JPEG pictures, encoded and decoded by libjpeg-turbo.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/pixel_block.h"
#include "os/status.h"

namespace snapvale {

enum class ChromaSubsampling {
    Half, // 4:2:0, what viewers and cameras write
    Full, // 4:4:4, for small pictures whose colour edges matter
};

// The block as JPEG bytes at `quality` (1-100); empty when the block is empty or the encoder
// fails.
std::string EncodeJpeg(
    const PixelBlock& block, int quality, ChromaSubsampling chroma = ChromaSubsampling::Half);

// Decodes JPEG bytes into opaque 0xFFRRGGBB words, rows top first, into `pixels` (resized to
// width * height). False, leaving `pixels` unspecified, when the bytes are not a JPEG.
bool DecodeJpeg(
    std::string_view bytes, int& width, int& height, std::vector<std::uint32_t>& pixels);

// Writes the block as a JPEG at exactly `path` (no extension is added), replacing any file there
// atomically. When it cannot be written the earlier file stays untouched, and the result says why.
Status WriteJpeg(const std::string& path, const PixelBlock& block, int quality);

} // namespace snapvale
