#include <filesystem>

#include <gtest/gtest.h>

#include "app/private_profile.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

struct ReadCase
{
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    const char* expected; // nullptr: the default comes back
};

class IniRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(IniRead, FindsValuesAsWindowsDoes)
{
    const ReadCase& c = GetParam();
    TempFolder folder;
    const auto file = folder.Write("Snapvale2.ini", c.file).string();
    const std::string value = ReadIniString(c.section, c.key, file, "<default>");
    EXPECT_EQ(value, c.expected ? c.expected : "<default>");
}

INSTANTIATE_TEST_SUITE_P(Rules, IniRead,
    ::testing::Values(ReadCase{ "Plain", "[CONFIG]\r\nFOLDER=C:\\Shots\\\r\n", "CONFIG", "FOLDER",
                          "C:\\Shots\\" },
        ReadCase{ "SectionCase", "[config]\nfolder=x\n", "CONFIG", "FOLDER", "x" },
        ReadCase{ "BlanksAroundNames", "  [ CONFIG ]  \n \tFOLDER \t=  x y \t\n", "CONFIG",
            "FOLDER", "x y" },
        ReadCase{ "DoubleQuotes", "[C]\nK=\" a \"\n", "C", "K", " a " },
        ReadCase{ "SingleQuotes", "[C]\nK='a'\n", "C", "K", "a" },
        ReadCase{ "MismatchedQuotesStay", "[C]\nK=\"a'\n", "C", "K", "\"a'" },
        ReadCase{ "LoneQuoteStays", "[C]\nK=\"\n", "C", "K", "\"" },
        ReadCase{ "EmptyValueIsNotDefault", "[C]\nK=\n", "C", "K", "" },
        ReadCase{ "CommentIsNoKey", "[C]\n;K=a\n  ;K=b\nK=c\n", "C", "K", "c" },
        ReadCase{ "LineWithoutEqualsIsNoKey", "[C]\nK\nK=b\n", "C", "K", "b" },
        ReadCase{ "FirstEqualsSplits", "[C]\nK=a=b\n", "C", "K", "a=b" },
        ReadCase{ "FirstKeyWins", "[C]\nK=first\nK=second\n", "C", "K", "first" },
        ReadCase{ "FirstSectionBlockWins", "[C]\nA=1\n[D]\n[C]\nK=2\n", "C", "K", nullptr },
        ReadCase{ "KeyOfOtherSection", "[D]\nK=1\n[C]\nX=2\n", "C", "K", nullptr },
        ReadCase{ "KeyBeforeAnySection", "K=1\n[C]\n", "C", "K", nullptr },
        ReadCase{ "MissingSection", "[D]\nK=1\n", "C", "K", nullptr },
        ReadCase{ "LastLineWithoutEnd", "[C]\r\nK=tail", "C", "K", "tail" },
        ReadCase{ "PrefixIsNotTheKey", "[C]\nKEY=1\n", "C", "K", nullptr },
        ReadCase{ "UnclosedSectionIsIgnored", "[C\nK=1\n", "C", "K", nullptr }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniRead, MissingFileGivesDefault)
{
    TempFolder folder;
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", folder.folder() + "none.ini", "d"), "d");
}

TEST(IniRead, LongValueIsCutTo254Bytes)
{
    TempFolder folder;
    const std::string longValue(300, 'v');
    const auto file = folder.Write("s.ini", "[C]\r\nK=" + longValue + "\r\n").string();
    EXPECT_EQ(ReadIniString("C", "K", file, ""), std::string(254, 'v'));
}

TEST(IniWrite, NewFileGetsWindowsLines)
{
    TempFolder folder;
    const std::string file = folder.folder() + "Snapvale2.ini";
    WriteIniString("CONFIG", "FOLDER", "D:\\Games\\Lineage\\", file);
    WriteIniString("FAVORATES", "FOLDER0", "D:\\Games\\Lineage\\", file);
    WriteIniString("FAVORATES", "FOLDER1", "E:\\Shots\\", file);
    WriteIniString("CONFIG", "FOLDER", "E:\\Shots\\", file);
    EXPECT_EQ(ReadFileBytes(file),
        "[CONFIG]\r\nFOLDER=E:\\Shots\\\r\n"
        "[FAVORATES]\r\nFOLDER0=D:\\Games\\Lineage\\\r\n"
        "FOLDER1=E:\\Shots\\\r\n");
}

TEST(IniWrite, ReplacingKeepsEveryOtherByte)
{
    TempFolder folder;
    const std::string before = "; written by hand\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "folder=keep\r\n"
                               "[config]   \r\n"
                               "  Folder = \"old\"  \r\n"
                               "; trailing comment\r\n"
                               "\r\n"
                               "[Last]\r\n"
                               "x=1";
    const auto file = folder.Write("s.ini", before).string();
    WriteIniString("CONFIG", "FOLDER", "new", file);
    std::string expected = before;
    expected.replace(expected.find("  Folder = \"old\"  "), 18, "Folder=new");
    EXPECT_EQ(ReadFileBytes(file), expected);
    EXPECT_EQ(ReadIniString("Other", "FOLDER", file, ""), "keep");
}

TEST(IniWrite, NewKeyFollowsLastKeyOfItsSection)
{
    TempFolder folder;
    const auto file = folder
                          .Write("s.ini",
                              "[FAVORATES]\r\nFOLDER0=a\r\n; note\r\n\r\n"
                              "[CONFIG]\r\nFOLDER=b\r\n")
                          .string();
    WriteIniString("favorates", "FOLDER1", "c", file);
    EXPECT_EQ(ReadFileBytes(file),
        "[FAVORATES]\r\nFOLDER0=a\r\nFOLDER1=c\r\n; note\r\n\r\n"
        "[CONFIG]\r\nFOLDER=b\r\n");
}

TEST(IniWrite, KeyIntoEmptySectionFollowsItsHeader)
{
    TempFolder folder;
    const auto file = folder.Write("s.ini", "[A]\n[B]\nK=1\n").string();
    WriteIniString("A", "NEW", "v", file);
    EXPECT_EQ(ReadFileBytes(file), "[A]\nNEW=v\n[B]\nK=1\n");
}

TEST(IniWrite, NewSectionGoesAtTheEndInTheFilesLineEnds)
{
    TempFolder folder;
    const auto file = folder.Write("s.ini", "[A]\nK=1").string();
    WriteIniString("B", "L", "2", file);
    EXPECT_EQ(ReadFileBytes(file), "[A]\nK=1\n[B]\nL=2\n");
    WriteIniString("A", "M", "3", file);
    EXPECT_EQ(ReadFileBytes(file), "[A]\nK=1\nM=3\n[B]\nL=2\n");
}

TEST(IniWrite, OnlyTheFirstBlockOfARepeatedSectionChanges)
{
    TempFolder folder;
    const auto file = folder.Write("s.ini", "[C]\r\nA=1\r\n[C]\r\nK=2\r\n").string();
    WriteIniString("C", "K", "3", file);
    EXPECT_EQ(ReadFileBytes(file), "[C]\r\nA=1\r\nK=3\r\n[C]\r\nK=2\r\n");
    EXPECT_EQ(ReadIniString("C", "K", file, ""), "3");
}

TEST(IniWrite, JapaneseFolderNamesRoundTrip)
{
    TempFolder folder;
    const std::string file = folder.folder() + "Snapvale2.ini";
    const std::string name = "/home/ユーザー/リネージュ/スクリーンショット/";
    WriteIniString("CONFIG", "FOLDER", name, file);
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", file, ""), name);
}

// Another program's settings, or a file the user locked: whatever cannot be read or written
// stays exactly as it was, and reads give the defaults.
TEST(IniWrite, FileThatCannotBeReadOrWrittenStaysAsItWas)
{
    TempFolder folder;
    const std::string before = "[CONFIG]\r\nFOLDER=old\r\n[FAVORATES]\r\nFOLDER0=/a/\r\n";
    const std::string file = folder.Write("Snapvale2.ini", before).string();
    test::FaultyFileSystem unreadable;
    unreadable.Fail(test::FsCall::ReadFile, "Snapvale2.ini");
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", file, "default", unreadable), "default");
    WriteIniString("CONFIG", "FOLDER", "new", file, unreadable);
    EXPECT_EQ(ReadFileBytes(file), before);

    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    WriteIniString("CONFIG", "FOLDER", "new", file);
    EXPECT_EQ(ReadFileBytes(file), before);
}

} // namespace
} // namespace snapvale
