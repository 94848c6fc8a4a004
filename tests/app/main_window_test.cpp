#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/private_profile.h"
#include "qt/date_tree_view.h"
#include "support/main_window_fixture.h"
#include "support/temp_folder.h"
#include "viewer/image_view.h"

namespace snapvale {
namespace {

using test::TempFolder;

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state.AppFolder = app.folder();
        state.ImageFolder = images.folder();
    }

    std::unique_ptr<frmMain> Open()
    {
        auto window = std::make_unique<frmMain>(state);
        window->show();
        return window;
    }

    // The menu's items as the user sees them when it opens.
    QStringList MenuTexts(frmMain& window, const char* name)
    {
        QMenu* menu = window.findChild<QMenu*>(name);
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }

    TempFolder app;
    TempFolder images;
    AppState state;
};

TEST_F(MainWindow, OpensAtTheFixedDesignLayout)
{
    auto window = Open();
    EXPECT_EQ(window->windowTitle(), "Snapvale");
    EXPECT_EQ(window->centralWidget()->size(), QSize(825, 487));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the window is not resizable";

    const auto* view = window->findChild<QWidget*>("pctView");
    const auto* preview = window->findChild<QWidget*>("pctPreview");
    EXPECT_EQ(view->geometry(), QRect(176, 0, 644, 484));
    EXPECT_EQ(view->contentsRect().size(), QSize(640, 480));
    // The preview pane waits 100 pixels below the view, out of the 487-pixel client area.
    EXPECT_EQ(preview->y(), 584);
    EXPECT_EQ(window->findChild<QLabel*>("lblFileDate")->text(), "");
    EXPECT_FALSE(window->findChild<QWidget*>("shpRect")->isVisible());
}

