#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>

#include <QDeadlineTimer>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"
#include "support/tga_writer.h"
#include "viewer/image_view.h"
#include "viewer/main_area.h"
#include "viewer/thumbnail_loader.h"
#include "viewer/thumbnail_tray.h"

namespace snapvale {
namespace {

using test::WriteScreenshot;

class Viewer : public ::testing::Test, public test::MainWindowFixture
{
protected:
    // `count` files on 2004/05/17, named f00.tga, f01.tga, ...
    void WriteDate(int count, int day = 17, const char* prefix = "f")
    {
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%s%02d.tga", prefix, i);
            WriteScreenshot(images, name, 64, 48, 2004, 5, day, 21, 7, i);
        }
    }
    ThumbnailTray& tray() { return *window().findChild<ThumbnailTray*>("pctTray"); }
    ImageView& view() { return *window().findChild<ImageView*>("pctView"); }
    QWidget& preview() { return *window().findChild<QWidget*>("pctPreview"); }
    QScrollBar& scrollBar() { return *window().findChild<QScrollBar*>("vscrTray"); }
    std::string dateLabel()
    {
        return window().findChild<QLabel*>("lblFileDate")->text().toStdString();
    }
    // Waits, a signal at a time and within a deadline, until every picture asked for is in.
    bool PicturesArrive()
    {
        const QDeadlineTimer deadline(std::chrono::seconds(60));
        while (tray().IsLoading()) {
            QSignalSpy arrived(&tray(), &ThumbnailTray::CellLoaded);
            if (!arrived.wait(static_cast<int>(deadline.remainingTime())))
                return false;
        }
        return true;
    }
    std::vector<bool> Decoded()
    {
        std::vector<bool> decoded;
        for (int i = 0; i < tray().CellCount(); ++i)
            decoded.push_back(tray().HasPicture(i));
        return decoded;
    }
};

TEST_F(Viewer, DateShowsItsThumbnailsAndDecodesTheFirstNine)
{
    WriteDate(12);
    Open();
    Select("2004/05/17");

    EXPECT_EQ(preview().pos(), QPoint(176, 0));
    EXPECT_EQ(view().pos(), QPoint(176, 584));
    ASSERT_EQ(tray().CellCount(), 12);
    EXPECT_EQ(tray().Cell(4).fileName.toStdString(), "f04.tga");
    EXPECT_EQ(tray().ToolTip(4).toStdString(), "2004/05/17 21:07:04");
    // The pictures are made off the UI thread: the cells show their outlines first.
    EXPECT_FALSE(tray().HasPicture(0));
    EXPECT_TRUE(tray().IsLoading(8));
    ASSERT_TRUE(PicturesArrive());
    EXPECT_EQ(Decoded(), (std::vector<bool>{ 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0 }));
    const QImage shown = tray().grab(tray().PictureRect(3)).toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), tray().Thumbnail(3));
    EXPECT_EQ(tray().Thumbnail(0).size(), tray().PictureSize());
    EXPECT_EQ(tray().PictureSize(), QSize(208, 160));
    EXPECT_TRUE(scrollBar().isEnabled());
    EXPECT_EQ(scrollBar().maximum(), 3);
    EXPECT_EQ(tray().height(), 4 * 177);
}

TEST_F(Viewer, ScrollingMovesByRowsAndDecodesLazily)
{
    WriteDate(13);
    Open();
    Select("2004/05/17");
    ASSERT_TRUE(PicturesArrive());
    scrollBar().setValue(1);
    EXPECT_EQ(tray().y(), -177);
    ASSERT_TRUE(PicturesArrive());
    EXPECT_EQ(Decoded(), (std::vector<bool>{ 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0 }));
    scrollBar().setValue(4);
    EXPECT_EQ(tray().y(), -4 * 177);
    ASSERT_TRUE(PicturesArrive());
    EXPECT_TRUE(tray().HasPicture(12));
}

TEST_F(Viewer, CellsFollowTheDateShown)
{
    WriteDate(12, 17, "a");
    WriteDate(5, 16, "b");
    Open();
    Select("2004/05/17");
    scrollBar().setValue(2);
    Select("2004/05/16");
    EXPECT_EQ(tray().CellCount(), 5);
    EXPECT_EQ(tray().y(), 0) << "a new date starts at the top";
    EXPECT_FALSE(scrollBar().isEnabled()) << "two rows fit the pane";
    Select("2004/05/17");
    EXPECT_EQ(tray().CellCount(), 12);
    ASSERT_TRUE(PicturesArrive());
    EXPECT_EQ(Decoded(), (std::vector<bool>{ 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0 }))
        << "nothing is kept between dates";
}

