// The keyboard alone: stepping through a day in the view, back to its thumbnails, moving in the
// tray, and the focus going where the keys are meant to act.

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"
#include "viewer/image_view.h"
#include "viewer/thumbnail_tray.h"

namespace snapvale {
namespace {

using test::WriteScreenshot;

class Keyboard : public ::testing::Test, public test::MainWindowFixture
{
protected:
    // `count` files of 2004/05/<day>, named <prefix>00.tga, <prefix>01.tga, ...
    void WriteDate(int count, int day, const char* prefix)
    {
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%s%02d.tga", prefix, i);
            WriteScreenshot(images, name, 64, 48, 2004, 5, day, 21, 7, i);
        }
    }
    void OpenActive()
    {
        Open();
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }
    // A key as the user types it: to whichever widget has the focus.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    }
    QWidget* Focus() { return QApplication::focusWidget(); }
    ThumbnailTray& tray() { return *window().findChild<ThumbnailTray*>("pctTray"); }
    ImageView& view() { return *window().findChild<ImageView*>("pctView"); }
    QScrollBar& trayBar() { return *window().findChild<QScrollBar*>("vscrTray"); }
    // The cell's picture lies wholly in the pane's inner area.
    bool InSight(int cell)
    {
        const QRect shown = tray().PictureRect(cell).translated(tray().pos());
        return tray().parentWidget()->rect().contains(shown);
    }
};

TEST_F(Keyboard, ViewKeysStepThroughTheDayAndStopAtItsEnds)
{
    WriteDate(2, 18, "a");
    WriteDate(4, 17, "f");
    WriteDate(1, 16, "z");
    OpenActive();
    Select("2004/05/17");
    QTest::mouseClick(&tray(), Qt::LeftButton, {}, tray().PictureRect(1).center());
    ASSERT_EQ(Focus(), &view()) << "a click in the tray hands the keys to the view";

    const struct
    {
        Qt::Key key;
        const char* shown;
    } steps[] = {
        { Qt::Key_Right, "f02.tga" },
        { Qt::Key_Space, "f03.tga" },
        { Qt::Key_PageDown, "f03.tga" }, // the day's last file: no step into 2004/05/16
        { Qt::Key_Left, "f02.tga" },
        { Qt::Key_Backspace, "f01.tga" },
        { Qt::Key_PageUp, "f00.tga" },
        { Qt::Key_Left, "f00.tga" }, // the first: no step back to the date row
        { Qt::Key_End, "f03.tga" },
        { Qt::Key_Home, "f00.tga" },
    };
    for (const auto& step : steps) {
        Press(step.key);
        EXPECT_EQ(Caption(), std::string("Snapvale - ") + step.shown) << QTest::toString(step.key);
        EXPECT_EQ(CurrentRow(), step.shown) << "the tree follows";
    }
    EXPECT_EQ(Focus(), &view());
}

TEST_F(Keyboard, EscapeReturnsToTheTrayWhereArrowsMoveAndEnterOpens)
{
    WriteDate(12, 17, "f");
    OpenActive();
    Select("2004/05/17");
    Select("f10.tga");
    view().setFocus();
    Press(Qt::Key_Escape);
    EXPECT_EQ(Caption(), "Snapvale - 2004/05/17");
    EXPECT_EQ(CurrentRow(), "2004/05/17");
    EXPECT_EQ(Focus(), &tray());
    EXPECT_EQ(tray().FocusCell(), 10);
    EXPECT_TRUE(InSight(10));
    // The focus cell is framed in the highlight colour.
    const QImage shown = tray().grab().toImage();
    EXPECT_EQ(shown.pixel(tray().PictureRect(10).topLeft() + QPoint(1, 40)),
        tray().palette().color(QPalette::Highlight).rgb());

    const struct
    {
        Qt::Key key;
        int cell;
    } moves[] = {
        { Qt::Key_Up, 7 },
        { Qt::Key_Left, 6 },
        { Qt::Key_Down, 9 },
        { Qt::Key_Right, 10 },
        { Qt::Key_Right, 11 },
        { Qt::Key_Down, 11 }, // the last row
        { Qt::Key_Home, 0 },
        { Qt::Key_Up, 0 },
        { Qt::Key_End, 11 },
    };
    for (const auto& move : moves) {
        Press(move.key);
        EXPECT_EQ(tray().FocusCell(), move.cell) << QTest::toString(move.key);
        EXPECT_TRUE(InSight(move.cell)) << QTest::toString(move.key);
    }
    Press(Qt::Key_Return);
    EXPECT_EQ(Caption(), "Snapvale - f11.tga");
    EXPECT_EQ(Focus(), &view());
}

TEST_F(Keyboard, TreeKeysKeepTheFocusAndTabGoesBetweenTreeAndPane)
{
    WriteDate(12, 18, "a");
    WriteDate(12, 17, "b");
    OpenActive();
    Select("2004/05/18");
    trayBar().setValue(2);
    tree().setFocus();
    // Down to the first file and back up: the tray is filled again from its top.
    Press(Qt::Key_Down);
    EXPECT_EQ(Caption(), "Snapvale - a00.tga");
    Press(Qt::Key_Up);
    EXPECT_EQ(Caption(), "Snapvale - 2004/05/18");
    EXPECT_EQ(trayBar().value(), 0);
    EXPECT_EQ(Focus(), &tree());

    Press(Qt::Key_Return);
    EXPECT_EQ(Focus(), &tray());
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focus(), &tree());
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focus(), &tray());
    Press(Qt::Key_Tab);
    Press(Qt::Key_Down);
    EXPECT_EQ(Caption(), "Snapvale - a00.tga");
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focus(), &view());
}

} // namespace
} // namespace snapvale
