#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "picture_check.h"
#include "support/temp_folder.h"
#include "support/tga_reference.h"
#include "support/tga_writer.h"
#include "tga/tga_loader.h"

namespace {

using namespace snapvale;

using test::ComparePicture;
using test::ExpectedPicture;
using test::TGAImage;
using test::TGALayout;
using Bytes = std::vector<std::uint8_t>;

// Every second group of four pixels repeats one value, so encoders make both run and raw
// packets, and at odd widths some runs span a row end.
TGAImage MakeImage(int width, int height, std::size_t paletteSize, std::uint32_t seed = 1)
{
    std::mt19937 random(seed);
    TGAImage image{ width, height, {}, {}, {} };
    const int count = width * height;
    for (int i = 0; i < count; ++i) {
        const bool repeat = (i / 4) % 2 == 0 && i % 4 != 0;
        image.pixels.push_back(repeat ? image.pixels.back() : static_cast<std::uint32_t>(random()));
        image.indices.push_back(
            repeat ? image.indices.back() : static_cast<std::uint8_t>(random()));
    }
    for (std::size_t i = 0; i < paletteSize; ++i)
        image.palette.push_back(static_cast<std::uint32_t>(random()));
    return image;
}

struct Combination
{
    std::uint8_t imageType;
    int depth;
    int entryBits; // 0: no colour map
    int mapLength;
    bool rightToLeft;
    bool topToBottom;
};

std::string Name(const Combination& c)
{
    std::string name = "Type" + std::to_string(c.imageType) + "_" + std::to_string(c.depth) + "Bit";
    if (c.entryBits != 0)
        name += "_Map" + std::to_string(c.mapLength) + "x" + std::to_string(c.entryBits);
    return name + (c.rightToLeft ? "_RightToLeft" : "") + (c.topToBottom ? "_TopDown" : "");
}

// The reference decoder, which goes through the bitmap's row layout, gives the very same picture.
void ExpectReferenceAgrees(const Picture& picture, const Bytes& file, const std::string& name)
{
    const std::optional<Picture> stepped = test::DecodeTGAInSteps(file);
    ASSERT_TRUE(stepped) << name;
    ASSERT_EQ(stepped->width(), picture.width()) << name;
    ASSERT_EQ(stepped->height(), picture.height()) << name;
    EXPECT_TRUE(std::equal(picture.data(),
        picture.data() + std::size_t(picture.width()) * std::size_t(picture.height()),
        stepped->data()))
        << name;
}

std::vector<Combination> AcceptedCombinations()
{
    std::vector<Combination> all;
    for (int orientation = 0; orientation < 4; ++orientation) {
        const bool rtl = orientation & 1;
        const bool ttb = orientation & 2;
        for (std::uint8_t type : { 1, 9 })
            for (int bits : { 24, 32 })
                for (int length : { 2, 256, 300 })
                    all.push_back({ type, 8, bits, length, rtl, ttb });
        for (std::uint8_t type : { 2, 10 })
            for (int depth : { 8, 16, 24, 32 })
                all.push_back({ type, depth, 0, 0, rtl, ttb });
        for (std::uint8_t type : { 3, 11 })
            all.push_back({ type, 8, 0, 0, rtl, ttb });
    }
    return all;
}

void PrintTo(const Combination& c, std::ostream* out) { *out << Name(c); }

class AcceptedCombination : public ::testing::TestWithParam<Combination>
{
};

TEST_P(AcceptedCombination, DecodesToTheWrittenImage)
{
    const Combination& c = GetParam();
    // Width 7 gives every depth but 32 filler bytes; RLE packets of 8-bit runs cross rows.
    for (const test::RlePackets packets :
        { test::RlePackets::CrossRows, test::RlePackets::PerRow }) {
        const TGAImage image = MakeImage(7, 5, static_cast<std::size_t>(c.mapLength));
        TGALayout layout;
        layout.imageType = c.imageType;
        layout.pixelDepth = c.depth;
        layout.colorMapEntryBits = c.entryBits == 0 ? 24 : c.entryBits;
        layout.rightToLeft = c.rightToLeft;
        layout.topToBottom = c.topToBottom;
        layout.packets = packets;
        layout.trailing = Bytes(26, 0xEE);
        const Bytes file = test::WriteTGA(image, layout);
        const std::optional<Picture> picture = DecodeTGA(file);
        ASSERT_TRUE(picture);
        EXPECT_EQ(ComparePicture(*picture, ExpectedPicture(image, layout), Name(c)), "");
        ExpectReferenceAgrees(*picture, file, Name(c));
    }
}

INSTANTIATE_TEST_SUITE_P(TgaDecoder, AcceptedCombination,
    ::testing::ValuesIn(AcceptedCombinations()), [](const auto& info) { return Name(info.param); });

// Row conversion works on groups of pixels; every width around the group sizes must come out
// whole, with row ends and filler handled.
TEST(TgaDecoder, EveryRowWidthUpTo40)
{
    for (int depth : { 8, 16, 24, 32 })
        for (int width = 1; width <= 40; ++width) {
            const TGAImage image =
                MakeImage(width, 3, depth == 8 ? 256 : 0, static_cast<std::uint32_t>(width));
            TGALayout layout;
            layout.imageType = depth == 8 ? 1 : 2;
            layout.pixelDepth = depth;
            const Bytes file = test::WriteTGA(image, layout);
            const std::optional<Picture> picture = DecodeTGA(file);
            ASSERT_TRUE(picture);
            const std::string name = "Width" + std::to_string(width) + "_" + std::to_string(depth);
            EXPECT_EQ(ComparePicture(*picture, ExpectedPicture(image, layout), name), "");
            ExpectReferenceAgrees(*picture, file, name);
        }
}

std::optional<Picture> DecodeRle(int width, int height, int depth, const Bytes& packets)
{
    TGAImage image{ width, height, {}, {}, {} };
    TGALayout layout;
    layout.imageType = depth == 8 ? 11 : 10;
    layout.pixelDepth = depth;
    layout.topToBottom = true;
    layout.pixelData = packets;
    return DecodeTGA(test::WriteTGA(image, layout));
}

TEST(TgaDecoder, RunAndRawPacketExtremes)
{
    // 255: one value 128 times; 0: a single raw pixel.
    const std::optional<Picture> picture = DecodeRle(129, 1, 8, { 255, 40, 0, 200 });
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixel(0, 0), 0xFF282828u);
    EXPECT_EQ(picture->pixel(127, 0), 0xFF282828u);
    EXPECT_EQ(picture->pixel(128, 0), 0xFFC8C8C8u);
}

