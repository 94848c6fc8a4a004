#include <cstdlib>
#include <filesystem>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "export/bmp_writer.h"
#include "export/jpeg_codec.h"
#include "export/save_format.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

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
    std::vector<std::uint32_t> words;
    PixelBlock block;
};

int MaxChannelDifference(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
        std::abs(qBlue(a) - qBlue(b)) });
}

TEST(SaveFormat, BmpInAnyCaseIsABitmapEverythingElseJpeg)
{
    for (const char* name : { "a.bmp", "a.BMP", "shot.Bmp", "bmp" })
        EXPECT_EQ(FormatForPath(name), SaveFormat::Bitmap) << name;
    for (const char* name : { "a.jpg", "a.png", "picture", "svtemp", "a.bmp.jpg", "mp", "" })
        EXPECT_EQ(FormatForPath(name), SaveFormat::Jpeg) << name;
}

TEST(SaveFormat, ProposedNameIsTheFileNameUpToItsFirstDot)
{
    EXPECT_EQ(ProposedSaveName("abc.tga"), "abc");
    EXPECT_EQ(ProposedSaveName("a.b.tga"), "a");
    EXPECT_EQ(ProposedSaveName("noext"), "noext");
    EXPECT_EQ(ProposedSaveName(""), std::nullopt);
    EXPECT_EQ(ProposedSaveName("Lineageﾌｫﾙﾀﾞ"), std::nullopt);
    EXPECT_EQ(ProposedSaveName("2004/03/09"), std::nullopt);
}

TEST(BmpWriter, ReadsBackPixelForPixel)
{
    TempFolder folder;
    for (const int width : { 1, 2, 3, 4, 5, 640 }) {
        SCOPED_TRACE(width);
        const Gradient gradient(width, 7);
        const std::string path = folder.folder() + "out" + std::to_string(width) + ".bmp";
        ASSERT_TRUE(WriteBmp(path, gradient.block));
        const QImage image(QString::fromStdString(path), "BMP");
        ASSERT_EQ(image.size(), QSize(width, 7));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(image.pixel(x, y), gradient.block.at(x, y)) << x << "," << y;
    }
}

// Readers differ in which header fields they trust, so every byte of the header must be right.
TEST(BmpWriter, HeadersByteForByte)
{
    const std::uint32_t words[] = { 0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u, 0xFFD0E0F0u,
        0xFF010203u };
    const std::string file = EncodeBmp({ 3, 2, words, 3 });
    const std::string expected = std::string("BM") // bfType
        + std::string("\x4E\0\0\0", 4) // bfSize: 54 + 2 rows of 12 bytes
        + std::string("\0\0\0\0", 4) // bfReserved1, bfReserved2
        + std::string("\x36\0\0\0", 4) // bfOffBits
        + std::string("\x28\0\0\0", 4) // biSize
        + std::string("\x03\0\0\0", 4) // biWidth
        + std::string("\x02\0\0\0", 4) // biHeight: positive, bottom row first
        + std::string("\x01\0", 2) // biPlanes
        + std::string("\x18\0", 2) // biBitCount
        + std::string("\0\0\0\0", 4) // biCompression: none
        + std::string("\x18\0\0\0", 4) // biSizeImage
        + std::string("\xC4\x0E\0\0", 4) // biXPelsPerMeter: 96 dots per inch
        + std::string("\xC4\x0E\0\0", 4) // biYPelsPerMeter
        + std::string("\0\0\0\0", 4) // biClrUsed
        + std::string("\0\0\0\0", 4) // biClrImportant
        + std::string("\xC0\xB0\xA0\xF0\xE0\xD0\x03\x02\x01\0\0\0", 12) // bottom row, BGR, padded
        + std::string("\x30\x20\x10\x60\x50\x40\x90\x80\x70\0\0\0", 12); // top row
    EXPECT_EQ(file, expected);
}

// The sampling factors of the first (luma) component in the frame header: 0x22 for 4:2:0, 0x11
// for 4:4:4; -1 when there is no frame header.
int LumaSampling(const std::string& jpeg)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    for (std::size_t i = 2; i + 11 < jpeg.size() && byte(i) == 0xFF;) {
        if (byte(i + 1) >= 0xC0 && byte(i + 1) <= 0xC2) // baseline, extended or progressive
            return byte(i + 11);
        i += 2 + (byte(i + 2) << 8 | byte(i + 3));
    }
    return -1;
}

// Saved files are 4:2:0 as viewers expect; packed thumbnails 4:4:4 so small colour edges stay.
// Both read back in their own colours, by Qt's reader and by our decoder.
TEST(JpegCodec, ColouredStripesKeepTheirColoursAndChromaSampling)
{
    const std::uint32_t colours[] = { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u };
    std::vector<std::uint32_t> words;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            words.push_back(colours[x / 16]);
    const PixelBlock stripes{ 64, 32, words.data(), 64 };

    TempFolder folder;
    const std::string path = folder.folder() + "picture"; // no extension, none added
    ASSERT_TRUE(WriteJpeg(path, stripes, kJpegQuality));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    const std::string saved = ReadFileBytes(path);
    const std::string packed = EncodeJpeg(stripes, 90, ChromaSubsampling::Full);
    EXPECT_EQ(LumaSampling(saved), 0x22);
    EXPECT_EQ(LumaSampling(packed), 0x11);

    const QImage byQt(QString::fromStdString(path), "JPEG");
    ASSERT_EQ(byQt.size(), QSize(64, 32));
    for (const std::string* jpeg : { &saved, &packed }) {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> ours;
        ASSERT_TRUE(DecodeJpeg(*jpeg, width, height, ours));
        ASSERT_EQ(QSize(width, height), QSize(64, 32));
        for (int stripe = 0; stripe < 4; ++stripe) {
            SCOPED_TRACE(stripe);
            const int x = stripe * 16 + 8;
            const std::uint32_t decoded = ours[static_cast<std::size_t>(16 * width + x)];
            EXPECT_EQ(decoded >> 24, 0xFFu) << "opaque";
            EXPECT_LE(MaxChannelDifference(decoded, colours[stripe]), 8);
            EXPECT_LE(MaxChannelDifference(byQt.pixel(x, 16), colours[stripe]), 8);
        }
    }
}

TEST(ImageWriters, FailedWriteKeepsTheEarlierFile)
{
    TempFolder folder;
    const Gradient gradient(8, 8);
    const auto old = folder.Write("locked/old.jpg", "earlier picture");
    std::filesystem::permissions(
        old.parent_path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(WriteJpeg(old.string(), gradient.block, kJpegQuality));
    EXPECT_FALSE(WriteBmp(old.string(), gradient.block));
    EXPECT_EQ(ReadFileBytes(old), "earlier picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(old.parent_path()), {}), 1);
}

TEST(ImageWriters, EmptyBlockWritesNothing)
{
    TempFolder folder;
    const std::string path = folder.folder() + "empty.bmp";
    EXPECT_FALSE(WriteBmp(path, {}));
    EXPECT_FALSE(WriteJpeg(path, {}, kJpegQuality));
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace snapvale
