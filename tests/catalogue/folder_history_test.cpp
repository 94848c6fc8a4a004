#include <gtest/gtest.h>

#include "catalogue/folder_history.h"

namespace snapvale {
namespace {

using Names = std::vector<std::string>;

Names MenuFolders(const Names& history)
{
    const auto folders = HistoryMenuFolders(history);
    return Names(folders.begin(), folders.end());
}

TEST(FolderHistory, EachFolderOnceInTheOrderUsedUntilCleared)
{
    Names history{ "" };
    EXPECT_EQ(MenuFolders(history), Names{});
    EXPECT_EQ(ClearHistory(history), 0u) << "an empty history has no keys to blank";
    EXPECT_EQ(AddToHistory(history, "/a/"), 0u);
    EXPECT_EQ(AddToHistory(history, "/b/"), 1u);
    EXPECT_EQ(AddToHistory(history, "/a/"), std::nullopt);
    EXPECT_EQ(AddToHistory(history, "/A/"), 2u) << "letter case counts";
    EXPECT_EQ(MenuFolders(history), (Names{ "/a/", "/b/", "/A/" }));
    EXPECT_EQ(ClearHistory(history), 3u);
    EXPECT_EQ(history, Names{ "" });
    EXPECT_EQ(AddToHistory(history, "/c/"), 0u) << "after a clear the next folder is entry 0";
    EXPECT_EQ(HistoryKey(12), "FOLDER12");
}

} // namespace
} // namespace snapvale
