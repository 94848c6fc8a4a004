#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImageReader>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"
#include "viewer/image_view.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::WriteScreenshot;

QImage ReadBack(const std::string& path)
{
    // By content, not by name: a JPEG may be written under any name.
    QImageReader reader(QString::fromStdString(path));
    reader.setDecideFormatFromContent(true);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// Whether this Qt reads JPEG files: the Windows build's Qt carries no JPEG plugin (the program
// writes and reads JPEG with libjpeg-turbo itself), so the checks that read a saved JPEG back
// through Qt skip there.
bool QtReadsJpeg() { return QImageReader::supportedImageFormats().contains("jpeg"); }

int MaxChannelDifference(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
        std::abs(qBlue(a) - qBlue(b)) });
}

class Export : public ::testing::Test, public test::MainWindowFixture
{
protected:
    void SetUp() override
    {
        picture = WriteScreenshot(images, "abc.tga", 320, 240, 2004, 5, 17);
        Open();
        Select("2004/05/17");
        Select("abc.tga");
        WaitForView();
        background = view().palette().color(view().backgroundRole()).rgb();
    }
    ImageView& view() { return *window().findChild<ImageView*>("pctView"); }
    QMenu& popup() { return *window().findChild<QMenu*>("mnuPopup"); }
    void Drag(QPoint from, QPoint to)
    {
        // Mouse positions in the widget: the inner area starts after the 2-pixel border.
        const QPoint border = view().contentsRect().topLeft();
        QTest::mousePress(&view(), Qt::LeftButton, {}, from + border);
        QMouseEvent move(QEvent::MouseMove, QPointF(to + border),
            view().mapToGlobal(QPointF(to + border)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view(), &move);
        QTest::mouseRelease(&view(), Qt::LeftButton, {}, to + border);
    }
    std::string Path(const std::string& name) { return images.folder() + name; }

    QImage picture;
    QRgb background = 0;
};

TEST_F(Export, SaveProposesTheFileNameAndWritesTheWholeViewAsBmp)
{
    saveDialog.answers.push_back(Path("out.BMP"));
    window().mnuFile_Click(0);
    EXPECT_EQ(saveDialog.proposed, std::vector<std::string>{ "abc" });
    const QImage saved = ReadBack(Path("out.BMP"));
    ASSERT_EQ(saved.size(), QSize(640, 480));
    EXPECT_EQ(ReadFileBytes(Path("out.BMP")).substr(0, 2), "BM");
    EXPECT_EQ(saved.pixel(0, 0), picture.pixel(0, 0));
    EXPECT_EQ(saved.pixel(319, 239), picture.pixel(319, 239));
    EXPECT_EQ(saved.pixel(320, 0), background) << "the view's background beside the picture";
    EXPECT_EQ(saved.pixel(639, 479), background);
}

TEST_F(Export, NameWithoutExtensionIsWrittenAsJpegUnderExactlyThatName)
{
    saveDialog.answers.push_back(Path("picture"));
    window().mnuFile_Click(0);
    ASSERT_TRUE(std::filesystem::exists(Path("picture")));
    EXPECT_EQ(ReadFileBytes(Path("picture")).substr(0, 2), "\xFF\xD8");
    if (!QtReadsJpeg())
        GTEST_SKIP() << "this Qt reads no JPEG";
    const QImage saved = ReadBack(Path("picture"));
    ASSERT_EQ(saved.size(), QSize(640, 480));
    EXPECT_LE(MaxChannelDifference(saved.pixel(100, 100), picture.pixel(100, 100)), 16);
}

TEST_F(Export, NoFileRowNoDialog)
{
    Select("2004/05/17");
    window().mnuFile_Click(0);
    Select(kTreeRootText);
    window().mnuFile_Click(0);
    EXPECT_TRUE(saveDialog.proposed.empty());
}

TEST_F(Export, CancelWritesNothing)
{
    window().mnuFile_Click(0);
    EXPECT_EQ(saveDialog.proposed.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(images.path()), {}), 1);
}

