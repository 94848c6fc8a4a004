// A screenshot larger than the window: the view grows with it, the main area scrolls over it, and
// regions, saves and copies take the picture's own pixels at full size, scrolled or fitted.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImageReader>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "app/private_profile.h"
#include "support/main_window_fixture.h"
#include "viewer/image_view.h"
#include "viewer/main_area.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::WriteScreenshot;

class LargePicture : public ::testing::Test, public test::MainWindowFixture
{
protected:
    void SetUp() override
    {
        picture = WriteScreenshot(images, "big.tga", 1920, 1080, 2004, 5, 17);
        Open();
        ShowBig();
    }
    void ShowBig()
    {
        Select("2004/05/17");
        Select("big.tga");
    }
    ImageView& view() { return *window().findChild<ImageView*>("pctView"); }
    MainArea& area() { return *window().findChild<MainArea*>("mainArea"); }
    QAction& fit() { return *window().findChild<QAction*>("mnuView(0)"); }
    // The window point where the view shows the picture's pixel `at`.
    QPoint OnWindow(QPointF at)
    {
        const QPointF inner = QPointF(view().contentsRect().topLeft()) + at * view().Scale();
        return view().mapTo(&window(), inner.toPoint());
    }
    // A left-button drag as the window system delivers it: by window position.
    void Drag(QPoint from, QPoint to)
    {
        QWindow* handle = window().windowHandle();
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        QTest::mouseMove(handle, to);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, to);
        window().findChild<QMenu*>("mnuPopup")->hide();
    }
    QImage Clipboard()
    {
        return QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    }
    // A wheel notch over the picture. Qt passes a user's wheel on from the view to the area, but
    // not one a program sends, so it goes to the area's viewport.
    void Wheel(int delta, Qt::KeyboardModifiers modifiers)
    {
        const QPointF at(300, 200);
        QWheelEvent wheel(at, area().viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
            Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(area().viewport(), &wheel);
    }

    QImage picture;
};

TEST_F(LargePicture, PaneTakesThePictureSizeAndTheWheelScrollsToItsCorner)
{
    EXPECT_EQ(view().contentsRect().size(), QSize(1920, 1080));
    EXPECT_EQ(view().pos(), QPoint(176, 0));
    // Every pixel in sight is the picture's own: nothing else shows over it or beside it.
    const auto expectPictureInSight = [this](const char* where) {
        const QImage shot = window().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect sight(
            area().viewport()->mapTo(&window(), QPoint(0, 0)), area().viewport()->size());
        const QPoint toPicture =
            view().mapFrom(&window(), QPoint(0, 0)) - view().contentsRect().topLeft();
        int compared = 0;
        int mismatches = 0;
        for (int y = sight.top(); y <= sight.bottom(); ++y)
            for (int x = sight.left(); x <= sight.right(); ++x) {
                const QPoint at = QPoint(x, y) + toPicture;
                if (!picture.rect().contains(at))
                    continue; // the pane's border
                ++compared;
                mismatches += shot.pixel(x, y) != picture.pixel(at);
            }
        EXPECT_GT(compared, 600 * 450) << where;
        EXPECT_EQ(mismatches, 0) << where;
    };
    for (int notch = 0; notch < 3; ++notch)
        Wheel(-120, Qt::NoModifier);
    EXPECT_EQ(area().ScrollPosition().x(), 0);
    EXPECT_GT(area().ScrollPosition().y(), 0);
    expectPictureInSight("three notches down");

    for (int notch = 0; notch < 40; ++notch) {
        Wheel(-120, Qt::NoModifier);
        Wheel(-120, Qt::ShiftModifier);
    }
    const QPoint end(
        area().horizontalScrollBar()->maximum(), area().verticalScrollBar()->maximum());
    ASSERT_GT(end.x(), 1000);
    ASSERT_GT(end.y(), 500);
    EXPECT_EQ(area().ScrollPosition(), end);
    // Up and Down, which the view leaves to the area, scroll too.
    QTest::keyClick(&view(), Qt::Key_Up);
    EXPECT_LT(area().ScrollPosition().y(), end.y());
    QTest::keyClick(&view(), Qt::Key_Down);
    EXPECT_EQ(area().ScrollPosition(), end);
    const QRect sight(area().viewport()->mapTo(&window(), QPoint(0, 0)), area().viewport()->size());
    EXPECT_TRUE(sight.contains(OnWindow({ 1919, 1079 })));
    expectPictureInSight("at the bottom-right corner");

    // A region marked there is cut from the picture at full size.
    Drag(OnWindow({ 1800, 1000 }), OnWindow({ 1900, 1070 }));
    window().mnuRight_Click(0);
    EXPECT_EQ(Clipboard(), picture.copy(1800, 1000, 100, 70));

    // A file shown anew starts at its top-left; the root row in between keeps the view in front.
    Select(kTreeRootText);
    Select("big.tga");
    EXPECT_EQ(area().ScrollPosition(), QPoint(0, 0));
}

