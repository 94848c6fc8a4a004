#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "catalogue/folder_scan.h"
#include "support/temp_folder.h"

namespace {

using namespace snapvale;

namespace fs = std::filesystem;
using test::SetLocalModificationTime;
using test::TempFolder;
using Names = std::vector<std::string>;

// 2004/05/17 21:00 in Tokyo, the time zone the tests run in.
constexpr std::int64_t kNoon2004 = 1084795200;

TEST(FolderScan, CataloguedNames)
{
    for (const char* name : { "a.tga", "A.TGA", "shot.Tga", "x.tGA", "a..tga", "日本.tga" })
        EXPECT_TRUE(IsCataloguedName(name)) << name;
    for (const char* name : { ".tga", ".hidden.tga", "a.tga.bak", "atga", "a.tg", "", "a.tgz" })
        EXPECT_FALSE(IsCataloguedName(name)) << name;
}

// A folder whose files carry the given local dates; names are written in another order than
// the folder order.
struct DatedFile
{
    std::string name;
    int year, month, day, hour = 12;
};

void WriteDated(const TempFolder& folder, const std::vector<DatedFile>& files)
{
    for (const DatedFile& file : files)
        SetLocalModificationTime(
            folder.Write(file.name, ""), file.year, file.month, file.day, file.hour);
}

// Each file falls on its local calendar day, an hour either side of midnight included; dates
// come newest first and files in folder order.
TEST(FolderScan, DatesNewestFirstAndFilesInFolderOrder)
{
    TempFolder folder;
    WriteDated(folder,
        { { "d.tga", 2004, 5, 18, 0 }, { "b.tga", 2004, 4, 30 }, { "C.tga", 2004, 5, 18, 23 },
            { "a.tga", 2004, 5, 17, 23 } });
    Catalogue catalogue;
    EXPECT_EQ(ScanFolder(folder.folder(), catalogue), 3);
    EXPECT_EQ(catalogue.FileNames, (Names{ "a.tga", "b.tga", "C.tga", "d.tga" }));
    EXPECT_EQ(
        catalogue.FileDates, (Names{ "2004/05/17", "2004/04/30", "2004/05/18", "2004/05/18" }));
    EXPECT_EQ(catalogue.DateList, (Names{ "2004/05/18", "2004/05/17", "2004/04/30" }));
}

// Windows' order, whatever order the listing comes in: names compared with ASCII letters folded
// to capitals, and names that differ only in letter case by their exact bytes.
TEST(FolderScan, FolderOrderIgnoresCaseAndBreaksTiesByTextInAnyListingOrder)
{
    Names expected = { "A.tga", "a.TGA", "a.tga", "a1.tga", "AB.tga", "Ab.tga", "aB.tga", "ab.tga",
        "B.tga", "b.tga", "B1.tga" };
    for (char c = 'c'; c <= 'w'; ++c) {
        expected.push_back(std::string(1, static_cast<char>(c - 'a' + 'A')) + ".tga");
        expected.push_back(std::string(1, c) + ".tga");
    }
    for (const char* name : { "XY.tga", "X_Y.tga", "x_y.tga", "Z.tga", "z.tga", "_z.tga", "é.tga" })
        expected.push_back(name);

    std::vector<FolderFile> listing;
    for (const std::string& name : expected)
        listing.push_back({ name, kNoon2004 });
    std::mt19937 random(15);
    for (int round = 0; round < 40; ++round) {
        if (round == 1)
            std::reverse(listing.begin(), listing.end());
        else if (round > 1)
            std::shuffle(listing.begin(), listing.end(), random);
        Catalogue catalogue;
        ASSERT_EQ(BuildCatalogue(listing, catalogue), static_cast<int>(expected.size()) - 1);
        ASSERT_EQ(catalogue.FileNames, expected) << "round " << round;
    }
}

// Date keys are four-digit years; a time that has none (or that the system cannot convert)
// leaves its file out rather than giving a key that sorts wrongly. Windows' file times begin in
// 1601, so its first date is that year's first day.
TEST(FolderScan, FilesOutsideYearsZeroTo9999AreLeftOut)
{
#ifdef _WIN32
    constexpr int kFirstYear = 1601;
    const std::string firstKey = "1601/01/01";
#else
    constexpr int kFirstYear = 0;
    const std::string firstKey = "0000/01/01";
#endif
    using namespace std::chrono;
    const auto noonUtc = [](int y, unsigned m, unsigned d) {
        return duration_cast<seconds>(sys_days(year(y) / month(m) / day(d)).time_since_epoch())
                   .count()
            + 12 * 3600;
    };
    const std::vector<FolderFile> listing = { { "ancient.tga", noonUtc(-1, 12, 31) },
        { "last.tga", noonUtc(9999, 12, 31) }, { "future.tga", noonUtc(10000, 1, 1) },
        { "first.tga", noonUtc(kFirstYear, 1, 1) }, { "normal.tga", kNoon2004 },
        { "far.tga", (std::int64_t{ INT_MAX } - 1000) * 31556952 },
        { "huge.tga", std::numeric_limits<std::int64_t>::max() },
        { "tiny.tga", std::numeric_limits<std::int64_t>::min() } };
    Catalogue catalogue;
    ASSERT_EQ(BuildCatalogue(listing, catalogue), 2);
    EXPECT_EQ(catalogue.FileNames, (Names{ "first.tga", "last.tga", "normal.tga" }));
    EXPECT_EQ(catalogue.FileDates, (Names{ firstKey, "9999/12/31", "2004/05/17" }));
    EXPECT_EQ(catalogue.DateList, (Names{ "9999/12/31", "2004/05/17", firstKey }));
}

TEST(FolderScan, ListsOnlyTgaFilesDirectlyInTheFolder)
{
    TempFolder folder;
    WriteDated(folder,
        { { "UPPER.TGA", 2004, 5, 17 }, { "sub/inner.tga", 2004, 5, 17 },
            { ".hidden.tga", 2004, 5, 17 }, { "notes.txt", 2004, 5, 17 },
            { "folder.tga/x.bin", 2004, 5, 17 }, { "日本語の名前.tga", 2004, 5, 17 } });
#ifndef _WIN32
    // Links count as the files they name; Windows' links need a privilege most users lack.
    const fs::path target = folder.Write("elsewhere/target.bin", "");
    fs::create_symlink(target, folder.path() / "link.tga");
    fs::create_symlink(folder.path() / "gone.bin", folder.path() / "dangling.tga");
    fs::create_directory_symlink(folder.path() / "sub", folder.path() / "dirlink.tga");
    const Names expected = { "link.tga", "UPPER.TGA", "日本語の名前.tga" };
#else
    const Names expected = { "UPPER.TGA", "日本語の名前.tga" };
#endif
    Catalogue catalogue;
    EXPECT_EQ(ScanFolder(folder.folder(), catalogue), static_cast<int>(expected.size()) - 1);
    EXPECT_EQ(catalogue.FileNames, expected);
}

TEST(FolderScan, NothingFoundLeavesTheDateListAsItWas)
{
    TempFolder folder;
    WriteDated(folder, { { "a.tga", 2004, 5, 17 } });
    Catalogue catalogue;
    ASSERT_EQ(ScanFolder(folder.folder(), catalogue), 0);
    for (const std::string& empty : { folder.folder() + "missing/", folder.folder() + "a.tga/" }) {
        EXPECT_EQ(ScanFolder(empty, catalogue), -1);
        EXPECT_TRUE(catalogue.FileNames.empty());
        EXPECT_TRUE(catalogue.FileDates.empty());
        EXPECT_EQ(catalogue.DateList, Names{ "2004/05/17" });
    }
}

// A file the game is still writing grows within one second: its stamp (size, and the time below
// the second) tells each version apart.
TEST(FolderScan, StampsTellVersionsOfAFileWithinOneSecond)
{
    TempFolder folder;
    const fs::path file = folder.Write("a.tga", "0123456789");
    const auto stamp = [&](std::int32_t nanoseconds) {
        test::SetModificationTime(file, kNoon2004, nanoseconds);
        Catalogue catalogue;
        EXPECT_EQ(ScanFolder(folder.folder(), catalogue), 0);
        return catalogue.FileStamps.at(0);
    };
    const FileStamp first = stamp(250'000'000);
    EXPECT_EQ(first.modified, kNoon2004);
    EXPECT_EQ(first.nanoseconds, 250'000'000);
    EXPECT_EQ(first.size, 10);
    EXPECT_NE(stamp(750'000'000), first);
    folder.Write("a.tga", "0123456789abcde");
    const FileStamp grown = stamp(250'000'000);
    EXPECT_EQ(grown.size, 15);
    EXPECT_NE(grown, first);
}

TEST(FolderScan, FileDateTimeText)
{
    TempFolder folder;
    SetLocalModificationTime(folder.Write("a.tga", ""), 2004, 5, 6, 21, 7, 9);
    EXPECT_EQ(FileDateTimeText(folder.folder() + "a.tga"), "2004/05/06 21:07:09");
    EXPECT_EQ(FileDateTimeText(folder.folder() + "gone.tga"), std::nullopt);
}

} // namespace
