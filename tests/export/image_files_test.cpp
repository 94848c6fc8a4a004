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
        // 24 bits a pixel, rows padded to four bytes.
        EXPECT_EQ(ReadFileBytes(path).size(), 54u + 7u * ((width * 3u + 3u) & ~3u));
    }
}

TEST(JpegWriter, ReadsBackWithinTolerance)
{
    TempFolder folder;
    const Gradient gradient(640, 480);
    const std::string path = folder.folder() + "picture"; // no extension, none added
    ASSERT_TRUE(WriteJpeg(path, gradient.block, kJpegQuality));
    const QImage image(QString::fromStdString(path), "JPEG");
    ASSERT_EQ(image.size(), QSize(640, 480));
    int worst = 0;
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 7)
            worst =
                std::max(worst, MaxChannelDifference(image.pixel(x, y), gradient.block.at(x, y)));
    EXPECT_LE(worst, 12);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
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