TEST(TgaDecoder, RunPacketCrossesRowEnd)
{
    // Width 8: five raw pixels, then a run of 10 from 3 before the row end, then one pixel.
    const std::optional<Picture> picture =
        DecodeRle(8, 2, 8, { 4, 1, 2, 3, 4, 5, 0x89, 9, 0x80, 3 });
    ASSERT_TRUE(picture);
    const std::uint32_t expected[2][8] = { { 1, 2, 3, 4, 5, 9, 9, 9 }, { 9, 9, 9, 9, 9, 9, 9, 3 } };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(picture->pixel(x, y), 0xFF000000u | expected[y][x] * 0x010101u)
                << x << "," << y;
}

TEST(TgaDecoder, PacketsPastTheLastPixelAreIgnored)
{
    // A run and a raw packet that both claim more than the 3 pixels left; the raw packet's
    // missing pixels are never needed, and what follows the image is not read.
    EXPECT_TRUE(DecodeRle(2, 2, 24, { 0x80, 1, 2, 3, 0x7F, 4, 5, 6, 7, 8, 9, 10, 11, 12 }));
    const std::optional<Picture> run = DecodeRle(2, 2, 32, { 0xFF, 1, 2, 3, 4, 0xFF });
    ASSERT_TRUE(run);
    EXPECT_EQ(run->pixel(1, 1), 0xFF030201u);
}

