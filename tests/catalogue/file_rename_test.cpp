#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/file_rename.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

TEST(FileRename, NameKeepsTheExtensionUnlessAnotherIsTyped)
{
    const struct
    {
        const char* old;
        const char* typed;
        const char* expected;
    } cases[] = { { "Shot001.tga", "boss", "boss.tga" }, { "Shot001.TGA", "boss", "boss.TGA" },
        { "Shot001.tga", "boss.png", "boss.png" }, { "Shot001.tga", "boss.TGA", "boss.TGA" },
        // Dots inside a name are not extensions: numbers, spaces, longer words.
        { "Shot001.tga", "v1.2", "v1.2.tga" },
        { "Shot001.tga", "raid v1.2 boss", "raid v1.2 boss.tga" },
        { "Shot001.tga", "2004.05.17", "2004.05.17.tga" },
        { "Shot001.tga", "raid.screenshot", "raid.screenshot.tga" },
        { "Shot001.tga", ".hidden", ".hidden.tga" }, { "noext", "boss", "boss" } };
    for (const auto& c : cases)
        EXPECT_EQ(NameAfterRename(c.old, c.typed), c.expected) << c.old << " <- " << c.typed;
}

TEST(FileRename, EachSystemsForbiddenNames)
{
    using enum RenameRefusal;
    const struct
    {
        std::string name;
        RenameRefusal posix;
        RenameRefusal windows;
    } cases[] = { { "boss.tga", None, None }, { "ボス 戦.tga", None, None }, { "", Empty, Empty },
        { "   ", Empty, Empty }, { ".", Empty, Empty }, { "..", Empty, Empty },
        { "a/b.tga", ForbiddenCharacter, ForbiddenCharacter },
        { std::string("a\0b.tga", 7), ForbiddenCharacter, ForbiddenCharacter },
        { "a\\b.tga", None, ForbiddenCharacter }, { "a:b.tga", None, ForbiddenCharacter },
        { "a*.tga", None, ForbiddenCharacter }, { "a?.tga", None, ForbiddenCharacter },
        { "\"a\".tga", None, ForbiddenCharacter }, { "<a>.tga", None, ForbiddenCharacter },
        { "a|b.tga", None, ForbiddenCharacter }, { "a\tb.tga", None, ForbiddenCharacter },
        { "boss.", None, TrailingDotOrSpace }, { "boss ", None, TrailingDotOrSpace },
        { "CON", None, ReservedName }, { "con.tga", None, ReservedName },
        { "Nul .tga", None, ReservedName }, { "COM1.tga", None, ReservedName },
        { "lpt9", None, ReservedName }, { "COM\xC2\xB9.tga", None, ReservedName },
        { "CONIN$.tga", None, ReservedName },
        // Only the whole stem is a device.
        { "CONSOLE.tga", None, None }, { "COM10.tga", None, None }, { "xCON.tga", None, None },
        { "LPT.tga", None, None } };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckFileName(c.name, NameRules::Posix), c.posix) << c.name;
        EXPECT_EQ(CheckFileName(c.name, NameRules::Windows), c.windows) << c.name;
    }
}

// The rename itself: a refused name or one another file holds leaves both files as they were,
// and every refusal tells the user why.
TEST(FileRename, RenamesOnlyToAFreeAllowedName)
{
    TempFolder folder;
    folder.Write("Shot001.tga", "first");
    folder.Write("boss.tga", "second");
    const std::string path = folder.folder();

    RenameResult result = RenameFile(path, "Shot001.tga", "boss");
    EXPECT_EQ(result.refusal, RenameRefusal::Exists);
    EXPECT_EQ(result.newName, "boss.tga");
    EXPECT_EQ(RenameRefusalText(result), "「boss.tga」という名前のファイルがすでにあります。");
    for (const char* typed : { "", "a/b", "CON" }) {
        result = RenameFile(path, "Shot001.tga", typed, FileSystem::Default(), NameRules::Windows);
        EXPECT_NE(result.refusal, RenameRefusal::None) << typed;
        EXPECT_FALSE(RenameRefusalText(result).empty()) << typed;
    }
    EXPECT_EQ(RenameFile(path, "Shot001.tga", "Shot001").refusal, RenameRefusal::Unchanged);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Shot001.tga"), "first");
    EXPECT_EQ(ReadFileBytes(folder.path() / "boss.tga"), "second");

    result = RenameFile(path, "Shot001.tga", "raid");
    EXPECT_EQ(result.refusal, RenameRefusal::None);
    EXPECT_EQ(RenameRefusalText(result), "");
    EXPECT_EQ(ReadFileBytes(folder.path() / "raid.tga"), "first");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Shot001.tga"));

    result = RenameFile(path, "Shot001.tga", "again");
    EXPECT_EQ(result.refusal, RenameRefusal::Failed);
    EXPECT_NE(RenameRefusalText(result).find(result.reason), std::string::npos);
    EXPECT_FALSE(result.reason.empty());
}

} // namespace
} // namespace snapvale
