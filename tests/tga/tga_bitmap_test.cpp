#include <cstring>

#include <gtest/gtest.h>

#include "picture_check.h"
#include "support/tga_writer.h"
#include "tga/tga_loader.h"

namespace {

using namespace snapvale;

using test::TGAImage;
using test::TGALayout;
using Bytes = std::vector<std::uint8_t>;

struct StrideCase
{
    std::uint8_t type;
    int depth;
    int width;
    std::size_t stride;
};

void PrintTo(const StrideCase& c, std::ostream* out)
{
    *out << "type " << int(c.type) << ", " << c.depth << " bits, width " << c.width;
}

class PixelBufferLayout : public ::testing::TestWithParam<StrideCase>
{
};

TEST_P(PixelBufferLayout, RowsKeepFileOrderAndBytesWithZeroFiller)
{
    const StrideCase& c = GetParam();
    const int pixelBytes = c.depth / 8;
    const std::size_t rowBytes = static_cast<std::size_t>(c.width * pixelBytes);
    // Rows of distinct bytes: row r holds bytes r*rowBytes+1 onwards, in file order.
    Bytes pixels;
    for (std::size_t i = 0; i < rowBytes * 3; ++i)
        pixels.push_back(static_cast<std::uint8_t>(i % 251 + 1));
    TGALayout layout;
    layout.imageType = c.type;
    layout.pixelDepth = c.depth;
    layout.pixelData = c.type >= 9 ? test::EncodeTGARle(pixels, pixelBytes) : pixels;
    const Bytes file = test::WriteTGA(TGAImage{ c.width, 3, {}, {}, {} }, layout);
    const std::optional<TGABitmap> bitmap = DecodeTGABitmap(file);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(DibRowStride(c.width, c.depth), c.stride);
    ASSERT_EQ(bitmap->pixels.size(), c.stride * 3);
    for (std::size_t row = 0; row < 3; ++row) {
        const std::uint8_t* line = bitmap->pixels.data() + row * c.stride;
        EXPECT_EQ(std::memcmp(line, pixels.data() + row * rowBytes, rowBytes), 0) << row;
        for (std::size_t i = rowBytes; i < c.stride; ++i)
            EXPECT_EQ(line[i], 0) << row << " filler " << i;
    }
    // Uncompressed rows without filler are used where they lie in the file.
    const bool borrowed =
        bitmap->pixels.data() >= file.data() && bitmap->pixels.data() < file.data() + file.size();
    EXPECT_EQ(borrowed, c.type < 9 && c.stride == rowBytes);
}

INSTANTIATE_TEST_SUITE_P(TgaBitmap, PixelBufferLayout,
    ::testing::Values(StrideCase{ 2, 24, 5, 16 }, StrideCase{ 10, 24, 5, 16 },
        StrideCase{ 2, 16, 2, 4 }, StrideCase{ 10, 16, 3, 8 }, StrideCase{ 3, 8, 641, 644 },
        StrideCase{ 11, 8, 3, 4 }, StrideCase{ 2, 32, 3, 12 }, StrideCase{ 10, 32, 7, 28 },
        StrideCase{ 2, 24, 640, 1920 }, StrideCase{ 3, 8, 4, 4 }));

TEST(TgaBitmap, RecordCarriesOrientationInSigns)
{
    for (int descriptor = 0; descriptor < 4; ++descriptor) {
        TGALayout layout;
        layout.imageType = 10;
        layout.pixelDepth = 32;
        layout.rightToLeft = descriptor & 1;
        layout.topToBottom = descriptor & 2;
        layout.attributeBits = 8;
        const std::optional<TGABitmap> bitmap = DecodeTGABitmap(test::WriteTGA(
            TGAImage{ 3, 2, std::vector<std::uint32_t>(6, 0x7F010203u), {}, {} }, layout));
        ASSERT_TRUE(bitmap);
        const BitmapInfoHeader& h = bitmap->info.bmiHeader;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, layout.rightToLeft ? -3 : 3);
        EXPECT_EQ(h.biHeight, layout.topToBottom ? -2 : 2);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression | h.biSizeImage | h.biClrUsed | h.biClrImportant, 0u);
        EXPECT_EQ(h.biXPelsPerMeter | h.biYPelsPerMeter, 0);
        // The alpha byte stays in the buffer; the picture ignores it.
        const Bytes first(bitmap->pixels.data(), bitmap->pixels.data() + 4);
        EXPECT_EQ(first, (Bytes{ 3, 2, 1, 0x7F }));
        EXPECT_EQ(
            CreatePictureFromDIB(bitmap->pixels.bytes(), bitmap->info)->pixel(0, 0), 0xFF010203u);
        for (const RGBQuad& entry : bitmap->info.bmiColors)
            EXPECT_EQ(entry.rgbRed | entry.rgbGreen | entry.rgbBlue | entry.rgbReserved, 0);
    }
}

