#pragma once

// Writes Truevision TGA files for tests, benchmarks and the sample-screenshot tool: any of the
// image types 1, 2, 3, 9, 10 and 11 at 8, 16, 24 or 32 bits per pixel, with or without a
// colour map, image ID, orientation bits and trailing bytes. The writer does not judge: it
// writes whatever header the layout asks for, so refused files are as easy to make as good ones.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace snapvale::test {

// The image to write, top row first, each row left to right.
struct TGAImage
{
    int width = 0;
    int height = 0;
    // 0xAARRGGBB per pixel, written at depths 16, 24 and 32 (16 bits keep the top 5 bits of each
    // channel and set bit 15 when alpha is 128 or more; 24 bits drop alpha).
    std::vector<std::uint32_t> pixels;
    // One byte per pixel, written at depth 8: palette indices, grey levels, or whatever an
    // 8-bit true-colour file should hold.
    std::vector<std::uint8_t> indices;
    // Colour-map entries as 0xAARRGGBB; written whenever non-empty, whatever the image type.
    std::vector<std::uint32_t> palette;
};

enum class RlePackets {
    CrossRows, // packets run on across row ends, as most writers do
    PerRow, // every row starts a new packet
};

struct TGALayout
{
    std::uint8_t imageType = 2;
    int pixelDepth = 24;
    // Bits per colour-map entry: 24 or 32, or 15/16 (5-5-5) to make files a decoder refuses.
    int colorMapEntryBits = 24;
    // Header fields that normally follow from the image; set them to write something else.
    std::optional<std::uint8_t> colorMapType; // default: 1 with a palette, else 0
    std::optional<std::int16_t> colorMapLength; // default: the palette's size
    std::optional<std::int16_t> width; // default: image width
    std::optional<std::int16_t> height; // default: image height
    std::int16_t colorMapOrigin = 0;
    std::int16_t xOrigin = 0;
    std::int16_t yOrigin = 0;
    bool rightToLeft = false; // descriptor bit 4: each row stored right to left
    bool topToBottom = false; // descriptor bit 5: top row first
    std::uint8_t attributeBits = 0; // descriptor bits 0 to 3
    std::string imageId; // at most 255 bytes
    RlePackets packets = RlePackets::CrossRows;
    // Replaces the encoded pixels when set (hand-made packets, short or overlong data).
    std::optional<std::vector<std::uint8_t>> pixelData;
    std::vector<std::uint8_t> trailing; // written after the pixel data
};

// The whole file.
std::vector<std::uint8_t> WriteTGA(const TGAImage& image, const TGALayout& layout);

// The image's pixels in file order (row order and direction from the layout), uncompressed.
std::vector<std::uint8_t> EncodeTGAPixels(const TGAImage& image, const TGALayout& layout);

// Run-length packets for pixels of pixelBytes bytes each: runs of equal pixels become run
// packets, the rest raw packets, at most 128 pixels a packet. With rowPixels > 0 no packet
// crosses a row end.
std::vector<std::uint8_t> EncodeTGARle(
    std::span<const std::uint8_t> pixels, int pixelBytes, int rowPixels = 0);

// Writes bytes to file, replacing it; false when that fails.
bool WriteTGAFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace snapvale::test
