#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/folder_scan.h"
#include "support/temp_folder.h"

namespace {

using namespace snapvale;

namespace fs = std::filesystem;
using test::SetLocalModificationTime;
using test::TempFolder;
using Names = std::vector<std::string>;

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

TEST(FolderScan, DatesNewestFirstAndFilesInFolderOrder)
{
    TempFolder folder;
    WriteDated(folder,
        { { "d.tga", 2004, 5, 18 }, { "b.tga", 2004, 4, 30 }, { "C.tga", 2004, 5, 18 },
            { "a.tga", 2004, 5, 17 } });
    Catalogue catalogue;
    EXPECT_EQ(ScanFolder(folder.folder(), catalogue), 3);
    EXPECT_EQ(catalogue.FileNames, (Names{ "a.tga", "b.tga", "C.tga", "d.tga" }));
    EXPECT_EQ(
        catalogue.FileDates, (Names{ "2004/05/17", "2004/04/30", "2004/05/18", "2004/05/18" }));
    EXPECT_EQ(catalogue.DateList, (Names{ "2004/05/18", "2004/05/17", "2004/04/30" }));
}

TEST(FolderScan, FolderOrderIgnoresCaseAndBreaksTiesByText)
{
    TempFolder folder;
    for (const char* name :
        { "b.tga", "a.tga", "_z.tga", "A.tga", "B1.tga", "a1.tga", "Ab.tga", "aA.tga", "é.tga" })
        folder.Write(name, "");
    Catalogue catalogue;
    ASSERT_EQ(ScanFolder(folder.folder(), catalogue), 8);
    EXPECT_EQ(catalogue.FileNames,
        (Names{ "A.tga", "a.tga", "a1.tga", "aA.tga", "Ab.tga", "b.tga", "B1.tga", "_z.tga",
            "é.tga" }));
}

TEST(FolderScan, DateKeyIsTheLocalCalendarDay)
{
    TempFolder folder;
    WriteDated(folder,
        { { "late.tga", 2004, 5, 17, 23 }, { "early.tga", 2004, 5, 18, 0 },
            { "same.tga", 2004, 5, 18, 23 } });
    Catalogue catalogue;
    ASSERT_EQ(ScanFolder(folder.folder(), catalogue), 2);
    EXPECT_EQ(catalogue.FileDates, (Names{ "2004/05/18", "2004/05/17", "2004/05/18" }));
    EXPECT_EQ(catalogue.DateList, (Names{ "2004/05/18", "2004/05/17" }));
}

TEST(FolderScan, ListsOnlyTgaFilesDirectlyInTheFolder)
{
    TempFolder folder;
    const fs::path target = folder.Write("elsewhere/target.bin", "");
    WriteDated(folder,
        { { "UPPER.TGA", 2004, 5, 17 }, { "sub/inner.tga", 2004, 5, 17 },
            { ".hidden.tga", 2004, 5, 17 }, { "notes.txt", 2004, 5, 17 },
            { "folder.tga/x.bin", 2004, 5, 17 }, { "日本語の名前.tga", 2004, 5, 17 } });
    fs::create_symlink(target, folder.path() / "link.tga");
    fs::create_symlink(folder.path() / "gone.bin", folder.path() / "dangling.tga");
    fs::create_directory_symlink(folder.path() / "sub", folder.path() / "dirlink.tga");
    Catalogue catalogue;
    EXPECT_EQ(ScanFolder(folder.folder(), catalogue), 2);
    EXPECT_EQ(catalogue.FileNames, (Names{ "link.tga", "UPPER.TGA", "日本語の名前.tga" }));
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

TEST(FolderScan, FileDateTimeText)
{
    TempFolder folder;
    SetLocalModificationTime(folder.Write("a.tga", ""), 2004, 5, 6, 21, 7, 9);
    EXPECT_EQ(FileDateTimeText(folder.folder() + "a.tga"), "2004/05/06 21:07:09");
    EXPECT_EQ(FileDateTimeText(folder.folder() + "gone.tga"), std::nullopt);
}

} // namespace
