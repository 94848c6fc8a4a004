#pragma once

// Pixels handed to the file writers and the clipboard: rows top first, each pixel a 0xFFRRGGBB
// word. The block does not own the pixels.

#include <cstddef>
#include <cstdint>

namespace snapvale {

struct PixelBlock
{
    int width = 0;
    int height = 0;
    const std::uint32_t* pixels = nullptr;
    int wordsPerLine = 0;

    std::uint32_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(wordsPerLine)
            + static_cast<std::size_t>(x)];
    }
};

} // namespace snapvale