TEST(TgaDecoder, ShortPixelDataGivesNoPicture)
{
    EXPECT_FALSE(DecodeRle(2, 2, 24, { 0x80, 1, 2, 3, 0x01, 4, 5, 6, 7, 8 }));
    EXPECT_FALSE(DecodeRle(2, 2, 8, { 0x82, 1 }));
    TGALayout raw;
    raw.pixelData = Bytes(2 * 2 * 3 - 1, 0);
    EXPECT_FALSE(DecodeTGA(test::WriteTGA(TGAImage{ 2, 2, {}, {}, {} }, raw)));
}

TEST(TgaDecoder, HugeClaimInSmallFileIsRefusedBeforeAllocating)
{
    // Under the sanitizers an attempt to allocate gigabytes would itself fail the test.
    for (std::uint8_t type : { 2, 10 }) {
        TGALayout layout;
        layout.imageType = type;
        layout.pixelDepth = 32;
        layout.width = layout.height = 32767;
        layout.pixelData = Bytes(82, 0xFF);
        EXPECT_FALSE(DecodeTGA(test::WriteTGA(TGAImage{}, layout)));
    }
}

// The largest picture allowed opens, by every route; one row more is refused, although the file
// holds every pixel it claims.
TEST(TgaDecoder, PictureSizeLimitAtItsEdge)
{
    // Grey runs of 128 pixels, the level counting the runs.
    const auto greyRuns = [](int width, int height) {
        TGALayout layout;
        layout.imageType = 11;
        layout.pixelDepth = 8;
        layout.width = static_cast<std::int16_t>(width);
        layout.height = static_cast<std::int16_t>(height);
        layout.topToBottom = true;
        Bytes packets;
        for (std::size_t run = 0; run < std::size_t(width) * std::size_t(height) / 128; ++run)
            packets.insert(packets.end(), { 0xFF, static_cast<std::uint8_t>(run) });
        layout.pixelData = std::move(packets);
        return test::WriteTGA(TGAImage{}, layout);
    };
    static_assert(kMaxPicturePixels == 8192 * 8192);
    test::TempFolder folder;
    ASSERT_TRUE(test::WriteTGAFile(folder.path() / "largest.tga", greyRuns(8192, 8192)));
    const std::optional<Picture> largest = LoadTGA(folder.path() / "largest.tga");
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->width(), 8192);
    EXPECT_EQ(largest->height(), 8192);
    EXPECT_EQ(largest->pixel(127, 0), 0xFF000000u);
    EXPECT_EQ(largest->pixel(128, 0), 0xFF010101u);
    EXPECT_EQ(largest->pixel(8191, 8191), 0xFFFFFFFFu);

    const Bytes tooLarge = greyRuns(8192, 8193);
    ASSERT_TRUE(test::WriteTGAFile(folder.path() / "too_large.tga", tooLarge));
    EXPECT_FALSE(DecodeTGA(tooLarge));
    EXPECT_FALSE(test::DecodeTGAInSteps(tooLarge));
    EXPECT_FALSE(LoadTGA(folder.path() / "too_large.tga"));
}

TEST(TgaDecoder, ImageIdOf255BytesIsSkipped)
{
    const TGAImage image = MakeImage(3, 3, 0);
    TGALayout layout;
    layout.imageId = std::string(255, 'x');
    const std::optional<Picture> picture = DecodeTGA(test::WriteTGA(image, layout));
    ASSERT_TRUE(picture);
    EXPECT_EQ(ComparePicture(*picture, ExpectedPicture(image, layout), "ImageId255"), "");
}

