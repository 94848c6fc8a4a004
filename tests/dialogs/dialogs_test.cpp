#include <algorithm>
#include <filesystem>
#include <functional>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/option_dialog.h"
#include "dialogs/version_dialog.h"
#include "dialogs/version_text.h"
#include "settings/private_profile.h"
#include "support/main_window_fixture.h"
#include "viewer/image_view.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::WriteScreenshot;

// A folder as the system writes it: the tests name folders with '/', Windows uses '\\'.
std::string Native(std::string folder)
{
    std::replace(folder.begin(), folder.end(), '/', kSeparator);
    return folder;
}
QString QNative(const char* folder) { return QString::fromStdString(Native(folder)); }

// Calls `open`, which is to show a modal dialog, and lets `act` act on the dialog once it shows.
// Whatever `act` does, the dialog is closed when it returns, so a failing check cannot leave the
// modal loop waiting for ever; checks on the outcome belong after this returns.
void WithModalDialog(const std::function<void()>& open, const std::function<void(QDialog&)>& act)
{
    bool shown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || shown)
            return;
        shown = true;
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog was left open";
            dialog->reject();
        }
    });
    poll.start();
    open();
    EXPECT_TRUE(shown) << "no dialog was shown";
}

class Options : public ::testing::Test, public test::MainWindowFixture
{
protected:
    // Opens the options dialog from the Tools menu and, once it shows, lets `user` act on it.
    void RunOptions(const std::function<void(frmOption&)>& user)
    {
        WithModalDialog([this] { window().mnuTool_Click(0); },
            [&](QDialog& dialog) {
                ASSERT_EQ(&dialog, frmOption::Active());
                user(*frmOption::Active());
            });
        EXPECT_EQ(frmOption::Active(), nullptr) << "the dialog has closed";
    }
    // The history menu's items as the user sees them when it opens.
    QStringList HistoryMenu()
    {
        QMenu* menu = window().findChild<QMenu*>("mnuFavorates");
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }
    std::string Settings() { return ReadFileBytes(state.SettingsFile()); }
};

TEST_F(Options, CancelChangesNothing)
{
    WriteIniString("CONFIG", "FOLDER", images.folder(), state.SettingsFile());
    const std::string before = Settings();
    Open();
    folderBrowser.answers.push_back("/somewhere/else");
    RunOptions([](frmOption& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("txtFolder")->text().toStdString(),
            dialog.SelectedFolder());
        dialog.cmdFolder_Click();
        dialog.cmdCancel_Click();
    });
    EXPECT_EQ(state.ImageFolder, images.folder());
    EXPECT_EQ(Settings(), before);
    EXPECT_EQ(state.FolderHistory, std::vector<std::string>{ "" });
}

TEST_F(Options, OkWithoutBrowsingStoresTheFolderAndStartsTheHistory)
{
    WriteScreenshot(images, "a.tga", 8, 8, 2004, 5, 17);
    Open();
    RunOptions([](frmOption& dialog) { dialog.cmdOK_Click(); });
    EXPECT_EQ(Settings(),
        "[CONFIG]\r\nFOLDER=" + images.folder() + "\r\n[FAVORATES]\r\nFOLDER0=" + images.folder()
            + "\r\n");
    EXPECT_EQ(state.FolderHistory, std::vector<std::string>{ images.folder() });
    EXPECT_EQ(HistoryMenu(),
        (QStringList{ "履歴をクリア(&C)", "-", QString::fromStdString(images.folder()) }));
    EXPECT_TRUE(RowOf("2004/05/17").isValid());
}

// Nothing of the folder shown before stays on screen: no picture, date or caption without a row
// of the new tree behind it.
TEST_F(Options, BrowsedFolderBecomesCurrentAndIsRebuilt)
{
    test::TempFolder other;
    WriteScreenshot(other, "b.tga", 8, 8, 2004, 6, 1);
    WriteScreenshot(images, "a.tga", 8, 8, 2004, 5, 17);
    Open();
    Select("2004/05/17");
    Select("a.tga");
    auto& view = *window().findChild<ImageView*>("pctView");
    auto& dateLabel = *window().findChild<QLabel*>("lblFileDate");
    WaitForView();
    ASSERT_TRUE(view.HasPicture());
    const std::string chosen = other.path().string(); // no trailing separator, as browsers give it
    folderBrowser.answers.push_back(chosen);
    RunOptions([&](frmOption& dialog) {
        dialog.cmdFolder_Click();
        EXPECT_EQ(dialog.findChild<QLineEdit*>("txtFolder")->text().toStdString(), chosen);
        dialog.cmdOK_Click();
    });
    EXPECT_EQ(folderBrowser.initialFolders, std::vector<std::string>{ images.folder() });
    EXPECT_EQ(folderBrowser.titles, std::vector<std::string>{ "Lineageフォルダを選択" });
    EXPECT_EQ(state.ImageFolder, chosen + kSeparator);
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", state.SettingsFile(), ""), chosen + kSeparator);
    EXPECT_TRUE(RowOf("2004/06/01").isValid());
    EXPECT_FALSE(RowOf("2004/05/17").isValid());
    EXPECT_EQ(CurrentRow(), kTreeRootText);
    EXPECT_EQ(Caption(), "Snapvale");
    EXPECT_FALSE(view.HasPicture());
    EXPECT_EQ(dateLabel.text(), "");
}

