#include <gtest/gtest.h>

#include "picture_check.h"
#include "support/tga_writer.h"
#include "tga/tga_loader.h"

namespace {

using namespace snapvale;

using test::TGAImage;
using test::TGALayout;

struct HeaderCase
{
    const char* name;
    std::uint8_t imageType;
    int width;
    int height;
    std::uint8_t depth;
    std::uint8_t colorMap;
    int colMapLen;
    bool accepted;
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class CheckHeaderRules : public ::testing::TestWithParam<HeaderCase>
{
};

TEST_P(CheckHeaderRules, AcceptsExactlyTheDecodableHeaders)
{
    const HeaderCase& c = GetParam();
    TGAHeader header{};
    header.ImageType = c.imageType;
    header.Width = static_cast<std::int16_t>(c.width);
    header.Height = static_cast<std::int16_t>(c.height);
    header.PixelDepth = c.depth;
    header.ColorMap = c.colorMap;
    header.ColMapLen = static_cast<std::int16_t>(c.colMapLen);
    header.ColMapEnt = 24;
    EXPECT_EQ(CheckHeader(header), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(TgaHeader, CheckHeaderRules,
    ::testing::Values(HeaderCase{ "Type0", 0, 4, 4, 24, 0, 0, false },
        HeaderCase{ "Type4", 4, 4, 4, 24, 0, 0, false },
        HeaderCase{ "Type8", 8, 4, 4, 24, 0, 0, false },
        HeaderCase{ "Type12", 12, 4, 4, 24, 0, 0, false },
        HeaderCase{ "Type255", 255, 4, 4, 24, 0, 0, false },
        HeaderCase{ "WidthZero", 2, 0, 4, 24, 0, 0, false },
        HeaderCase{ "HeightZero", 2, 4, 0, 24, 0, 0, false },
        HeaderCase{ "Width32768", 2, 32768, 4, 24, 0, 0, false },
        HeaderCase{ "Height65535", 2, 4, 65535, 24, 0, 0, false },
        HeaderCase{ "Largest", 10, 32767, 32767, 32, 0, 0, true },
        HeaderCase{ "Depth15", 2, 4, 4, 15, 0, 0, false },
        HeaderCase{ "Depth0", 2, 4, 4, 0, 0, 0, false },
        HeaderCase{ "Depth40", 2, 4, 4, 40, 0, 0, false },
        HeaderCase{ "Depth8", 2, 4, 4, 8, 0, 0, true },
        HeaderCase{ "Depth16", 2, 4, 4, 16, 0, 0, true },
        HeaderCase{ "Depth24", 3, 4, 4, 24, 0, 0, true },
        HeaderCase{ "Depth32", 11, 4, 4, 32, 0, 0, true },
        HeaderCase{ "MapWith24BitPixels", 2, 4, 4, 24, 1, 256, false },
        HeaderCase{ "MapWithoutEntries", 1, 4, 4, 8, 1, 0, false },
        HeaderCase{ "MapNegativeLength", 1, 4, 4, 8, 1, -5, true },
        HeaderCase{ "MapType7", 9, 4, 4, 8, 7, 2, true }),
    [](const auto& info) { return std::string(info.param.name); });

// Files whose header passes but whose type, depth and colour map do not fit together.
struct RefusedCase
{
    const char* name;
    std::uint8_t imageType;
    int depth;
    std::optional<std::uint8_t> colorMapType;
    int entryBits;
    std::optional<std::int16_t> colMapLen;
    TGAReason reason = TGAReason::UnsupportedType;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedFiles : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedFiles, GiveNoPicture)
{
    const RefusedCase& c = GetParam();
    TGAImage image{ 3, 2, std::vector<std::uint32_t>(6, 0xFF123456u),
        std::vector<std::uint8_t>(6, 1), std::vector<std::uint32_t>(4, 0xFF808080u) };
    TGALayout layout;
    layout.imageType = c.imageType;
    layout.pixelDepth = c.depth;
    layout.colorMapType = c.colorMapType;
    layout.colorMapEntryBits = c.entryBits;
    layout.colorMapLength = c.colMapLen;
    if (c.colorMapType == 0)
        image.palette.clear();
    const TGAResult result = DecodeTGAWithReason(test::WriteTGA(image, layout));
    EXPECT_FALSE(result.picture);
    EXPECT_EQ(result.failure.reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(TgaHeader, RefusedFiles,
    ::testing::Values(RefusedCase{ "ColourMappedWithoutMap", 1, 8, 0, 24, 0 },
        RefusedCase{ "RleColourMappedWithoutMap", 9, 8, 0, 24, 0 },
        RefusedCase{ "ColourMappedAt16Bits", 1, 16, 1, 24, {} },
        RefusedCase{ "GreyWithMapType1", 3, 8, 1, 24, {} },
        RefusedCase{ "GreyAt16Bits", 3, 16, 0, 24, 0 },
        RefusedCase{ "RleGreyAt24Bits", 11, 24, 0, 24, 0 },
        RefusedCase{ "MapEntries16Bits", 1, 8, 1, 16, {} },
        RefusedCase{ "MapEntries15Bits", 9, 8, 1, 15, {} },
        RefusedCase{ "MapEntries8Bits", 1, 8, 1, 8, {} },
        RefusedCase{ "MapNegativeLength", 1, 8, 1, 24, std::int16_t{ -4 } },
        RefusedCase{
            "MapLongerThanFile", 1, 8, 1, 32, std::int16_t{ 4000 }, TGAReason::Truncated }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TgaHeader, ReadsLittleEndianSignedFields)
{
    const std::uint8_t bytes[18] = { 7, 1, 9, 0x34, 0x12, 0x00, 0x80, 32, 0xFF, 0xFF, 2, 0, 0x80, 2,
        0xE0, 1, 8, 0x28 };
    const std::optional<TGAHeader> h = ReadTGAHeader(bytes);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->IDField, 7);
    EXPECT_EQ(h->ColorMap, 1);
    EXPECT_EQ(h->ImageType, 9);
    EXPECT_EQ(h->ColMapOri, 0x1234);
    EXPECT_EQ(h->ColMapLen, -32768);
    EXPECT_EQ(h->ColMapEnt, 32);
    EXPECT_EQ(h->XOrigin, -1);
    EXPECT_EQ(h->YOrigin, 2);
    EXPECT_EQ(h->Width, 640);
    EXPECT_EQ(h->Height, 480);
    EXPECT_EQ(h->PixelDepth, 8);
    EXPECT_EQ(h->Descriptor, 0x28);
    EXPECT_FALSE(ReadTGAHeader(std::span(bytes, 17)));
}

} // namespace
