#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/chosen_folder.h"
#include "settings/start_up.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using Folders = std::vector<std::string>;

// Two running copies of the program, each with the history it read at start-up, choose folders
// in turn: every folder either of them chose stays in the file, once, in the order chosen.
TEST(StoreChosenFolder, TwoCopiesChoosingInTurnKeepEveryFolder)
{
    TempFolder folder;
    const std::string file = folder.folder() + kSettingsFileName;
    Folders first = ReadStartupState(folder.path().string()).FolderHistory;
    Folders second = first;
    Folders chosen;
    for (int turn = 0; turn < 4; ++turn)
        for (auto [memory, name] :
            { std::pair{ &first, "/first" }, std::pair{ &second, "/second" } }) {
            chosen.push_back(name + std::to_string(turn) + kSeparator);
            const StoredFolder stored = StoreChosenFolder(file, chosen.back(), *memory);
            ASSERT_TRUE(stored.status) << stored.status.reason();
            *memory = stored.history;
        }
    // A folder the other copy added is not added again.
    const StoredFolder again = StoreChosenFolder(file, chosen[1], first);
    EXPECT_EQ(again.history, chosen);

    const AppState restarted = ReadStartupState(folder.path().string());
    EXPECT_EQ(restarted.FolderHistory, chosen);
    EXPECT_EQ(restarted.ImageFolder, chosen[1]);
}

// A copy that numbered entries from its own memory left a gap, a duplicate and, past a cleared
// key, a stale folder. The next choice closes the gap, drops the duplicate, and blanks the stale
// key so that it never comes back as the history grows; the rest of the file keeps its bytes.
TEST(StoreChosenFolder, MendsTheHistoryAnOlderCopyLeftAndKeepsTheRest)
{
    TempFolder folder;
    const std::string file = folder.folder() + kSettingsFileName;
    folder.Write(kSettingsFileName,
        "\xEF\xBB\xBF; kept\r\n[CONFIG]\r\nFOLDER=/old/\r\n[FAVORATES]\r\nFOLDER0=/a/\r\n"
        "FOLDER2=/c/\r\nfolder3 = /a/\r\nFOLDER5=\r\nFOLDER6=/stale/\r\n[VIEW]\r\nFIT=1\r\n");
    ASSERT_EQ(ReadStartupState(folder.path().string()).FolderHistory, Folders{ "/a/" });

    const StoredFolder stored = StoreChosenFolder(file, "/e/", { "/a/" });
    ASSERT_TRUE(stored.status);
    EXPECT_EQ(stored.history, (Folders{ "/a/", "/c/", "/e/" }));
    EXPECT_EQ(ReadFileBytes(file),
        "\xEF\xBB\xBF; kept\r\n[CONFIG]\r\nFOLDER=/e/\r\n[FAVORATES]\r\nFOLDER0=/a/\r\n"
        "FOLDER2=/e/\r\nfolder3=\r\nFOLDER5=\r\nFOLDER6=\r\nFOLDER1=/c/\r\n[VIEW]\r\nFIT=1\r\n");

    for (const char* next : { "/f/", "/g/", "/h/", "/i/" })
        StoreChosenFolder(file, next, {});
    EXPECT_EQ(ReadStartupState(folder.path().string()).FolderHistory,
        (Folders{ "/a/", "/c/", "/e/", "/f/", "/g/", "/h/", "/i/" }));
}

TEST(StoreChosenFolder, UnusableFileIsLeftAloneAndTheRunKeepsItsHistory)
{
    TempFolder folder;
    const std::string file = folder.folder() + kSettingsFileName;
    std::filesystem::create_directory(file);
    testing::internal::CaptureStderr();
    const StoredFolder stored = StoreChosenFolder(file, "/b/", { "/a/" });
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(stored.status);
    EXPECT_EQ(stored.history, (Folders{ "/a/", "/b/" }));
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

} // namespace
} // namespace snapvale