TEST(TgaBitmap, ColourTableFromMapOrGreyRamp)
{
    struct Case
    {
        std::uint8_t type;
        int entryBits;
        std::size_t length;
    };
    for (const Case c : { Case{ 1, 24, 2 }, Case{ 9, 32, 256 }, Case{ 1, 32, 100 },
             Case{ 9, 24, 300 }, Case{ 3, 24, 0 }, Case{ 11, 24, 0 }, Case{ 2, 24, 0 } }) {
        TGAImage image{ 1, 1, {}, { 0 }, {} };
        for (std::size_t i = 0; i < c.length; ++i)
            image.palette.push_back(0x01000000u * static_cast<std::uint32_t>(i % 256)
                + 0x00030201u * static_cast<std::uint32_t>(i + 1));
        TGALayout layout;
        layout.imageType = c.type;
        layout.pixelDepth = 8;
        layout.colorMapEntryBits = c.entryBits;
        const std::optional<TGABitmap> bitmap = DecodeTGABitmap(test::WriteTGA(image, layout));
        ASSERT_TRUE(bitmap);
        for (std::size_t i = 0; i < 256; ++i) {
            const RGBQuad& e = bitmap->info.bmiColors[i];
            RGBQuad want{};
            if (c.type == 3 || c.type == 11) {
                const auto v = static_cast<std::uint8_t>(i);
                want = { v, v, v, 0 };
            } else if (c.type != 2 && i < c.length) {
                const std::uint32_t p = image.palette[i];
                want = { std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16),
                    c.entryBits == 32 ? std::uint8_t(p >> 24) : std::uint8_t{} };
            }
            EXPECT_EQ(std::memcmp(&e, &want, 4), 0)
                << int(c.type) << "/" << c.length << " entry " << i;
        }
    }
}

BitmapInfo Record(int width, int height, int bitCount)
{
    BitmapInfo info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(bitCount);
    return info;
}

TEST(TgaBitmap, PictureFollowsHeightAndWidthSigns)
{
    // Two rows of three 24-bit pixels (blue 1 to 6), each row padded to 12 bytes.
    const Bytes bits = { 1, 0, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0, 4, 0, 0, 5, 0, 0, 6, 0, 0, 0, 0, 0 };
    struct Case
    {
        int width;
        int height;
        std::uint32_t topLeft;
        std::uint32_t bottomRight;
    };
    for (const Case c :
        { Case{ 3, 2, 4, 3 }, Case{ 3, -2, 1, 6 }, Case{ -3, 2, 6, 1 }, Case{ -3, -2, 3, 4 } }) {
        const std::optional<Picture> picture =
            CreatePictureFromDIB(bits.data(), Record(c.width, c.height, 24));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width(), 3);
        EXPECT_EQ(picture->height(), 2);
        EXPECT_EQ(picture->pixel(0, 0), 0xFF000000u | c.topLeft) << c.width << "x" << c.height;
        EXPECT_EQ(picture->pixel(2, 1), 0xFF000000u | c.bottomRight) << c.width << "x" << c.height;
        EXPECT_EQ(picture->bytesPerLine(), 12);
    }
}

TEST(TgaBitmap, UnusableRecordsGiveNoPicture)
{
    const Bytes bits(64, 0);
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(0, 1, 24)));
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(1, 0, 24)));
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(1, 1, 12)));
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(INT32_MIN, 1, 8)));
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(1, INT32_MIN, 8)));
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(0x7FFFFFFF, 0x7FFFFFFF, 32)));
    EXPECT_FALSE(CreatePictureFromDIB(bits, Record(5, 5, 24)));
    EXPECT_TRUE(CreatePictureFromDIB(bits, Record(5, 4, 24)));
}

TEST(TgaBitmap, PictureHandsOverItsPixels)
{
    std::optional<Picture> picture =
        CreatePictureFromDIB(Bytes{ 1, 2, 3, 4, 5, 6, 7, 8 }, Record(2, 1, 32));
    ASSERT_TRUE(picture);
    const std::uint32_t* rows = picture->data();
    const std::unique_ptr<std::uint32_t[]> pixels = picture->TakePixels();
    EXPECT_EQ(pixels.get(), rows);
    EXPECT_EQ(pixels[1], 0xFF070605u);
    EXPECT_EQ(picture->width(), 0);
}

} // namespace
