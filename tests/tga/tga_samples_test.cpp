#include <gtest/gtest.h>

#include "picture_check.h"
#include "tga/tga_loader.h"

namespace {

using namespace snapvale;

// Files other programs wrote (see tests/data/tga/README.md), with what they must decode to.
struct Sample
{
    const char* file;
    const char* reference; // nullptr: no picture by the decoder's rules
    std::uint8_t channelMask =
        0xFF; // 16-bit files: other decoders widen 5-bit channels differently
};

void PrintTo(const Sample& s, std::ostream* out) { *out << s.file; }

class PublicSample : public ::testing::TestWithParam<Sample>
{
};

TEST_P(PublicSample, DecodesAsItsReference)
{
    const Sample& s = GetParam();
    const std::optional<Picture> picture = LoadTGA(test::TgaData(s.file));
    if (s.reference == nullptr) {
        EXPECT_FALSE(picture);
        return;
    }
    ASSERT_TRUE(picture);
    const std::optional<test::Pixels> reference = test::ReadPnm(test::TgaData(s.reference));
    ASSERT_TRUE(reference) << s.reference;
    std::string name = s.file;
    std::replace(name.begin(), name.end(), '/', '_');
    EXPECT_EQ(test::ComparePicture(*picture, *reference, name, s.channelMask), "");
}

std::string SampleName(const ::testing::TestParamInfo<Sample>& info)
{
    std::string name = info.param.file;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(TgaSamples, PublicSample,
    ::testing::Values(Sample{ "truevision/cbw8.tga", "truevision/bw.pgm" },
        Sample{ "truevision/ubw8.tga", "truevision/bw.pgm" },
        Sample{ "truevision/ctc16.tga", "truevision/color.ppm", 0xF8 },
        Sample{ "truevision/utc16.tga", "truevision/color.ppm", 0xF8 },
        Sample{ "truevision/ctc24.tga", "truevision/color.ppm" },
        Sample{ "truevision/ctc32.tga", "truevision/color.ppm" },
        Sample{ "truevision/ccm8.tga", nullptr },
        Sample{ "pillow/1x1_l_bl_raw.tga", "pillow/1x1_l.pgm" },
        Sample{ "pillow/1x1_l_tl_rle.tga", "pillow/1x1_l.pgm" },
        Sample{ "pillow/200x32_l_bl_rle.tga", "pillow/200x32_l.pgm" },
        Sample{ "pillow/200x32_l_tl_raw.tga", "pillow/200x32_l.pgm" },
        Sample{ "pillow/200x32_p_bl_rle.tga", "pillow/200x32_p.ppm" },
        Sample{ "pillow/200x32_p_tl_raw.tga", "pillow/200x32_p.ppm" },
        Sample{ "pillow/200x32_p_bl_raw_origin.tga", "pillow/200x32_p.ppm" },
        Sample{ "pillow/200x32_rgb_bl_raw.tga", "pillow/200x32_rgb.ppm" },
        Sample{ "pillow/200x32_rgb_tl_rle.tga", "pillow/200x32_rgb.ppm" },
        Sample{ "pillow/200x32_rgba_bl_rle.tga", "pillow/200x32_rgba.ppm" },
        Sample{ "pillow/200x32_rgba_tl_raw.tga", "pillow/200x32_rgba.ppm" },
        Sample{ "pillow/cross_scan_line.tga", "pillow/cross_scan_line.pgm" },
        Sample{ "pillow/cross_scan_line_truncated.tga", nullptr },
        Sample{ "pillow/la.tga", nullptr }),
    SampleName);

TEST(TgaSamples, RightToLeftRowsAreMirroredBack)
{
    const std::optional<Picture> picture =
        LoadTGA(test::TgaData("pillow/rgb32rle_bottom_right.tga"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 199);
    EXPECT_EQ(picture->pixel(90, 90), 0xFF00FF00u);
}

TEST(TgaSamples, SixteenBitPixelsIgnoreBit15)
{
    const std::optional<Picture> picture = LoadTGA(test::TgaData("pillow/rgba16.tga"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixel(0, 0) & 0xF8F8F8u, 0xA800F8u);
    EXPECT_EQ(picture->pixel(1, 0) & 0xF8F8F8u, 0x00F850u);
}

} // namespace