// Pictures still being made for a date no longer shown never reach the new date's cells.
TEST_F(Viewer, SwitchingDatesWhilePicturesArePendingShowsOnlyTheNewDate)
{
    WriteDate(12, 17, "a");
    WriteDate(5, 16, "b");
    Open();
    // Each arrival with the blue level of its picture, which is the day of its file.
    std::vector<std::pair<int, int>> arrivals;
    QObject::connect(&tray(), &ThumbnailTray::CellLoaded, [this, &arrivals](int cell) {
        arrivals.emplace_back(cell, qBlue(tray().Thumbnail(cell).pixel(4, 4)));
    });
    Select("2004/05/17");
    ASSERT_TRUE(tray().IsLoading(8));
    Select("2004/05/16");
    ASSERT_TRUE(PicturesArrive());
    std::sort(arrivals.begin(), arrivals.end()); // workers finish in any order
    EXPECT_EQ(arrivals,
        (std::vector<std::pair<int, int>>{
            { 0, 16 }, { 1, 16 }, { 2, 16 }, { 3, 16 }, { 4, 16 } }));
    EXPECT_EQ(Decoded(), (std::vector<bool>{ 1, 1, 1, 1, 1 }));
}

// Ending the loader waits for the pictures already being made, one a worker at most, and starts
// none of the work still queued (a job handed to a worker but not yet making its picture may
// stop short too).
TEST(ThumbnailLoaderEnd, EndingWithWorkQueuedStartsNoMore)
{
    std::atomic<int> made = 0;
    int workers = 0;
    {
        ThumbnailLoader loader(nullptr, [&made](const std::string&, QSize) {
            ++made;
            return QImage();
        });
        workers = loader.Workers();
        for (int cell = 0; cell < 4 * workers + 1; ++cell)
            loader.Queue(cell, "f.tga", QSize(8, 8));
        EXPECT_EQ(loader.Running(), workers);
        EXPECT_TRUE(loader.IsPending(4 * workers));
    }
    EXPECT_LE(made, workers);
}

TEST_F(Viewer, UndecodableFileLeavesACellMarkedBrokenWithItsNameAndDate)
{
    WriteDate(2);
    const auto broken = images.Write("broken.tga", "not a picture at all");
    test::SetLocalModificationTime(broken, 2004, 5, 17, 9, 30, 0);
    Open();
    Select("2004/05/17");
    ASSERT_EQ(tray().CellCount(), 3);
    EXPECT_EQ(tray().Cell(0).fileName.toStdString(), "broken.tga");
    EXPECT_EQ(tray().ToolTip(0).toStdString(), "2004/05/17 09:30:00");
    ASSERT_TRUE(PicturesArrive());
    EXPECT_EQ(Decoded(), (std::vector<bool>{ 0, 1, 1 }));
    // The cell bears a sign inside its outline, unlike a cell still waiting for its picture.
    EXPECT_TRUE(tray().IsBroken(0));
    EXPECT_FALSE(tray().IsBroken(1));
    const QImage inside = tray().grab(tray().PictureRect(0).adjusted(4, 4, -4, -4)).toImage();
    int marked = 0;
    for (int y = 0; y < inside.height(); ++y)
        for (int x = 0; x < inside.width(); ++x)
            marked += inside.pixel(x, y) != inside.pixel(0, 0);
    EXPECT_GT(marked, 200);
}

TEST_F(Viewer, ClickingAThumbnailShowsItsFile)
{
    // The 18th open with its eight files above the 17th, whose cell 4 is clicked.
    WriteDate(8, 18, "n");
    WriteDate(6, 17, "o");
    Open();
    Select("2004/05/18");
    Select("2004/05/17");
    QTest::mouseClick(&tray(), Qt::LeftButton, {}, tray().PictureRect(4).center());
    EXPECT_EQ(CurrentRow(), "o04.tga");
    WaitForView();
    EXPECT_EQ(Caption(), "Snapvale - o04.tga");
    EXPECT_EQ(view().pos(), QPoint(176, 0));
    EXPECT_EQ(preview().pos(), QPoint(176, 584));
    EXPECT_TRUE(view().HasPicture());
    EXPECT_EQ(dateLabel(), "2004/05/17 21:07:04");
}

TEST_F(Viewer, RootRowOnlyBringsTheViewForward)
{
    WriteDate(3);
    Open();
    Select("2004/05/17");
    Select("f01.tga");
    WaitForView();
    const QImage shown = view().picture();
    Select("2004/05/17");
    Select(kTreeRootText);
    EXPECT_EQ(view().pos(), QPoint(176, 0));
    EXPECT_EQ(Caption(), "Snapvale - 2004/05/17") << "the caption stays";
    EXPECT_EQ(view().picture(), shown);
    EXPECT_EQ(dateLabel(), "2004/05/17 21:07:01");
}