TEST(TgaDecoder, OriginsHaveNoEffect)
{
    TGAImage image = MakeImage(4, 3, 256);
    TGALayout layout;
    layout.imageType = 1;
    layout.pixelDepth = 8;
    const Bytes plain = test::WriteTGA(image, layout);
    layout.colorMapOrigin = 17;
    layout.xOrigin = -3;
    layout.yOrigin = 999;
    const std::optional<Picture> moved = DecodeTGA(test::WriteTGA(image, layout));
    ASSERT_TRUE(moved);
    EXPECT_EQ(ComparePicture(*moved, ExpectedPicture(image, layout), "Origins"), "");
}

TEST(TgaDecoder, NonMappedTypesReadPixelsRightAfterTheImageId)
{
    // A grey image whose header declares an (unusual) colour map: the map bytes are pixels.
    TGAImage image{ 3, 1, {}, { 7, 8, 9 }, { 0x00112233u } };
    TGALayout layout;
    layout.imageType = 3;
    layout.pixelDepth = 8;
    layout.colorMapType = 2;
    layout.topToBottom = true;
    layout.pixelData = Bytes{ 50, 60 };
    const std::optional<Picture> grey = DecodeTGA(test::WriteTGA(image, layout));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->pixel(0, 0), 0xFF333333u);
    EXPECT_EQ(grey->pixel(2, 0), 0xFF111111u);
}

// Every prefix of a file decodes without harm; only the complete pixel data give a picture.
TEST(TgaDecoder, TruncationSweep)
{
    struct Fixture
    {
        std::uint8_t type;
        int depth;
        std::size_t map;
    };
    for (const Fixture f : { Fixture{ 1, 8, 300 }, Fixture{ 9, 8, 256 }, Fixture{ 2, 24, 0 },
             Fixture{ 10, 16, 0 }, Fixture{ 10, 32, 0 }, Fixture{ 11, 8, 0 } }) {
        const TGAImage image = MakeImage(9, 6, f.map, f.type);
        TGALayout layout;
        layout.imageType = f.type;
        layout.pixelDepth = f.depth;
        layout.imageId = "id";
        const Bytes file = test::WriteTGA(image, layout);
        for (std::size_t length = 0; length < file.size(); ++length)
            EXPECT_FALSE(DecodeTGA(std::span(file.data(), length))) << int(f.type) << " " << length;
        EXPECT_TRUE(DecodeTGA(file));
    }
}

// Every file decodes from disk exactly as from memory, good or bad: the samples, the fuzzing
// corpus, and the files that fill the read cap to its last byte (a full colour map of 32-bit
// entries, a 255-byte image ID and one-pixel packets of two bytes each).
TEST(TgaLoader, LoadsEveryFileAsFromMemory)
{
    namespace fs = std::filesystem;
    test::TempFolder folder;
    for (const int entryBits : { 24, 32 })
        for (const int mapLength : { 1, 256, 300 }) {
            const TGAImage image = MakeImage(7, 3, static_cast<std::size_t>(mapLength));
            TGALayout layout;
            layout.imageType = 9;
            layout.pixelDepth = 8;
            layout.colorMapEntryBits = entryBits;
            layout.imageId = std::string(255, 'i');
            layout.pixelData.emplace();
            for (const std::uint8_t index : image.indices)
                layout.pixelData->insert(layout.pixelData->end(), { 0x00, index });
            const std::string name =
                "map" + std::to_string(mapLength) + "x" + std::to_string(entryBits) + ".tga";
            ASSERT_TRUE(test::WriteTGAFile(folder.path() / name, test::WriteTGA(image, layout)));
        }

    std::vector<fs::path> files;
    for (const fs::path& root : { folder.path(), fs::path(SNAPVALE_TEST_DATA_DIR) / "tga",
             fs::path(SNAPVALE_TEST_DATA_DIR) / "../../fuzz/corpus/tga" })
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    int pictures = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const Bytes bytes = test::ReadBytes(file);
        const std::optional<Picture> inMemory = DecodeTGA(bytes);
        const std::optional<Picture> fromDisk = LoadTGA(file);
        ASSERT_EQ(fromDisk.has_value(), inMemory.has_value());
        if (!inMemory)
            continue;
        ++pictures;
        ASSERT_EQ(fromDisk->width(), inMemory->width());
        ASSERT_EQ(fromDisk->height(), inMemory->height());
        EXPECT_TRUE(std::equal(fromDisk->data(),
            fromDisk->data() + std::size_t(inMemory->width()) * std::size_t(inMemory->height()),
            inMemory->data()));
    }
    EXPECT_GE(pictures, 40) << "the corpus was found";
}

