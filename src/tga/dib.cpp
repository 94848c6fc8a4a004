#include "tga/dib.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>

#include "tga/checked_size.h"
#include "tga/pixel_rows.h"

namespace {

using namespace snapvale;

struct Geometry
{
    int width;
    int height;
    bool topDown;
    bool mirrored;
    std::size_t stride;
    std::size_t bufferSize;
    std::size_t pixelCount;
};

std::optional<Geometry> Measure(const BitmapInfoHeader& header)
{
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    if (header.biCompression != 0 || header.biWidth == 0 || header.biHeight == 0
        || header.biWidth == kMin || header.biHeight == kMin)
        return std::nullopt;
    Geometry g{};
    g.width = header.biWidth < 0 ? -header.biWidth : header.biWidth;
    g.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    g.mirrored = header.biWidth < 0;
    g.topDown = header.biHeight < 0;
    // Picture::bytesPerLine() is an int.
    if (g.width > std::numeric_limits<int>::max() / 4)
        return std::nullopt;
    g.stride = DibRowStride(g.width, header.biBitCount);
    const auto rows = static_cast<std::size_t>(g.height);
    const std::optional<std::size_t> bufferSize = CheckedMultiply(g.stride, rows);
    const std::optional<std::size_t> pixelCount =
        CheckedMultiply(static_cast<std::size_t>(g.width), rows);
    if (g.stride == 0 || !bufferSize || !pixelCount || *pixelCount > kMaxPicturePixels)
        return std::nullopt;
    g.bufferSize = *bufferSize;
    g.pixelCount = *pixelCount;
    return g;
}

} // namespace

namespace snapvale {

std::size_t DibRowStride(std::int64_t width, int bitCount)
{
    if (width <= 0 || (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32))
        return 0;
    // Rows are limited to what a 32-bit size can describe, so this cannot overflow.
    if (width > std::numeric_limits<std::uint32_t>::max() / 4)
        return 0;
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * (bitCount / 8);
    return static_cast<std::size_t>((rowBytes + 3) & ~std::uint64_t{ 3 });
}

void PixelBuffer::Borrow(std::span<const std::uint8_t> bytes)
{
    owned_.reset();
    bytes_ = bytes;
}

std::uint8_t* PixelBuffer::Allocate(std::size_t size)
{
    owned_.reset(new (std::nothrow) std::uint8_t[size]);
    bytes_ = owned_ ? std::span<const std::uint8_t>(owned_.get(), size)
                    : std::span<const std::uint8_t>();
    return owned_.get();
}

std::optional<Picture> CreatePictureFromDIB(const void* buffer, const BitmapInfo& info)
{
    const auto* bits = static_cast<const std::uint8_t*>(buffer);
    const std::optional<Geometry> g = Measure(info.bmiHeader);
    if (!g || bits == nullptr)
        return std::nullopt;

    const PixelConverter convert = PixelConverterFor(info.bmiHeader.biBitCount);
    const std::array<std::uint32_t, 256> colours = ColourWords(info.bmiColors);
    std::unique_ptr<std::uint32_t[]> pixels(new (std::nothrow) std::uint32_t[g->pixelCount]);
    if (!pixels)
        return std::nullopt;
    const auto width = static_cast<std::size_t>(g->width);
    for (int row = 0; row < g->height; ++row) {
        const int top = g->topDown ? row : g->height - 1 - row;
        std::uint32_t* dst = pixels.get() + static_cast<std::size_t>(top) * width;
        convert(bits + static_cast<std::size_t>(row) * g->stride, dst, g->width, colours.data());
        if (g->mirrored)
            std::reverse(dst, dst + width);
    }
    return Picture(g->width, g->height, std::move(pixels));
}

std::optional<Picture> CreatePictureFromDIB(
    std::span<const std::uint8_t> bits, const BitmapInfo& info)
{
    const std::optional<Geometry> g = Measure(info.bmiHeader);
    if (!g || bits.size() < g->bufferSize)
        return std::nullopt;
    return CreatePictureFromDIB(bits.data(), info);
}

} // namespace snapvale