TEST_F(Options, RootFolderGetsNoSecondSeparator)
{
    Open();
    folderBrowser.answers.push_back(Native("/"));
    RunOptions([](frmOption& dialog) {
        dialog.cmdFolder_Click();
        dialog.cmdOK_Click();
    });
    EXPECT_EQ(state.ImageFolder, Native("/"));
}

TEST_F(Options, KnownFolderAddsNoEntryButOtherLetterCaseDoes)
{
    WriteIniString("FAVORATES", "FOLDER0", Native("/a/"), state.SettingsFile());
    WriteIniString("FAVORATES", "FOLDER1", Native("/b/"), state.SettingsFile());
    state.FolderHistory = { Native("/a/"), Native("/b/") };
    Open();
    EXPECT_EQ(
        HistoryMenu(), (QStringList{ "履歴をクリア(&C)", "-", QNative("/a/"), QNative("/b/") }));
    folderBrowser.answers = { Native("/b"), Native("/B") };
    RunOptions([](frmOption& dialog) {
        dialog.cmdFolder_Click();
        dialog.cmdOK_Click();
    });
    EXPECT_EQ(state.FolderHistory, (std::vector<std::string>{ Native("/a/"), Native("/b/") }));
    EXPECT_EQ(ReadIniString("FAVORATES", "FOLDER2", state.SettingsFile(), "<none>"), "<none>");
    RunOptions([](frmOption& dialog) {
        dialog.cmdFolder_Click();
        dialog.cmdOK_Click();
    });
    EXPECT_EQ(state.FolderHistory,
        (std::vector<std::string>{ Native("/a/"), Native("/b/"), Native("/B/") }));
    EXPECT_EQ(ReadIniString("FAVORATES", "FOLDER2", state.SettingsFile(), ""), Native("/B/"));
    EXPECT_EQ(HistoryMenu(),
        (QStringList{ "履歴をクリア(&C)", "-", QNative("/a/"), QNative("/b/"), QNative("/B/") }));
}

TEST_F(Options, CloseBoxAfterBrowsingAppliesTheFolder)
{
    Open();
    folderBrowser.answers.push_back(Native("/shots"));
    RunOptions([](frmOption& dialog) {
        dialog.cmdFolder_Click();
        dialog.close();
    });
    EXPECT_EQ(state.ImageFolder, Native("/shots/"));
}

