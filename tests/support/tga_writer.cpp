#include "support/tga_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

using namespace snapvale::test;

void Put16(std::vector<std::uint8_t>& out, std::int16_t value)
{
    const auto bits = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    out.push_back(static_cast<std::uint8_t>(bits >> 8));
}

// One colour in the file's byte order for the given bits per pixel or entry.
void PutColour(std::vector<std::uint8_t>& out, std::uint32_t argb, int bits)
{
    const auto a = static_cast<std::uint8_t>(argb >> 24);
    const auto r = static_cast<std::uint8_t>(argb >> 16);
    const auto g = static_cast<std::uint8_t>(argb >> 8);
    const auto b = static_cast<std::uint8_t>(argb);
    switch (bits) {
    case 15:
    case 16: {
        const unsigned v =
            ((a >= 128) ? 0x8000u : 0u) | ((r >> 3u) << 10) | ((g >> 3u) << 5) | (b >> 3u);
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        break;
    }
    case 24:
        out.insert(out.end(), { b, g, r });
        break;
    case 32:
        out.insert(out.end(), { b, g, r, a });
        break;
    default:
        // Odd entry sizes: as many bytes as the bits need, blue first.
        for (int i = 0; i < (bits + 7) / 8; ++i)
            out.push_back(static_cast<std::uint8_t>(argb >> (8 * (i % 4))));
        break;
    }
}

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b, int pixelBytes)
{
    return std::memcmp(a, b, static_cast<std::size_t>(pixelBytes)) == 0;
}

void EncodeRleSpan(
    std::vector<std::uint8_t>& out, const std::uint8_t* pixels, std::size_t count, int pixelBytes)
{
    const auto size = static_cast<std::size_t>(pixelBytes);
    std::size_t i = 0;
    while (i < count) {
        std::size_t run = 1;
        while (i + run < count && run < 128
            && SamePixel(pixels + i * size, pixels + (i + run) * size, pixelBytes))
            ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), pixels + i * size, pixels + (i + 1) * size);
            i += run;
            continue;
        }
        // Raw packet up to the next pair of equal pixels.
        std::size_t raw = 1;
        while (i + raw < count && raw < 128
            && !(i + raw + 1 < count
                && SamePixel(pixels + (i + raw) * size, pixels + (i + raw + 1) * size, pixelBytes)))
            ++raw;
        out.push_back(static_cast<std::uint8_t>(raw - 1));
        out.insert(out.end(), pixels + i * size, pixels + (i + raw) * size);
        i += raw;
    }
}

} // namespace

namespace snapvale::test {

std::vector<std::uint8_t> EncodeTGAPixels(const TGAImage& image, const TGALayout& layout)
{
    std::vector<std::uint8_t> out;
    const int pixelBytes = std::max(1, layout.pixelDepth / 8);
    out.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)
        * static_cast<std::size_t>(pixelBytes));
    for (int row = 0; row < image.height; ++row) {
        // Files are bottom-up unless the layout says otherwise.
        const int y = layout.topToBottom ? row : image.height - 1 - row;
        for (int column = 0; column < image.width; ++column) {
            const int x = layout.rightToLeft ? image.width - 1 - column : column;
            const std::size_t at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width)
                + static_cast<std::size_t>(x);
            if (layout.pixelDepth == 8)
                out.push_back(at < image.indices.size() ? image.indices[at] : 0);
            else
                PutColour(out, at < image.pixels.size() ? image.pixels[at] : 0, layout.pixelDepth);
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeTGARle(
    std::span<const std::uint8_t> pixels, int pixelBytes, int rowPixels)
{
    std::vector<std::uint8_t> out;
    if (pixelBytes <= 0)
        return out;
    const std::size_t count = pixels.size() / static_cast<std::size_t>(pixelBytes);
    const std::size_t chunk = rowPixels > 0 ? static_cast<std::size_t>(rowPixels) : count;
    for (std::size_t start = 0; start < count; start += chunk)
        EncodeRleSpan(out, pixels.data() + start * static_cast<std::size_t>(pixelBytes),
            std::min(chunk, count - start), pixelBytes);
    return out;
}

std::vector<std::uint8_t> WriteTGA(const TGAImage& image, const TGALayout& layout)
{
    std::vector<std::uint8_t> out;
    const std::string id = layout.imageId.substr(0, 255);
    const std::uint8_t colorMapType = layout.colorMapType.value_or(image.palette.empty() ? 0 : 1);
    const auto colorMapLength =
        layout.colorMapLength.value_or(static_cast<std::int16_t>(image.palette.size()));

    out.push_back(static_cast<std::uint8_t>(id.size()));
    out.push_back(colorMapType);
    out.push_back(layout.imageType);
    Put16(out, layout.colorMapOrigin);
    Put16(out, colorMapLength);
    out.push_back(static_cast<std::uint8_t>(layout.colorMapEntryBits));
    Put16(out, layout.xOrigin);
    Put16(out, layout.yOrigin);
    Put16(out, layout.width.value_or(static_cast<std::int16_t>(image.width)));
    Put16(out, layout.height.value_or(static_cast<std::int16_t>(image.height)));
    out.push_back(static_cast<std::uint8_t>(layout.pixelDepth));
    out.push_back(static_cast<std::uint8_t>((layout.attributeBits & 0x0F)
        | (layout.rightToLeft ? 0x10 : 0) | (layout.topToBottom ? 0x20 : 0)));
    out.insert(out.end(), id.begin(), id.end());
    for (const std::uint32_t entry : image.palette)
        PutColour(out, entry, layout.colorMapEntryBits);

    if (layout.pixelData) {
        out.insert(out.end(), layout.pixelData->begin(), layout.pixelData->end());
    } else {
        const std::vector<std::uint8_t> pixels = EncodeTGAPixels(image, layout);
        if (layout.imageType >= 9) {
            const int rowPixels = layout.packets == RlePackets::PerRow ? image.width : 0;
            const std::vector<std::uint8_t> packets =
                EncodeTGARle(pixels, std::max(1, layout.pixelDepth / 8), rowPixels);
            out.insert(out.end(), packets.begin(), packets.end());
        } else {
            out.insert(out.end(), pixels.begin(), pixels.end());
        }
    }
    out.insert(out.end(), layout.trailing.begin(), layout.trailing.end());
    return out;
}

bool WriteTGAFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace snapvale::test
