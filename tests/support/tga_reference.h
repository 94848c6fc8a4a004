#pragma once

// A second way to decode a TGA file, in the steps of a device-independent bitmap: the pixel data
// into a buffer in the bitmap's own row layout (rows in file order, each padded to four bytes)
// described by a BITMAPINFO-shaped record, then record and buffer into a Picture. Written plainly
// and apart from the program's one-pass decoder (it shares only the header and colour-map steps),
// so that the fuzzer and the tests can hold the decoder to it: both must give the same picture,
// or both none, for every file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tga/byte_reader.h"
#include "tga/picture.h"
#include "tga/pixel_rows.h"

namespace snapvale::test {

// Field names are the platform's own, so the record reads like the format it copies.
struct BitmapInfoHeader
{
    std::uint32_t biSize;
    std::int32_t biWidth; // negative: each row is stored right to left
    std::int32_t biHeight; // negative: the first buffer row is the top row
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};

struct BitmapInfo
{
    BitmapInfoHeader bmiHeader;
    RGBQuad bmiColors[256];
};

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(BitmapInfo) == 1064);

// Bytes one buffer row occupies: width * bits / 8 rounded up to a multiple of 4.
std::size_t DibRowStride(std::size_t width, int bitCount);

// Fill `pixels` with `height` rows of DibRowStride bytes in file order (filler bytes zero), from
// plain or run-length encoded pixel data at the reader's position. False, before anything is
// allocated, when the picture would be larger than kMaxPicturePixels or the rest of the data
// cannot hold it, and false when the data end early.
bool LoadImage(
    std::vector<std::uint8_t>& pixels, ByteReader& reader, int width, int height, int pixelDepth);
bool LoadImage_RLE(
    std::vector<std::uint8_t>& pixels, ByteReader& reader, int width, int height, int pixelDepth);

struct TGABitmap
{
    BitmapInfo info;
    std::vector<std::uint8_t> pixels;
};

std::optional<TGABitmap> DecodeTGABitmap(std::span<const std::uint8_t> file);

// The picture from a record and a buffer of |biHeight| rows of DibRowStride bytes: 8-bit pixels
// take the colour table as literal colours, 16-bit pixels are 5-5-5, 24- and 32-bit pixels blue,
// green, red (and an ignored fourth byte). A negative height means the first row is the top row;
// a negative width mirrors every row. No picture when the buffer is shorter than the record says.
std::optional<Picture> CreatePictureFromDIB(
    std::span<const std::uint8_t> bits, const BitmapInfo& info);

// Both steps.
std::optional<Picture> DecodeTGAInSteps(std::span<const std::uint8_t> file);

} // namespace snapvale::test
