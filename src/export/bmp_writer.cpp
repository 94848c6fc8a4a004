#include "export/bmp_writer.h"

#include "os/file_replace.h"

namespace snapvale {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

void Put16(std::string& out, std::size_t at, std::uint32_t value)
{
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value)
{
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

} // namespace

std::string EncodeBmp(const PixelBlock& block)
{
    if (block.width <= 0 || block.height <= 0 || !block.pixels)
        return {};
    const std::size_t width = static_cast<std::size_t>(block.width);
    const std::size_t height = static_cast<std::size_t>(block.height);
    const std::size_t stride = (width * 3 + 3) & ~std::size_t{ 3 };
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;
    const std::size_t fileSize = offset + stride * height;
    if (fileSize > 0xFFFFFFFFu)
        return {};

    std::string out(fileSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(fileSize));
    Put32(out, 10, static_cast<std::uint32_t>(offset));
    Put32(out, 14, kInfoHeaderSize);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height)); // positive: bottom row first
    Put16(out, 26, 1); // planes
    Put16(out, 28, 24); // bits per pixel
    Put32(out, 34, static_cast<std::uint32_t>(stride * height));
    Put32(out, 38, 3780); // 96 dots per inch, in dots per metre
    Put32(out, 42, 3780);

    for (std::size_t row = 0; row < height; ++row) {
        char* line = out.data() + offset + (height - 1 - row) * stride;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = block.at(static_cast<int>(x), static_cast<int>(row));
            line[3 * x] = static_cast<char>(pixel & 0xFF);
            line[3 * x + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            line[3 * x + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
    }
    return out;
}

Status WriteBmp(const std::string& path, const PixelBlock& block)
{
    const std::string bytes = EncodeBmp(block);
    if (bytes.empty())
        return Status::Failure("the picture is empty or too large for a bitmap file");
    return ReplaceFileContents(path, bytes);
}

} // namespace snapvale
