#include "viewer/box_reduce.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace snapvale {

int BoxFactor(int width, int height, int targetWidth, int targetHeight)
{
    if (targetWidth <= 0 || targetHeight <= 0)
        return 1;
    const int factor = std::min(width / (2 * targetWidth), height / (2 * targetHeight));
    return std::clamp(factor, 1, kMaxBoxFactor);
}

std::optional<Picture> BoxReduce(const Picture& picture, int factor)
{
    if (factor < 1 || factor > kMaxBoxFactor || factor > picture.width()
        || factor > picture.height())
        return std::nullopt;
    const int width = picture.width() / factor;
    const int height = picture.height() / factor;
    std::optional<Picture> reduced = Picture::Allocate(width, height);
    if (!reduced)
        return std::nullopt;
    // Two channels share a word, each in its own 16-bit half: red and blue in one, green (and
    // the opaque alpha, which is not used) in the other. 256 samples of 255 fit 16 bits.
    constexpr std::uint32_t kLanes = 0x00FF00FFu;
    const auto area = static_cast<std::uint64_t>(factor * factor);
    // Dividing by the area as a multiplication: (sum * scale + half) >> 24.
    const std::uint64_t scale = ((std::uint64_t{ 1 } << 24) + area / 2) / area;
    const auto average = [scale](std::uint32_t sum) {
        return static_cast<std::uint32_t>((sum * scale + (std::uint64_t{ 1 } << 23)) >> 24);
    };
    // Each block row is first summed down its columns, a plain pass over whole rows, then
    // across each block.
    const auto sourceWidth = static_cast<std::size_t>(picture.width());
    const std::size_t usedWidth =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(factor);
    std::vector<std::uint32_t> columnRedBlue(usedWidth);
    std::vector<std::uint32_t> columnGreen(usedWidth);
    for (int y = 0; y < height; ++y) {
        std::fill(columnRedBlue.begin(), columnRedBlue.end(), 0);
        std::fill(columnGreen.begin(), columnGreen.end(), 0);
        for (int dy = 0; dy < factor; ++dy) {
            const std::uint32_t* row = picture.data()
                + (static_cast<std::size_t>(y) * static_cast<std::size_t>(factor)
                      + static_cast<std::size_t>(dy))
                    * sourceWidth;
            for (std::size_t x = 0; x < usedWidth; ++x) {
                columnRedBlue[x] += row[x] & kLanes;
                columnGreen[x] += (row[x] >> 8) & kLanes;
            }
        }
        std::uint32_t* out =
            reduced->data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            std::uint32_t redBlue = 0;
            std::uint32_t green = 0;
            for (int dx = 0; dx < factor; ++dx) {
                redBlue += columnRedBlue[static_cast<std::size_t>(x * factor + dx)];
                green += columnGreen[static_cast<std::size_t>(x * factor + dx)];
            }
            out[x] = 0xFF000000u | average(redBlue >> 16) << 16 | average(green & 0xFFFF) << 8
                | average(redBlue & 0xFFFF);
        }
    }
    return reduced;
}

} // namespace snapvale