TEST_F(Export, FailedSaveKeepsTheOlderFileAndTheWindowAsItWas)
{
    const auto old = images.Write("locked/old.jpg", "an older picture");
#ifdef _WIN32
    // Windows has no permission bits on folders; a read-only file is refused there instead.
    std::filesystem::permissions(old, std::filesystem::perms::owner_read);
#else
    std::filesystem::permissions(
        old.parent_path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
#endif
    saveDialog.answers.push_back(old.string());
    ::testing::internal::CaptureStderr();
    window().mnuFile_Click(0);
    const std::string said = ::testing::internal::GetCapturedStderr();
    // One line, naming the file and why it could not be written.
#ifdef _WIN32
    const std::string why = "read-only: the file is marked read-only";
#else
    const std::string why = "cannot create files in " + old.parent_path().string()
        + ": read-only: its permissions let no one write it";
#endif
    EXPECT_EQ(said, "snapvale2: could not write " + old.string() + ": " + why + "\n");
    EXPECT_EQ(ReadFileBytes(old), "an older picture");
    EXPECT_EQ(Caption(), "Snapvale - abc.tga");
    EXPECT_TRUE(view().HasPicture());
}

TEST_F(Export, DragMarksARegionAndOpensTheRegionMenu)
{
    Drag({ 10, 20 }, { 110, 70 });
    EXPECT_TRUE(view().shpRect()->isVisible());
    EXPECT_EQ(view().shpRect()->pos(), QPoint(10, 20));
    EXPECT_TRUE(popup().isVisible());
    popup().hide();

    window().mnuRight_Click(0);
    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), QSize(100, 50));
    EXPECT_EQ(copied.pixel(0, 0), picture.pixel(10, 20));
    EXPECT_EQ(copied.pixel(99, 49), picture.pixel(109, 69));
    EXPECT_FALSE(view().shpRect()->isVisible());
}

TEST_F(Export, RegionSavedAsBitmapOfExactlyItsSize)
{
    Drag({ 5, 5 }, { 38, 26 });
    popup().hide();
    saveDialog.answers.push_back(Path("region.bmp"));
    window().mnuRight_Click(1);
    EXPECT_EQ(saveDialog.proposed, std::vector<std::string>{ "svtemp" });
    const QImage saved = ReadBack(Path("region.bmp"));
    ASSERT_EQ(saved.size(), QSize(33, 21));
    EXPECT_EQ(saved.pixel(0, 0), picture.pixel(5, 5));
}

TEST_F(Export, RegionSavedUnderTheProposedNameIsAJpeg)
{
    Drag({ 0, 0 }, { 64, 32 });
    popup().hide();
    saveDialog.answers.push_back(Path("svtemp"));
    window().mnuRight_Click(1);
    EXPECT_EQ(ReadFileBytes(Path("svtemp")).substr(0, 2), "\xFF\xD8");
    if (!QtReadsJpeg())
        GTEST_SKIP() << "this Qt reads no JPEG";
    EXPECT_EQ(ReadBack(Path("svtemp")).size(), QSize(64, 32));
}

TEST_F(Export, CancelItemOnlyHidesTheRectangle)
{
    Drag({ 10, 10 }, { 50, 50 });
    popup().hide();
    window().mnuRight_Click(2);
    EXPECT_FALSE(view().shpRect()->isVisible());
    window().mnuRight_Click(0);
    EXPECT_TRUE(saveDialog.proposed.empty());
}

TEST_F(Export, CopyTakesTheWholeViewAndKeepsTheSelection)
{
    Drag({ 10, 10 }, { 50, 50 });
    popup().hide();
    window().mnuEdit_Click(0);
    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), QSize(640, 480));
    EXPECT_EQ(copied.pixel(10, 10), picture.pixel(10, 10)) << "no outline in the copy";
    EXPECT_TRUE(view().shpRect()->isVisible());
}

TEST_F(Export, DragUpAndLeftOpensTheMenuButCopiesNothing)
{
    QGuiApplication::clipboard()->setText("before");
    Drag({ 100, 100 }, { 50, 50 });
    EXPECT_TRUE(popup().isVisible());
    popup().hide();
    window().mnuRight_Click(0);
    EXPECT_FALSE(view().shpRect()->isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "before");
}

TEST_F(Export, RightClickDropsTheSelection)
{
    Drag({ 10, 10 }, { 50, 50 });
    popup().hide();
    QTest::mouseClick(&view(), Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_FALSE(view().shpRect()->isVisible());
    EXPECT_FALSE(popup().isVisible());
}

// The real dialog, answered as a user would: a filter chosen, a name typed, Save.
TEST(SaveDialogName, WithoutAnExtensionItTakesTheSelectedFilters)
{
    test::TempFolder folder;
    QtSaveDialog dialog;
    const struct
    {
        int filter;
        const char* typed;
        const char* saved;
    } cases[] = {
        { 0, "shot0020", "shot0020.bmp" },
        { 1, "shot0020", "shot0020.jpg" },
        { 0, "shot0020.jpg", "shot0020.jpg" },
        { 1, "picture.png", "picture.png" },
    };
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&] {
            auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(open, nullptr);
            open->selectNameFilter(open->nameFilters().at(c.filter));
            open->selectFile(QString::fromStdString(folder.folder() + c.typed));
            static_cast<QDialog*>(open)->accept(); // as the Save button does
        });
        EXPECT_EQ(dialog.AskSavePath(nullptr, "shot0020"), folder.folder() + c.saved) << c.typed;
    }
}

} // namespace
} // namespace snapvale
