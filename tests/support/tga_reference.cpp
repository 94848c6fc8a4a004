#include "support/tga_reference.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "tga/tga_loader.h"

namespace snapvale::test {

namespace {

// Bytes per pixel, and the buffer's size; nothing for a picture the decoder refuses as too large.
struct Layout
{
    std::size_t pixelBytes;
    std::size_t stride;
    std::size_t size;
};

std::optional<Layout> Measure(int width, int height, int pixelDepth)
{
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (width <= 0 || height <= 0 || w * h > kMaxPicturePixels)
        return std::nullopt;
    const std::size_t stride = DibRowStride(w, pixelDepth);
    return Layout{ static_cast<std::size_t>(pixelDepth / 8), stride, stride * h };
}

std::uint32_t Widen5(std::uint32_t channel) { return (channel << 3) | (channel >> 2); }

// One pixel of the buffer as an opaque 0xFFRRGGBB word.
std::uint32_t Word(const std::uint8_t* p, int bitCount, const RGBQuad (&colours)[256])
{
    std::uint32_t red = 0, green = 0, blue = 0;
    switch (bitCount) {
    case 8:
        red = colours[p[0]].rgbRed;
        green = colours[p[0]].rgbGreen;
        blue = colours[p[0]].rgbBlue;
        break;
    case 16: {
        const std::uint32_t v = p[0] | (p[1] << 8);
        red = Widen5((v >> 10) & 31);
        green = Widen5((v >> 5) & 31);
        blue = Widen5(v & 31);
        break;
    }
    default:
        blue = p[0];
        green = p[1];
        red = p[2];
        break;
    }
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

} // namespace

std::size_t DibRowStride(std::size_t width, int bitCount)
{
    return (width * static_cast<std::size_t>(bitCount) / 8 + 3) / 4 * 4;
}

bool LoadImage(
    std::vector<std::uint8_t>& pixels, ByteReader& reader, int width, int height, int pixelDepth)
{
    const std::optional<Layout> layout = Measure(width, height, pixelDepth);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (pixelDepth / 8);
    if (!layout || reader.remaining() < rowBytes * static_cast<std::size_t>(height))
        return false;
    pixels.assign(layout->size, 0);
    for (int y = 0; y < height; ++y) {
        const auto row = reader.Take(rowBytes);
        if (!row)
            return false;
        std::memcpy(
            pixels.data() + static_cast<std::size_t>(y) * layout->stride, row->data(), rowBytes);
    }
    return true;
}

bool LoadImage_RLE(
    std::vector<std::uint8_t>& pixels, ByteReader& reader, int width, int height, int pixelDepth)
{
    const std::optional<Layout> layout = Measure(width, height, pixelDepth);
    if (!layout)
        return false;
    const std::size_t pixelBytes = layout->pixelBytes;
    // Every packet a 128-pixel run: the least a complete file can hold.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (reader.remaining() < (count + 127) / 128 * (1 + pixelBytes))
        return false;
    pixels.assign(layout->size, 0);
    int x = 0;
    int y = 0;
    std::size_t at = 0;
    std::uint8_t pixel[4] = {};
    while (y < height) {
        const auto header = reader.Take(1);
        if (!header)
            return false;
        const bool run = ((*header)[0] & 0x80) != 0;
        const int repeat = ((*header)[0] & 0x7F) + 1;
        for (int i = 0; i < repeat && y < height; ++i) {
            if (i == 0 || !run) {
                const auto value = reader.Take(pixelBytes);
                if (!value)
                    return false;
                std::memcpy(pixel, value->data(), pixelBytes);
            }
            std::memcpy(pixels.data() + at, pixel, pixelBytes);
            at += pixelBytes;
            if (++x == width) {
                x = 0;
                ++y;
                at = static_cast<std::size_t>(y) * layout->stride;
            }
        }
    }
    return true;
}

std::optional<TGABitmap> DecodeTGABitmap(std::span<const std::uint8_t> file)
{
    ByteReader reader(file);
    TGABitmap bitmap{};
    TGAReason why = TGAReason::NotTGA;
    const std::optional<TGAHeader> header = ReadUpToPixels(reader, bitmap.info.bmiColors, why);
    if (!header)
        return std::nullopt;
    const int depth = header->PixelDepth;
    const bool decoded = header->ImageType >= 9
        ? LoadImage_RLE(bitmap.pixels, reader, header->Width, header->Height, depth)
        : LoadImage(bitmap.pixels, reader, header->Width, header->Height, depth);
    if (!decoded)
        return std::nullopt;

    BitmapInfoHeader& info = bitmap.info.bmiHeader;
    info.biSize = 40;
    info.biWidth = (header->Descriptor & kRightToLeft) ? -header->Width : header->Width;
    info.biHeight = (header->Descriptor & kTopToBottom) ? -header->Height : header->Height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<std::uint16_t>(depth);
    return bitmap;
}

std::optional<Picture> CreatePictureFromDIB(
    std::span<const std::uint8_t> bits, const BitmapInfo& info)
{
    const BitmapInfoHeader& header = info.bmiHeader;
    const int width = std::abs(header.biWidth);
    const int height = std::abs(header.biHeight);
    const int bitCount = header.biBitCount;
    const std::optional<Layout> layout = Measure(width, height, bitCount);
    if (!layout || bits.size() < layout->size)
        return std::nullopt;
    const auto w = static_cast<std::size_t>(width);
    auto pixels = std::make_unique<std::uint32_t[]>(w * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const int top = header.biHeight < 0 ? row : height - 1 - row;
        const std::uint8_t* in = bits.data() + static_cast<std::size_t>(row) * layout->stride;
        for (int x = 0; x < width; ++x) {
            const int column = header.biWidth < 0 ? width - 1 - x : x;
            pixels[static_cast<std::size_t>(top) * w + static_cast<std::size_t>(column)] = Word(
                in + static_cast<std::size_t>(x) * layout->pixelBytes, bitCount, info.bmiColors);
        }
    }
    return Picture(width, height, std::move(pixels));
}

std::optional<Picture> DecodeTGAInSteps(std::span<const std::uint8_t> file)
{
    const std::optional<TGABitmap> bitmap = DecodeTGABitmap(file);
    if (!bitmap)
        return std::nullopt;
    return CreatePictureFromDIB(bitmap->pixels, bitmap->info);
}

} // namespace snapvale::test
