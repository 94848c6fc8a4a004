#pragma once

// Pixel blocks the image-file tests write and read back.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/pixel_block.h"

namespace snapvale::test {

// A block with a distinct colour in every pixel, so row order and channel order both show.
struct Gradient
{
    Gradient(int width, int height)
        : words(static_cast<std::size_t>(width * height))
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                words[static_cast<std::size_t>(y * width + x)] = 0xFF000000u
                    | static_cast<std::uint32_t>((x * 255 / width) << 16)
                    | static_cast<std::uint32_t>((y * 255 / height) << 8) | 0x40u;
        block = { width, height, words.data(), width };
    }
    Gradient(const Gradient&) = delete;
    Gradient& operator=(const Gradient&) = delete;

    std::vector<std::uint32_t> words;
    PixelBlock block;
};

// Four 16-pixel-wide stripes of strong colours, 64 by 32 pixels: a JPEG that keeps them has kept
// both its colours and its chroma placement.
struct Stripes
{
    static constexpr int kCount = 4;
    static constexpr std::uint32_t kColours[kCount] = { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,
        0xFFFFFF00u };
    // The column in the middle of a stripe, away from the edges JPEG blurs.
    static constexpr int Middle(int stripe) { return stripe * 16 + 8; }

    Stripes()
    {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                words.push_back(kColours[x / 16]);
        block = { 64, 32, words.data(), 64 };
    }
    Stripes(const Stripes&) = delete;
    Stripes& operator=(const Stripes&) = delete;

    std::vector<std::uint32_t> words;
    PixelBlock block;
};

} // namespace snapvale::test