// A folder typed or pasted (in quotes, as Windows copies a path) counts as one browsed to; Enter
// is OK and Escape a cancel, wherever the focus is.
TEST_F(Options, TypedFolderWithEnterAndEscapeCancels)
{
    test::TempFolder other;
    Open();
    RunOptions([](frmOption& dialog) {
        auto* box = dialog.findChild<QLineEdit*>("txtFolder");
        box->selectAll();
        QTest::keyClicks(box, "/typed");
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(state.ImageFolder, images.folder());

    const std::string chosen = other.path().string();
    RunOptions([&](frmOption& dialog) {
        auto* box = dialog.findChild<QLineEdit*>("txtFolder");
        box->selectAll();
        QTest::keyClicks(box, QString::fromStdString(" \"" + chosen + "\" "));
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(state.ImageFolder, Native(chosen + "/"));
    EXPECT_EQ(ReadIniString("CONFIG", "FOLDER", state.SettingsFile(), ""), Native(chosen + "/"));

    // Emptied: OK and Enter do nothing until a folder is there.
    RunOptions([](frmOption& dialog) {
        auto* box = dialog.findChild<QLineEdit*>("txtFolder");
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.cmdCancel_Click();
    });
}

// The game's default folder lies under a hidden folder and may not be there yet: the browser opens
// at what there is of it, with hidden folders shown.
TEST(FolderBrowser, OpensAtTheNearestFolderThereShowingHiddenOnes)
{
    test::TempFolder home;
    const std::filesystem::path driveCPath = (home.path() / ".wine/drive_c").make_preferred();
    std::filesystem::create_directories(driveCPath);
    const QString driveC = QString::fromStdString(driveCPath.string());
    QtFolderBrowser browser;
    std::string chosen;
    WithModalDialog(
        [&] {
            chosen = browser.BrowseForFolder(
                nullptr, home.folder() + ".wine/drive_c/Program Files/Lineage/", "");
        },
        [&](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            EXPECT_EQ(files.directory().absolutePath(), QDir::fromNativeSeparators(driveC));
            EXPECT_TRUE(files.filter().testFlag(QDir::Hidden));
            dialog.accept();
        });
    EXPECT_EQ(chosen, driveC.toStdString());

    WithModalDialog([&] { browser.BrowseForFolder(nullptr, home.folder(), ""); },
        [](QDialog& dialog) {
            EXPECT_FALSE(dynamic_cast<QFileDialog&>(dialog).filter().testFlag(QDir::Hidden));
            dialog.reject();
        });
}

TEST_F(Options, AfterAClearTheNextFolderIsEntryZero)
{
    WriteIniString("FAVORATES", "FOLDER0", Native("/a/"), state.SettingsFile());
    WriteIniString("FAVORATES", "FOLDER1", Native("/b/"), state.SettingsFile());
    state.FolderHistory = { Native("/a/"), Native("/b/") };
    Open();
    window().mnuFavorate_Click(0);
    folderBrowser.answers.push_back(Native("/c"));
    RunOptions([](frmOption& dialog) {
        dialog.cmdFolder_Click();
        dialog.cmdOK_Click();
    });
    EXPECT_EQ(HistoryMenu(), (QStringList{ "履歴をクリア(&C)", "-", QNative("/c/") }));
    EXPECT_EQ(ReadStartupState(app.path().string()).FolderHistory,
        std::vector<std::string>{ Native("/c/") });
}

TEST(VersionLine, PlainNumbers)
{
    EXPECT_EQ(VersionLine(2, 10, 5), "Ver. 2.10 Revision 5");
    EXPECT_EQ(VersionLine(1, 1, 0), "Ver. 1.1 Revision 0");
}

TEST_F(Options, VersionDialogShowsItsTextsEachTimeItOpens)
{
    Open();
    std::vector<QStringList> shown;
    for (int time = 0; time < 2; ++time)
        WithModalDialog([this] { window().mnuTool_Click(1); },
            [&](QDialog& dialog) {
                QStringList texts{ dialog.windowTitle() };
                for (const char* name : { "Label1", "lblVersion", "lblDesc", "lblSupport" })
                    texts << dialog.findChild<QLabel*>(name)->text();
                shown.push_back(texts);
                dialog.close();
            });
    const QStringList expected{ "Snapvale2 - Version情報",
        "Snapvale2 - TGA形式のファイルを日付別に閲覧・保存できます。", "Ver. 1.1 Revision 0",
        "このソフトウェアはフリーウェアです。\n"
        "Copyright (c) 2026 Snapvale2 developers. MIT License",
        "お問い合わせ・サポートページ\nE-mail: ありません\nWeb: 同梱の README.md をご覧ください" };
    EXPECT_EQ(shown, (std::vector<QStringList>{ expected, expected }));
}

TEST(VersionDialog, SupportLinesKeepTheirRightEdge)
{
    frmVersion dialog(nullptr);
    const auto* support = dialog.findChild<QLabel*>("lblSupport");
    EXPECT_EQ(support->geometry().right() + 1, 386);
    EXPECT_EQ(dialog.size(), QSize(394, 130));
}

TEST(VersionDialog, RightsLineAgreesWithTheLicence)
{
    const std::string licence = ReadFileBytes(SNAPVALE_TEST_DATA_DIR "/../../LICENSE");
    const std::string name = licence.substr(0, licence.find('\n')); // "MIT License"
    const std::size_t copyright = licence.find("Copyright");
    ASSERT_NE(copyright, std::string::npos);
    const std::string notice = licence.substr(copyright, licence.find('\n', copyright) - copyright);

    frmVersion dialog(nullptr);
    const QStringList lines = dialog.findChild<QLabel*>("lblDesc")->text().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1].toStdString(), notice + ". " + name);
}

} // namespace
} // namespace snapvale
