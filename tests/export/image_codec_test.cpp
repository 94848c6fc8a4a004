// The image files the program writes, checked byte by byte and decoded again by our own codec:
// no window library is needed, so they also run where only the core is built.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "export/bmp_writer.h"
#include "export/jpeg_codec.h"
#include "export/save_format.h"
#include "support/image_blocks.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

int MaxChannelDifference(std::uint32_t a, std::uint32_t b)
{
    int most = 0;
    for (const int shift : { 0, 8, 16 })
        most = std::max(most,
            std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
    return most;
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
    using Kind = TreeChoice::Kind;
    EXPECT_EQ(ProposedSaveName({ Kind::File, "2004/03/09", "abc.tga" }), "abc");
    EXPECT_EQ(ProposedSaveName({ Kind::File, "2004/03/09", "a.b.tga" }), "a");
    EXPECT_EQ(ProposedSaveName({ Kind::File, "2004/03/09", "noext" }), "noext");
    // Only a file row names a picture, whatever the view shows.
    EXPECT_EQ(ProposedSaveName({ Kind::None, "", "" }), std::nullopt);
    EXPECT_EQ(ProposedSaveName({ Kind::Root, "", "" }), std::nullopt);
    EXPECT_EQ(ProposedSaveName({ Kind::Date, "2004/03/09", "" }), std::nullopt);
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
// Both decode again in their own colours.
TEST(JpegCodec, ColouredStripesKeepTheirColoursAndChromaSampling)
{
    const test::Stripes stripes;
    TempFolder folder;
    const std::string path = folder.folder() + "picture"; // no extension, none added
    ASSERT_TRUE(WriteJpeg(path, stripes.block, kJpegQuality));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    const std::string saved = ReadFileBytes(path);
    const std::string packed = EncodeJpeg(stripes.block, 90, ChromaSubsampling::Full);
    EXPECT_EQ(LumaSampling(saved), 0x22);
    EXPECT_EQ(LumaSampling(packed), 0x11);

    for (const std::string* jpeg : { &saved, &packed }) {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> ours;
        ASSERT_TRUE(DecodeJpeg(*jpeg, width, height, ours));
        ASSERT_EQ(width, stripes.block.width);
        ASSERT_EQ(height, stripes.block.height);
        for (int stripe = 0; stripe < test::Stripes::kCount; ++stripe) {
            SCOPED_TRACE(stripe);
            const std::uint32_t decoded =
                ours[static_cast<std::size_t>(16 * width + test::Stripes::Middle(stripe))];
            EXPECT_EQ(decoded >> 24, 0xFFu) << "opaque";
            EXPECT_LE(MaxChannelDifference(decoded, test::Stripes::kColours[stripe]), 8);
        }
    }
}

#ifndef _WIN32
// A folder without write permission for anybody; Windows has no such mark on folders (its file
// marks are checked in the Windows tests).
TEST(ImageWriters, FailedWriteKeepsTheEarlierFile)
{
    TempFolder folder;
    const test::Gradient gradient(8, 8);
    const auto old = folder.Write("locked/old.jpg", "earlier picture");
    std::filesystem::permissions(
        old.parent_path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(WriteJpeg(old.string(), gradient.block, kJpegQuality));
    EXPECT_FALSE(WriteBmp(old.string(), gradient.block));
    EXPECT_EQ(ReadFileBytes(old), "earlier picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(old.parent_path()), {}), 1);
}
#endif

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
