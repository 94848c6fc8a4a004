#include "support/screenshot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace snapvale::test {

namespace {

struct Rgb
{
    int r, g, b;
};

std::uint32_t Pack(Rgb c)
{
    const auto clamp = [](int v) {
        return static_cast<std::uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    };
    return 0xFF000000u | clamp(c.r) << 16 | clamp(c.g) << 8 | clamp(c.b);
}

Rgb Mix(Rgb a, Rgb b, double t)
{
    return { static_cast<int>(a.r + (b.r - a.r) * t), static_cast<int>(a.g + (b.g - a.g) * t),
        static_cast<int>(a.b + (b.b - a.b) * t) };
}

// A small deterministic noise, so grass and stone have texture and every run writes the same files.
int Noise(int x, int y, int seed)
{
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u
        + static_cast<unsigned>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) & 31u) - 16;
}

} // namespace

TGAImage GameScreenshot(int width, int height, int seed)
{
    TGAImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width * height));
    const bool evening = seed % 3 == 2;
    const Rgb skyTop = evening ? Rgb{ 60, 40, 110 } : Rgb{ 70, 130, 210 };
    const Rgb skyLow = evening ? Rgb{ 240, 150, 90 } : Rgb{ 190, 220, 245 };
    const int horizon = height * 45 / 100;
    const int barTop = height - height / 12;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb c;
            const double hills = horizon - 30 - 25 * std::sin((x + seed * 37) / 70.0)
                - 12 * std::sin((x + seed * 11) / 23.0);
            if (y < hills)
                c = Mix(skyTop, skyLow, static_cast<double>(y) / horizon);
            else if (y < horizon)
                c = Mix({ 70, 100, 90 }, { 50, 80, 60 }, (y - hills) / (horizon - hills + 1));
            else {
                const double depth = static_cast<double>(y - horizon) / (barTop - horizon);
                c = Mix({ 80, 120, 50 }, { 40, 90, 30 }, depth);
                const int n = Noise(x, y, seed);
                c = { c.r + n, c.g + n, c.b + n / 2 };
                // A road winding towards the horizon.
                const double centre = width / 2.0 + std::sin(depth * 3 + seed) * width / 6;
                if (std::abs(x - centre) < 20 + depth * 90)
                    c = { 150 + n, 130 + n, 100 + n };
            }
            image.pixels[static_cast<std::size_t>(y * width + x)] = Pack(c);
        }
    }
    const auto fill = [&](int left, int top, int w, int h, Rgb c, double alpha) {
        for (int y = std::max(0, top); y < std::min(height, top + h); ++y)
            for (int x = std::max(0, left); x < std::min(width, left + w); ++x) {
                std::uint32_t& p = image.pixels[static_cast<std::size_t>(y * width + x)];
                const Rgb under{ static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255),
                    static_cast<int>(p & 255) };
                p = Pack(Mix(under, c, alpha));
            }
    };
    // A character standing on the road.
    fill(width / 2 - 8, horizon + (barTop - horizon) / 2 - 40, 16, 40, { 120, 30, 30 }, 1);
    fill(width / 2 - 6, horizon + (barTop - horizon) / 2 - 54, 12, 14, { 230, 190, 150 }, 1);
    // Status bar: hit points, mana points and a row of item slots.
    fill(0, barTop, width, height - barTop, { 30, 25, 20 }, 1);
    const int barHeight = (height - barTop) / 3;
    fill(10, barTop + 6, width / 4, barHeight, { 60, 0, 0 }, 1);
    fill(10, barTop + 6, width / 4 * (50 + seed * 13 % 50) / 100, barHeight, { 220, 30, 30 }, 1);
    fill(10, barTop + 10 + barHeight, width / 4, barHeight, { 0, 0, 60 }, 1);
    fill(10, barTop + 10 + barHeight, width / 4 * (30 + seed * 29 % 70) / 100, barHeight,
        { 40, 80, 230 }, 1);
    for (int slot = 0; slot < 8; ++slot)
        fill(width / 3 + slot * 34, barTop + 5, 30, height - barTop - 10, { 90, 80, 60 }, 1);
    // Chat box: translucent, with lines of "text" in the game's message colours.
    const int chatTop = barTop - height / 5;
    fill(8, chatTop, width / 2, height / 5 - 6, { 0, 0, 0 }, 0.55);
    const Rgb colours[] = { { 255, 255, 255 }, { 255, 230, 120 }, { 140, 220, 255 } };
    for (int line = 0; line < 5; ++line) {
        int x = 14;
        const int y = chatTop + 6 + line * (height / 5 - 12) / 5;
        for (int word = 0; word < 6 + (seed + line) % 5; ++word) {
            const int length = 12 + Noise(word, line, seed) + 16;
            fill(x, y, length, 5, colours[(line + seed) % 3], 0.9);
            x += length + 6;
        }
    }
    return image;
}

void ToPalette(TGAImage& image)
{
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                image.palette.push_back(0xFF000000u | static_cast<std::uint32_t>(r * 51) << 16
                    | static_cast<std::uint32_t>(g * 51) << 8 | static_cast<std::uint32_t>(b * 51));
    image.indices.reserve(image.pixels.size());
    for (const std::uint32_t p : image.pixels) {
        const auto level = [](std::uint32_t v) { return static_cast<int>((v * 5 + 127) / 255); };
        image.indices.push_back(static_cast<std::uint8_t>(
            level(p >> 16 & 255) * 36 + level(p >> 8 & 255) * 6 + level(p & 255)));
    }
}

} // namespace snapvale::test
