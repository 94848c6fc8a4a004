#pragma once

// A main window started on real temporary folders, with scripted stand-ins for the modal
// dialogs that a test cannot click.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QModelIndex>

#include "app/main_window.h"
#include "qt/date_tree_view.h"
#include "qt/folder_browser.h"
#include "qt/save_dialog.h"
#include "support/temp_folder.h"

namespace snapvale::test {

// Answers the save dialog from a queue (nothing queued: the user cancels) and records what it
// was asked.
class ScriptedSaveDialog final : public SaveDialog
{
public:
    std::optional<std::string> AskSavePath(QWidget*, const std::string& proposedName) override
    {
        proposed.push_back(proposedName);
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> proposed;
};

// Answers the folder browser from a queue ("" when nothing is queued: cancelled).
class ScriptedFolderBrowser final : public FolderBrowser
{
public:
    std::string BrowseForFolder(
        QWidget*, const std::string& initialFolder, const std::string& title) override
    {
        initialFolders.push_back(initialFolder);
        titles.push_back(title);
        if (answers.empty())
            return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::string> answers;
    std::vector<std::string> initialFolders;
    std::vector<std::string> titles;
};

// A screenshot written as a 24-bit TGA with its file time set; the picture is returned for
// comparing. Every pixel differs, so a shifted or flipped picture shows.
QImage WriteScreenshot(const TempFolder& folder, const std::string& name, int width, int height,
    int year, int month, int day, int hour = 12, int minute = 0, int second = 0);

class MainWindowFixture
{
public:
    MainWindowFixture();
    ~MainWindowFixture();

    // Starts the window on `images` (AppFolder is `app`).
    frmMain& Open();
    frmMain& window() { return *window_; }
    void Close() { window_.reset(); }

    DateTreeView& tree();
    // The tree's row that stands for `name`: the root's caption, a date key or a file name
    // (spelt as the file system spells it); invalid when the tree has no such row yet.
    QModelIndex RowOf(const std::string& name);
    // Makes that row the tree's current row, as choosing it with the keys would.
    void Select(const std::string& name);
    // Clicks that row, as a user would.
    void ClickRow(const std::string& name);
    // What the tree's current row stands for, named as RowOf names it.
    std::string CurrentRow();
    // The window caption, as UTF-8.
    std::string Caption();

    TempFolder app;
    TempFolder images;
    AppState state;
    ScriptedSaveDialog saveDialog;
    ScriptedFolderBrowser folderBrowser;

private:
    std::unique_ptr<frmMain> window_;
};

} // namespace snapvale::test
