#include <array>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "settings/private_profile.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using namespace std::string_view_literals;
using test::ReadFileBytes;
using test::TempFolder;

struct ReadCase
{
    const char* name;
    std::string_view file;
    const char* section;
    const char* key;
    const char* expected; // nullptr: the default comes back
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

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
        ReadCase{ "UnclosedSectionOpensASection", " [ C \nK=1\n", "C", "K", "1" },
        ReadCase{ "ValueEndsAtNul", "[C]\nK=ab\0cd\nL=2\n"sv, "C", "K", "ab" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniRead, DefaultComesBackWithoutTrailingBlanks)
{
    TempFolder folder;
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", folder.folder() + "none.ini", " d \t "), " d");
    const auto file = folder.Write("s.ini", "[CONFIG]\n").string();
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", file, "d  "), "d");
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

// Line ends and a byte-order mark: what is read, and the bytes after one write.
struct LineEndCase
{
    const char* name;
    std::string_view before;
    std::vector<std::array<const char*, 3>> reads; // section, key, value
    std::array<const char*, 3> write; // section, key, value
    std::string_view after;
};

void PrintTo(const LineEndCase& c, std::ostream* out) { *out << c.name; }

class IniLineEnds : public ::testing::TestWithParam<LineEndCase>
{
};

TEST_P(IniLineEnds, ReadAndKeptOnWriting)
{
    const LineEndCase& c = GetParam();
    TempFolder folder;
    const std::string file = folder.Write("s.ini", c.before).string();
    for (const auto& [section, key, value] : c.reads)
        EXPECT_EQ(ReadIniString(section, key, file, "<default>"), value) << section << '/' << key;
    const auto& [section, key, value] = c.write;
    WriteIniString(section, key, value, file);
    EXPECT_EQ(ReadFileBytes(file), c.after);
    EXPECT_EQ(ReadIniString(section, key, file, "<default>"), value);
}

INSTANTIATE_TEST_SUITE_P(Files, IniLineEnds,
    ::testing::Values(LineEndCase{ "ByteOrderMark", "\xEF\xBB\xBF[CONFIG]\r\nFOLDER=/a/\r\n",
                          { { "CONFIG", "FOLDER", "/a/" } }, { "CONFIG", "FOLDER", "/b/" },
                          "\xEF\xBB\xBF[CONFIG]\r\nFOLDER=/b/\r\n" },
        LineEndCase{ "ByteOrderMarkAlone", "\xEF\xBB\xBF", {}, { "C", "K", "v" },
            "\xEF\xBB\xBF[C]\r\nK=v\r\n" },
        LineEndCase{ "ByteOrderMarkAndNewSection", "\xEF\xBB\xBF[A]\nK=1", { { "A", "K", "1" } },
            { "B", "L", "2" }, "\xEF\xBB\xBF[A]\nK=1\n[B]\nL=2\n" },
        LineEndCase{ "LoneCarriageReturns", "[CONFIG]\rFOLDER=/a/\r[FAVORATES]\rFOLDER0=/x/\r",
            { { "CONFIG", "FOLDER", "/a/" }, { "FAVORATES", "FOLDER0", "/x/" } },
            { "FAVORATES", "FOLDER1", "/y/" },
            "[CONFIG]\rFOLDER=/a/\r[FAVORATES]\rFOLDER0=/x/\rFOLDER1=/y/\r" },
        LineEndCase{ "MixedEndsNewLineTakesTheFirst", "[C]\nK=1\r\n\r\r\nM=2\r",
            { { "C", "K", "1" }, { "C", "M", "2" } }, { "C", "N", "3" },
            "[C]\nK=1\r\n\r\r\nM=2\rN=3\n" },
        LineEndCase{ "RewrittenLastLineGetsAnEnd", "[C]\rK=1", { { "C", "K", "1" } },
            { "C", "K", "2" }, "[C]\rK=2\r" },
        LineEndCase{ "KeyAfterHeaderOnTheLastLine", "[A]\r\nK=1\r\n[C]", {}, { "C", "K", "2" },
            "[A]\r\nK=1\r\n[C]\r\nK=2\r\n" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniProfile, SeveralWritesInMemoryGiveTheBytesOfWritesOneByOne)
{
    const std::string before = "; by hand\r\n"
                               "[FAVORATES]\r\n"
                               "FOLDER0=/a/\r\n"
                               "; note\r\n"
                               "[config]\r\n"
                               " folder = /x/ \r\n"
                               "[Empty]\r\n"
                               "[FAVORATES]\r\n"
                               "FOLDER1=/second block/\r\n"
                               "[Tail]";
    const std::vector<std::array<const char*, 3>> writes = {
        { "CONFIG", "FOLDER", "/y/" },
        { "FAVORATES", "FOLDER1", "/b/" },
        { "favorates", "FOLDER2", "/c/" },
        { "Empty", "K", "1" },
        { "Tail", "T", "1" },
        { "New", "N", "1" },
        { "New", "M", "2" },
        { "FAVORATES", "FOLDER0", "" },
        { "Tail", "U", "2" },
        { "Empty", "L", "2" },
    };
    TempFolder folder;
    const std::string oneByOne = folder.Write("one.ini", before).string();
    PrivateProfile profile(before);
    for (const auto& [section, key, value] : writes) {
        WriteIniString(section, key, value, oneByOne);
        profile.Write(section, key, value);
        EXPECT_EQ(profile.Read(section, key, "<default>"), value);
    }
    const std::string expected = "; by hand\r\n"
                                 "[FAVORATES]\r\n"
                                 "FOLDER0=\r\n"
                                 "FOLDER1=/b/\r\n"
                                 "FOLDER2=/c/\r\n"
                                 "; note\r\n"
                                 "[config]\r\n"
                                 "folder=/y/\r\n"
                                 "[Empty]\r\n"
                                 "K=1\r\n"
                                 "L=2\r\n"
                                 "[FAVORATES]\r\n"
                                 "FOLDER1=/second block/\r\n"
                                 "[Tail]\r\n"
                                 "T=1\r\n"
                                 "U=2\r\n"
                                 "[New]\r\n"
                                 "N=1\r\n"
                                 "M=2\r\n";
    EXPECT_EQ(ReadFileBytes(oneByOne), expected);
    EXPECT_EQ(profile.Text(), expected);
}

} // namespace
} // namespace snapvale