TEST_F(MainWindow, HasTheWholeMenuBar)
{
    auto window = Open();
    QStringList bar;
    for (QAction* action : window->menuBar()->actions())
        bar << action->text();
    EXPECT_EQ(bar,
        (QStringList{ "ファイル(&F)", "編集(&E)", "表示(&V)", "ツール(&T)", "フォルダ履歴(&A)" }));
    EXPECT_EQ(MenuTexts(*window, "mnuFiles"),
        (QStringList{ "保存(&S)", "場所を指定して保存(&P)", "-", "終了(&Q)" }));
    EXPECT_EQ(MenuTexts(*window, "mnuEdits"), QStringList{ "コピー(&C)" });
    EXPECT_EQ(MenuTexts(*window, "mnuViews"), QStringList{ "ウィンドウに合わせる(&F)" });
    EXPECT_TRUE(window->findChild<QAction*>("mnuView(0)")->isCheckable());
    EXPECT_EQ(window->findChild<QAction*>("mnuView(0)")->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(MenuTexts(*window, "mnuTools"),
        (QStringList{ "最新の情報に更新(&R)", "-", "オプション(&O)", "バージョン情報(&V)" }));
    EXPECT_EQ(window->findChild<QAction*>("mnuTool(2)")->shortcut(), QKeySequence("F5"));
    EXPECT_EQ(
        MenuTexts(*window, "mnuPopup"), (QStringList{ "ｸﾘｯﾌﾟﾎﾞｰﾄﾞｺﾋﾟｰ", "ﾌｧｲﾙ保存", "ｷｬﾝｾﾙ" }));
    EXPECT_EQ(window->findChild<QAction*>("mnuFile(0)")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(window->findChild<QAction*>("mnuTool(0)")->shortcut(), QKeySequence("Ctrl+O"));
}

TEST_F(MainWindow, HistoryMenuFollowsTheHistory)
{
    state.FolderHistory = { "/a/", "/b & c/" };
    auto window = Open();
    EXPECT_EQ(MenuTexts(*window, "mnuFavorates"),
        (QStringList{ "履歴をクリア(&C)", "-", "/a/", "/b && c/" }));
}

TEST_F(MainWindow, LongHistoryStaysOneList)
{
    state.FolderHistory.clear();
    for (int i = 0; i < 300; ++i)
        state.FolderHistory.push_back("/folder" + std::to_string(i) + "/");
    auto window = Open();
    auto* menu = window->findChild<QMenu*>("mnuFavorates");
    menu->popup(QPoint(0, 0));
    // Far taller than the screen, yet every item under the first rather than in columns beside.
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 302);
    EXPECT_EQ(menu->actionGeometry(items.back()).left(), menu->actionGeometry(items[2]).left());
    EXPECT_LE(menu->width(), menu->screen()->availableGeometry().width() / 2);
    menu->hide();
}

TEST_F(MainWindow, EmptyHistoryShowsTheClearItemAlone)
{
    auto window = Open();
    EXPECT_EQ(MenuTexts(*window, "mnuFavorates"), QStringList{ "履歴をクリア(&C)" });
    window->mnuFavorate_Click(0);
    EXPECT_FALSE(std::filesystem::exists(state.SettingsFile())) << "nothing to clear";
}

// The folder is shown for this run only, and nothing of the folder shown before stays on
// screen: no picture, date or caption without a row of the new tree behind it.
TEST_F(MainWindow, ChoosingAHistoryFolderShowsItAndWritesNothing)
{
    TempFolder other;
    test::WriteScreenshot(other, "b.tga", 8, 8, 2004, 6, 1);
    test::WriteScreenshot(images, "a.tga", 8, 8, 2004, 5, 17);
    state.FolderHistory = { "/a/", other.folder() };
    auto window = Open();
    auto& tree = *window->findChild<DateTreeView*>("vfgTree");
    tree.SelectDate("2004/05/17");
    tree.SelectFile("a.tga");
    ASSERT_EQ(window->windowTitle(), "Snapvale - a.tga");

    emit window->findChild<QMenu*>("mnuFavorates")->aboutToShow();
    window->findChild<QAction*>("mnuFavorate(3)")->trigger();
    EXPECT_EQ(state.ImageFolder, other.folder());
    EXPECT_TRUE(tree.dateModel()->DateIndex("2004/06/01").isValid());
    EXPECT_FALSE(tree.dateModel()->DateIndex("2004/05/17").isValid());
    EXPECT_EQ(tree.Current().kind, TreeChoice::Kind::Root);
    EXPECT_EQ(window->windowTitle(), "Snapvale");
    EXPECT_FALSE(window->findChild<ImageView*>("pctView")->HasPicture());
    EXPECT_EQ(window->findChild<QLabel*>("lblFileDate")->text(), "");
    EXPECT_EQ(state.FolderHistory, (std::vector<std::string>{ "/a/", other.folder() }));
    EXPECT_FALSE(std::filesystem::exists(state.SettingsFile()));
}

TEST_F(MainWindow, ClearingTheHistoryBlanksItsKeys)
{
    WriteIniString("FAVORATES", "FOLDER0", "/a/", state.SettingsFile());
    WriteIniString("FAVORATES", "FOLDER1", "/b/", state.SettingsFile());
    state.FolderHistory = { "/a/", "/b/" };
    auto window = Open();
    EXPECT_EQ(
        MenuTexts(*window, "mnuFavorates"), (QStringList{ "履歴をクリア(&C)", "-", "/a/", "/b/" }));
    window->findChild<QAction*>("mnuFavorate(0)")->trigger();
    EXPECT_EQ(state.FolderHistory, std::vector<std::string>{ "" });
    EXPECT_EQ(MenuTexts(*window, "mnuFavorates"), QStringList{ "履歴をクリア(&C)" });
    EXPECT_EQ(test::ReadFileBytes(state.SettingsFile()), "[FAVORATES]\r\nFOLDER0=\r\nFOLDER1=\r\n");
    EXPECT_EQ(ReadStartupState(app.path().string()).FolderHistory, std::vector<std::string>{ "" });
}

} // namespace
} // namespace snapvale
