#pragma once

// The device-independent bitmap the TGA decoder produces: a BITMAPINFO-shaped record with a full
// 256-entry colour table, a pixel buffer in that format's row layout, and the step that turns the
// two into a Picture.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "tga/picture.h"

namespace snapvale {

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

struct RGBQuad
{
    std::uint8_t rgbBlue;
    std::uint8_t rgbGreen;
    std::uint8_t rgbRed;
    std::uint8_t rgbReserved;
};

struct BitmapInfo
{
    BitmapInfoHeader bmiHeader;
    RGBQuad bmiColors[256];
};

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(RGBQuad) == 4);
static_assert(sizeof(BitmapInfo) == 1064);

constexpr std::uint32_t kBitmapInfoHeaderSize = 40;

// Bytes one buffer row occupies: width * bits / 8 rounded up to a multiple of 4. Zero when the
// arguments are out of range or the row would not fit in 32 bits.
std::size_t DibRowStride(std::int64_t width, int bitCount);

// The pixel buffer: either a view of bytes someone else owns (an uncompressed file's pixel block
// needs no copy when its rows have no filler) or a block of its own.
class PixelBuffer
{
public:
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }

    // The buffer becomes a view; the bytes must outlive it.
    void Borrow(std::span<const std::uint8_t> bytes);
    // The buffer becomes a fresh block of size bytes with unspecified contents; nullptr when it
    // cannot be allocated.
    std::uint8_t* Allocate(std::size_t size);

private:
    std::unique_ptr<std::uint8_t[]> owned_;
    std::span<const std::uint8_t> bytes_;
};

// Builds the picture from a record and the first byte of a buffer of |biHeight| rows of
// DibRowStride bytes. 8-bit pixels take the colour table as literal colours; 16-bit pixels are
// 5-5-5 with bit 15 ignored; 24- and 32-bit pixels are blue, green, red (and an ignored fourth
// byte). A negative height means the first row is the top row; a negative width mirrors every row.
// No picture for a record that describes no bitmap (size, planes, depth, compression, zero or
// absurd dimensions) or a picture too large to allocate.
std::optional<Picture> CreatePictureFromDIB(const void* bits, const BitmapInfo& info);
// As above, and no picture either when the buffer is shorter than the record says.
std::optional<Picture> CreatePictureFromDIB(
    std::span<const std::uint8_t> bits, const BitmapInfo& info);

} // namespace snapvale