TEST_F(Viewer, NamesThatAreNotUtf8StillDecode)
{
#ifdef _WIN32
    // Windows names files in UTF-16: a name that is not valid UTF-8 cannot be made there.
    GTEST_SKIP() << "no file name on Windows is invalid UTF-8";
#endif
    // A name written by an older system in Latin-1: not valid UTF-8, shown with a stand-in
    // character, but the file must still be found by its own bytes.
    WriteScreenshot(images, "caf\xE9.tga", 32, 24, 2004, 5, 17);
    Open();
    Select("2004/05/17");
    ASSERT_EQ(tray().CellCount(), 1);
    ASSERT_TRUE(PicturesArrive());
    EXPECT_TRUE(tray().HasPicture(0));
    Select("caf\xE9.tga");
    WaitForView();
    EXPECT_TRUE(view().HasPicture());
}

TEST_F(Viewer, VanishedFileShowsNoPictureAndNoDate)
{
    WriteDate(2);
    Open();
    Select("2004/05/17");
    std::filesystem::remove(images.path() / "f01.tga");
    Select(kTreeRootText);
    Select("2004/05/17");
    EXPECT_EQ(tray().ToolTip(1).toStdString(), "");
    Select("f01.tga");
    WaitForView();
    EXPECT_EQ(Caption(), "Snapvale - f01.tga");
    EXPECT_FALSE(view().HasPicture());
    EXPECT_EQ(dateLabel(), "");
}

TEST_F(Viewer, NewFileDropsTheSelection)
{
    WriteDate(2);
    Open();
    Select("2004/05/17");
    Select("f00.tga");
    WaitForView();
    QTest::mousePress(&view(), Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, QPoint(12, 12));
    ASSERT_TRUE(view().shpRect()->isVisible());
    Select("f01.tga");
    EXPECT_FALSE(view().shpRect()->isVisible());
}

// The whole way a user goes: start, pick a date, see the tray, click a thumbnail, see the
// image.
TEST_F(Viewer, EndToEndFromStartToTheFullPicture)
{
    WriteScreenshot(images, "old.tga", 320, 240, 2004, 4, 30);
    WriteScreenshot(images, "mid.tga", 320, 240, 2004, 5, 17);
    const QImage wanted = WriteScreenshot(images, "new.tga", 800, 600, 2004, 5, 18);
    WriteScreenshot(images, "new2.tga", 640, 480, 2004, 5, 18);
    Open();
    // The root open over its dates, newest first, each closed.
    const QModelIndex root = tree().model()->index(0, 0);
    EXPECT_TRUE(tree().isExpanded(root));
    QStringList dates;
    for (int row = 0; row < tree().model()->rowCount(root); ++row) {
        const QModelIndex date = tree().model()->index(row, 0, root);
        dates << date.data().toString();
        EXPECT_FALSE(tree().isExpanded(date));
    }
    EXPECT_EQ(dates, (QStringList{ "2004/05/18", "2004/05/17", "2004/04/30" }));

    ClickRow("2004/05/18");
    EXPECT_EQ(Caption(), "Snapvale - 2004/05/18");
    ASSERT_EQ(tray().CellCount(), 2);
    QTest::mouseClick(&tray(), Qt::LeftButton, {}, tray().PictureRect(0).center());
    WaitForView();
    EXPECT_EQ(Caption(), "Snapvale - new.tga");

    const QImage shot = window().grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(QStringLiteral(SNAPVALE_TEST_OUTPUT_DIR "/end_to_end.png"));
    // The view's inner area starts after its 2-pixel border, below the menu bar; the picture
    // is in sight up to the main area's scroll bars.
    const QPoint origin = view().mapTo(&window(), view().contentsRect().topLeft());
    const QWidget* sight = window().findChild<MainArea*>("mainArea")->viewport();
    const QRect inSight(sight->mapTo(&window(), QPoint(0, 0)), sight->size());
    ASSERT_GE(inSight.right() - origin.x(), 600);
    ASSERT_GE(inSight.bottom() - origin.y(), 450);
    int mismatches = 0;
    for (int y = 0; origin.y() + y <= inSight.bottom(); y += 3)
        for (int x = 0; origin.x() + x <= inSight.right(); x += 3)
            mismatches += shot.pixel(origin.x() + x, origin.y() + y) != wanted.pixel(x, y);
    EXPECT_EQ(mismatches, 0) << "see end_to_end.png in the test's build folder";
}

} // namespace
} // namespace snapvale
