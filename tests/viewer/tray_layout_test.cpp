// The tray on its own, at the design size and wider: its columns, and the keys that move its
// focus cell by rows and pages.

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "viewer/thumbnail_tray.h"

namespace snapvale {
namespace {

class TrayLayout : public ::testing::Test
{
protected:
    // A pane of the design's inner size showing a tray of `count` cells from its top.
    void Show(int count)
    {
        pane.resize(640, 480);
        tray = new ThumbnailTray(TrayGeometry::ForPane(9600, 7200, 255, 255), &pane);
        tray->resize(640, 0);
        std::vector<TrayCell> cells;
        for (int i = 0; i < count; ++i)
            cells.push_back({ QStringLiteral("f%1.tga").arg(i), "f" + std::to_string(i) + ".tga" });
        tray->SetCells(std::move(cells));
        pane.show();
    }

    QWidget pane;
    ThumbnailTray* tray = nullptr;
};

// Eleven cells: rows of three, the last row holding cells 9 and 10; the pane shows two whole
// rows, a page.
TEST_F(TrayLayout, KeysMoveByRowsAndPagesAndStopAtTheLastRow)
{
    Show(11);
    tray->SetFocusCell(8);
    const struct
    {
        Qt::Key key;
        int cell;
    } moves[] = {
        { Qt::Key_Down, 10 }, // no cell below in this column: the last cell
        { Qt::Key_Down, 10 }, // the last row: it stays
        { Qt::Key_Up, 7 },
        { Qt::Key_PageDown, 10 },
        { Qt::Key_PageUp, 4 },
        { Qt::Key_PageUp, 1 }, // the first row, in the same column
        { Qt::Key_PageUp, 1 },
        { Qt::Key_Right, 2 },
        { Qt::Key_PageDown, 8 },
        { Qt::Key_Home, 0 },
        { Qt::Key_PageDown, 6 },
        { Qt::Key_PageDown, 9 },
        { Qt::Key_PageDown, 9 },
    };
    for (const auto& move : moves) {
        QTest::keyClick(tray, move.key);
        EXPECT_EQ(tray->FocusCell(), move.cell) << QTest::toString(move.key);
    }
}

TEST_F(TrayLayout, ColumnsFollowTheWidthAndCellsKeepTheirSize)
{
    Show(11);
    EXPECT_EQ(tray->geometry().columns(), 3);
    EXPECT_EQ(tray->PictureRect(4), QRect(208, 177, 208, 160));
    EXPECT_EQ(tray->height(), 4 * 177);
    QSignalSpy relaid(tray, &ThumbnailTray::ColumnsChanged);

    const struct
    {
        int width, columns, height;
        QPoint cell5;
    } widths[] = {
        { 848, 4, 3 * 177, { 208, 177 } }, { 1744, 8, 2 * 177, { 1038, 0 } },
        { 847, 3, 4 * 177, { 415, 177 } },
        { 400, 3, 4 * 177, { 415, 177 } }, // never fewer than three
    };
    for (const auto& w : widths) {
        SCOPED_TRACE(w.width);
        tray->resize(w.width, tray->height());
        EXPECT_EQ(tray->geometry().columns(), w.columns);
        EXPECT_EQ(tray->height(), w.height) << "as high as its rows";
        EXPECT_EQ(tray->PictureRect(5), QRect(w.cell5, QSize(208, 160)));
        EXPECT_EQ(tray->CellAt(w.cell5 + QPoint(5, 5)), 5);
    }
    EXPECT_EQ(relaid.count(), 3);

    // Down moves by a row of the columns there are now.
    tray->resize(848, tray->height());
    tray->SetFocusCell(1);
    QTest::keyClick(tray, Qt::Key_Down);
    EXPECT_EQ(tray->FocusCell(), 5);
}

} // namespace
} // namespace snapvale
