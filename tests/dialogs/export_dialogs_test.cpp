#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/export_dialogs.h"
#include "support/main_window_fixture.h"

namespace snapvale {
namespace {

using Acts = std::map<QString, std::function<void(QDialog&)>>;

// Runs `open`, acting once on each modal dialog that shows meanwhile whose object name `acts`
// names; others (a progress dialog) run on by themselves. A dialog acted on is closed when its act
// returns, so a failing check cannot leave a modal loop waiting for ever.
void WithModalDialogs(const std::function<void()>& open, const Acts& acts)
{
    std::set<QString> done;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !acts.contains(dialog->objectName()) || done.contains(dialog->objectName()))
            return;
        done.insert(dialog->objectName());
        acts.at(dialog->objectName())(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << dialog->objectName().toStdString() << " was left open";
            dialog->reject();
        }
    });
    poll.start();
    open();
    EXPECT_EQ(done.size(), acts.size()) << "not every dialog was shown";
}

class NoQuestion final : public ExistingFileQuestion
{
public:
    ExistingFileAnswer AskAboutExisting(const std::string& target) override
    {
        ADD_FAILURE() << "asked about " << target;
        return ExistingFileAnswer::Skip;
    }
};

// The options chosen reach the files and are kept for the next export; the progress dialog
// gives way to the summary once the files are written.
TEST(ExportDialogs, OptionsThenProgressThenSummary)
{
    test::TempFolder images;
    test::TempFolder out;
    test::WriteScreenshot(images, "a.tga", 32, 24, 2004, 5, 17);
    test::WriteScreenshot(images, "b.tga", 40, 24, 2004, 5, 17);
    test::ScriptedFolderBrowser browser;
    browser.answers.push_back(out.path().string());
    NoQuestion question;
    ExportSettings last{ "", ExportFormat::Png, 80 };
    QString summary;
    WithModalDialogs(
        [&] {
            RunExport(nullptr, browser, question, last, images.folder(), { "a.tga", "b.tga" });
        },
        { { "ExportDialog",
              [](QDialog& dialog) {
                  auto* ok = dialog.findChild<QPushButton*>("cmdOK");
                  auto* quality = dialog.findChild<QSpinBox*>("spnQuality");
                  EXPECT_FALSE(ok->isEnabled()) << "no folder yet";
                  EXPECT_FALSE(quality->isEnabled()) << "PNG has no quality";
                  EXPECT_EQ(quality->value(), 80);
                  QTest::mouseClick(dialog.findChild<QPushButton*>("cmdFolder"), Qt::LeftButton);
                  QTest::mouseClick(dialog.findChild<QRadioButton*>("optJpeg"), Qt::LeftButton);
                  EXPECT_TRUE(quality->isEnabled());
                  quality->setValue(30);
                  QTest::mouseClick(ok, Qt::LeftButton);
              } },
            { "ExportSummary", [&](QDialog& dialog) {
                 summary = dynamic_cast<QMessageBox&>(dialog).text();
                 dialog.accept();
             } } });
    EXPECT_EQ(summary, "2 枚を書き出しました。");
    EXPECT_TRUE(std::filesystem::exists(out.path() / "a.jpg"));
    EXPECT_TRUE(std::filesystem::exists(out.path() / "b.jpg"));
    EXPECT_EQ(last.folder, out.path().string());
    EXPECT_EQ(last.format, ExportFormat::Jpeg);
    EXPECT_EQ(last.quality, 30);
}

TEST(ExportDialogs, SummaryNamesWhatWasNotWritten)
{
    ExportSummary summary;
    summary.written = 3;
    summary.skipped = 1;
    summary.notDone = 2;
    summary.failed = { { "bad.tga", "TGA画像として読めませんでした。" } };
    EXPECT_EQ(ExportSummaryText(summary).toStdString(),
        "3 枚を書き出しました。\n"
        "1 枚は同じ名前のファイルがあるためスキップしました。\n"
        "2 枚は中止したため書き出していません。\n"
        "1 枚は書き出せませんでした:\n"
        "bad.tga: TGA画像として読めませんでした。");
}

} // namespace
} // namespace snapvale