TEST_F(LargePicture, DragHeldPastTheEdgeScrollsAndTheRegionFollows)
{
    const QPoint corner =
        area().viewport()->mapTo(&window(), area().viewport()->rect().bottomRight());
    QWindow* handle = window().windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, OnWindow({ 300, 200 }));
    // Over the scroll bars' corner, past the area's visible part and still in the window.
    const QPoint past = corner + QPoint(10, 12);
    QTest::mouseMove(handle, past);
    EXPECT_EQ(area().ScrollPosition(), QPoint(10, 12));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, past);
    window().findChild<QMenu*>("mnuPopup")->hide();

    // The region reaches the picture pixel under the pointer after the scroll.
    const QPoint reached = view().mapFrom(&window(), past) - view().contentsRect().topLeft();
    window().mnuRight_Click(0);
    EXPECT_EQ(Clipboard(), picture.copy(QRect(QPoint(300, 200), reached - QPoint(1, 1))));
}

TEST_F(LargePicture, SaveAndCopyGiveTheWholePictureAtFullSize)
{
    area().ScrollTo({ 400, 300 });
    saveDialog.answers.push_back(images.folder() + "whole.bmp");
    window().mnuFile_Click(0);
    QImageReader reader(QString::fromStdString(images.folder() + "whole.bmp"));
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32), picture);
    window().mnuEdit_Click(0);
    EXPECT_EQ(Clipboard(), picture);
}

TEST_F(LargePicture, FitShowsItWholeAndRegionsComeFromTheFullPicture)
{
    fit().trigger();
    // 1920 x 1080 into the main area's 645 x 483 inside the pane's border: 43/128 of its size,
    // 645 x 363, in a pane no lower than its design size.
    EXPECT_DOUBLE_EQ(view().Scale(), 43.0 / 128.0);
    EXPECT_EQ(view().contentsRect().size(), QSize(645, 480));
    EXPECT_EQ(area().ScrollPosition(), QPoint(0, 0));
    EXPECT_EQ(area().horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(area().verticalScrollBar()->maximum(), 0);

    // Shown pixels (43, 86) and (129, 172) are picture pixels (128, 256) and (384, 512).
    const QPoint inner = view().mapTo(&window(), view().contentsRect().topLeft());
    Drag(inner + QPoint(43, 86), inner + QPoint(129, 172));
    window().mnuRight_Click(0);
    EXPECT_EQ(Clipboard(), picture.copy(128, 256, 256, 256));

    window().mnuEdit_Click(0);
    EXPECT_EQ(Clipboard().size(), QSize(1920, 1080)) << "the whole picture, not what is shown";

    fit().trigger();
    EXPECT_EQ(view().contentsRect().size(), QSize(1920, 1080));
}

TEST_F(LargePicture, FitChoiceSurvivesARestartAndLeavesTheOtherSettings)
{
    WriteIniString("CONFIG", "FOLDER", images.folder(), state.SettingsFile());
    const std::string before = ReadFileBytes(state.SettingsFile());
    fit().trigger();
    EXPECT_EQ(ReadFileBytes(state.SettingsFile()), before + "[VIEW]\r\nFIT=1\r\n");

    Close();
    state = ReadStartupState(app.path().string());
    Open();
    EXPECT_TRUE(fit().isChecked());
    ShowBig();
    EXPECT_DOUBLE_EQ(view().Scale(), 43.0 / 128.0);

    fit().trigger();
    EXPECT_EQ(ReadFileBytes(state.SettingsFile()), before + "[VIEW]\r\nFIT=0\r\n");
    EXPECT_FALSE(ReadStartupState(app.path().string()).FitToWindow);
}

} // namespace
} // namespace snapvale
