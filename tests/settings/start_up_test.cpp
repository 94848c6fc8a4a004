#include <algorithm>

#include <gtest/gtest.h>

#include "os/folder_access.h"
#include "settings/private_profile.h"
#include "settings/start_up.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::TempFolder;

AppState StartWith(const TempFolder& folder, const std::string& settings)
{
    folder.Write(kSettingsFileName, settings);
    return ReadStartupState(folder.path().string());
}

TEST(StartUp, NoSettingsFileGivesTheDefaults)
{
    TempFolder folder;
    const AppState state = ReadStartupState(folder.path().string());
    EXPECT_EQ(state.AppFolder, folder.folder());
    EXPECT_EQ(state.SettingsFile(), folder.folder() + "Snapvale2.ini");
    EXPECT_EQ(state.ImageFolder, DefaultImageFolder());
    EXPECT_EQ(state.FolderHistory, std::vector<std::string>{ "" });
    EXPECT_FALSE(std::filesystem::exists(state.SettingsFile())) << "start-up writes nothing";
}

#ifndef _WIN32
TEST(StartUp, DefaultFolderIsTheGameUnderWine)
{
    const std::string folder = DefaultImageFolder();
    EXPECT_TRUE(folder.ends_with("/.wine/drive_c/Program Files/Lineage/")) << folder;
}
#endif

// `path` written with "/" and given in the system's separator, so one test holds everywhere.
std::string Native(std::string path)
{
    std::replace(path.begin(), path.end(), '/', kSeparator);
    return path;
}

TEST(StartUp, ImageFolderGetsItsTrailingSeparator)
{
    TempFolder folder;
    EXPECT_EQ(StartWith(folder, "[CONFIG]\r\nFOLDER=" + Native("/srv/shots") + "\r\n").ImageFolder,
        Native("/srv/shots/"));
    EXPECT_EQ(StartWith(folder, "[CONFIG]\r\nFOLDER=" + Native("/srv/shots/") + "\r\n").ImageFolder,
        Native("/srv/shots/"));
    // Present but empty is not missing: the empty folder becomes the root.
    EXPECT_EQ(StartWith(folder, "[CONFIG]\r\nFOLDER=\r\n").ImageFolder, Native("/"));
}

TEST(StartUp, HistoryEndsAtTheFirstMissingOrEmptyKey)
{
    TempFolder folder;
    EXPECT_EQ(StartWith(folder, "[FAVORATES]\r\nFOLDER0=/a/\r\nFOLDER2=/c/\r\n").FolderHistory,
        std::vector<std::string>{ "/a/" });
    EXPECT_EQ(StartWith(folder, "[FAVORATES]\r\nFOLDER0=\r\nFOLDER1=/b/\r\n").FolderHistory,
        std::vector<std::string>{ "" });
    // Entries are kept exactly as stored: no separator is added to them.
    EXPECT_EQ(StartWith(folder, "[FAVORATES]\r\nFOLDER0=/a\r\nFOLDER1=/b/\r\n").FolderHistory,
        (std::vector<std::string>{ "/a", "/b/" }));
    // Each key as a lookup of that one name finds it: in any letter case, its first line, its
    // exact number only, and only in the section's first block.
    EXPECT_EQ(StartWith(folder,
                  "[favorates]\r\n"
                  "folder0=/a/\r\n"
                  "FOLDER1=/b/\r\n"
                  "FOLDER1=/second line/\r\n"
                  "FOLDER02=/leading zero/\r\n"
                  "FOLDER18446744073709551618=/past any index/\r\n"
                  "; FOLDER2=/comment/\r\n"
                  "FOLDER2=\"/c/\"\r\n"
                  "[Other]\r\n"
                  "FOLDER3=/other section/\r\n"
                  "[FAVORATES]\r\n"
                  "FOLDER3=/second block/\r\n")
                  .FolderHistory,
        (std::vector<std::string>{ "/a/", "/b/", "/c/" }));
}

TEST(StartUp, ViewChoicesFromTheProgramsOwnSection)
{
    TempFolder folder;
    const AppState chosen = StartWith(folder, "[VIEW]\r\nFIT=1\r\nORDER=TIME\r\n");
    EXPECT_TRUE(chosen.FitToWindow);
    EXPECT_EQ(chosen.DayFileOrder, DayOrder::Written);
    EXPECT_EQ(StartWith(folder, "[CONFIG]\r\nORDER=TIME\r\n").DayFileOrder, DayOrder::Name);
}

TEST(StartUp, WrittenHistoryReadsBackInOrder)
{
    TempFolder folder;
    const std::string settings = folder.folder() + kSettingsFileName;
    std::vector<std::string> written;
    for (int i = 0; i < 12; ++i) {
        written.push_back("/shots/日付" + std::to_string(i) + "/");
        WriteIniString("FAVORATES", "FOLDER" + std::to_string(i), written.back(), settings);
    }
    EXPECT_EQ(ReadStartupState(folder.path().string()).FolderHistory, written);
}

TEST(StartUp, ClearedHistoryThenOneNewFolder)
{
    TempFolder folder;
    const AppState state = StartWith(folder,
        "[FAVORATES]\r\nFOLDER0=/new/\r\nFOLDER1=\r\n"
        "FOLDER2=\r\n");
    EXPECT_EQ(state.FolderHistory, std::vector<std::string>{ "/new/" });
}

TEST(StartUp, ProgramInTheRootFolder)
{
#ifdef _WIN32
    const std::string root = "C:\\";
#else
    const std::string root = "/";
#endif
    EXPECT_EQ(WithTrailingSeparator(root), root);
    const AppState state = ReadStartupState(root);
    EXPECT_EQ(state.AppFolder, root);
    // Beside the program only where it may be written; an ordinary user gets the per-user file.
    if (MayWriteInFolder(root)) {
        EXPECT_EQ(state.SettingsFile(), root + "Snapvale2.ini");
    }
}

} // namespace
} // namespace snapvale
