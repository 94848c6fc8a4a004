#include <memory>

#include <gtest/gtest.h>

#include "viewer/box_reduce.h"

namespace snapvale {
namespace {

Picture Filled(int width, int height, std::uint32_t (*colour)(int x, int y))
{
    auto pixels = std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y * width + x)] = colour(x, y);
    return Picture(width, height, std::move(pixels));
}

TEST(BoxReduce, AveragesEachBlockChannelByChannel)
{
    // 7 x 4 by 3: two blocks side by side; the last column and row are left out.
    const Picture picture = Filled(7, 4, [](int x, int y) -> std::uint32_t {
        if (x == 6 || y == 3)
            return 0xFF000000u; // outside every block: must not darken the averages
        return x < 3 ? 0xFF000000u | static_cast<std::uint32_t>(x * 3 + y) << 16 | 0x80FFu
                     : 0xFF010203u * static_cast<std::uint32_t>(x + y);
    });
    const std::optional<Picture> reduced = BoxReduce(picture, 3);
    ASSERT_TRUE(reduced);
    ASSERT_EQ(reduced->width(), 2);
    ASSERT_EQ(reduced->height(), 1);
    // Red of the left block: 0 to 8, mean 4; green and blue stay. The right block: x + y from 3
    // to 7, mean 5, in each channel's own steps (red 1, green 2, blue 3 a step).
    EXPECT_EQ(reduced->pixel(0, 0), 0xFF0480FFu);
    EXPECT_EQ(reduced->pixel(1, 0), 0xFF050A0Fu);

    // The largest block of white fills every channel's sum to the brim without spilling over.
    const Picture white =
        Filled(kMaxBoxFactor, kMaxBoxFactor, [](int, int) { return 0xFFFFFFFFu; });
    EXPECT_EQ(BoxReduce(white, kMaxBoxFactor)->pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(BoxReduce(white, kMaxBoxFactor + 1));
}

TEST(BoxReduce, FactorLeavesAboutTwiceTheCell)
{
    EXPECT_EQ(BoxFactor(1920, 1080, 208, 160), 3);
    EXPECT_EQ(BoxFactor(2560, 1440, 208, 160), 4);
    EXPECT_EQ(BoxFactor(800, 600, 208, 160), 1);
    EXPECT_EQ(BoxFactor(8192, 8192, 208, 160), kMaxBoxFactor);
    EXPECT_EQ(BoxFactor(64, 48, 208, 160), 1);
}

} // namespace
} // namespace snapvale