// Why a file gives no picture is the same from memory and from disk; a file that cannot be read
// at all is told apart, with the system's reason in the line the user reads.
TEST(TgaLoader, RefusalsSayWhy)
{
    const Bytes good = test::WriteTGA(MakeImage(5, 4, 0), TGALayout{});
    TGALayout compressedMap; // a TGA type this decoder does not read
    compressedMap.imageType = 32;
    compressedMap.pixelDepth = 8;
    TGALayout huge;
    huge.width = huge.height = 8193;
    huge.pixelData = Bytes(64, 0);
    TGALayout longId;
    longId.imageId = std::string(200, 'i');
    const Bytes withId = test::WriteTGA(MakeImage(2, 2, 0), longId);
    const struct
    {
        const char* name;
        Bytes file;
        TGAReason reason;
    } cases[] = {
        { "Empty", {}, TGAReason::NotTGA },
        { "Png",
            { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 2,
                0, 0, 0, 1, 0x80, 8, 6 },
            TGAReason::NotTGA },
        { "CompressedColourMap", test::WriteTGA(MakeImage(2, 2, 4), compressedMap),
            TGAReason::UnsupportedType },
        { "MorePixelsThanTheLimit", test::WriteTGA(TGAImage{}, huge), TGAReason::TooLarge },
        { "LastByteMissing", Bytes(good.begin(), good.end() - 1), TGAReason::Truncated },
        { "ImageIdPastTheEnd", Bytes(withId.begin(), withId.begin() + 100), TGAReason::Truncated },
    };
    test::TempFolder folder;
    for (const auto& c : cases) {
        const TGAResult inMemory = DecodeTGAWithReason(c.file);
        EXPECT_FALSE(inMemory.picture) << c.name;
        EXPECT_EQ(inMemory.failure.reason, c.reason) << c.name;
        const std::filesystem::path file = folder.path() / (std::string(c.name) + ".tga");
        ASSERT_TRUE(test::WriteTGAFile(file, c.file));
        EXPECT_EQ(LoadTGAWithReason(file).failure.reason, c.reason) << c.name;
    }

    const TGAResult missing = LoadTGAWithReason(folder.path() / "missing.tga");
    EXPECT_EQ(missing.failure.reason, TGAReason::Unreadable);
    EXPECT_EQ(TGAFailureText(missing.failure),
        "ファイルを読めません（" + std::generic_category().message(ENOENT) + "）");
    EXPECT_EQ(LoadTGAWithReason(folder.path()).failure.reason, TGAReason::Unreadable);
    EXPECT_NE(TGAFailureText({ TGAReason::TooLarge, {} }).find("8192 × 8192"), std::string::npos);
}

TEST(TgaLoader, NoPictureFromWhatIsNoWholeFile)
{
    test::TempFolder folder;
    TGALayout layout;
    const Bytes file = test::WriteTGA(MakeImage(640, 4, 0), layout);
    ASSERT_TRUE(test::WriteTGAFile(folder.path() / "short.tga", std::span(file.data(), 40)));
    EXPECT_FALSE(LoadTGA(folder.path() / "short.tga"));
    EXPECT_FALSE(LoadTGA(folder.path() / "missing.tga"));
    EXPECT_FALSE(LoadTGA(folder.path()));
#ifndef _WIN32
    // A pipe would block the read for ever. (Windows keeps pipes out of folders.)
    ASSERT_EQ(mkfifo((folder.path() / "pipe.tga").c_str(), 0600), 0);
    EXPECT_FALSE(LoadTGA(folder.path() / "pipe.tga"));
#endif
}

} // namespace
