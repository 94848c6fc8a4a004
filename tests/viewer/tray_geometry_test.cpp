#include <gtest/gtest.h>

#include "viewer/tray_geometry.h"

namespace snapvale {
namespace {

// The design layout: a preview pane of 9600 x 7200 twips inside, a 255-twip scroll bar and
// 255-twip labels.
const TrayGeometry kDesign = TrayGeometry::ForPane(9600, 7200, 255, 255);
constexpr float kPaneHeight = 7200;

TEST(TrayGeometry, DesignCellSize)
{
    EXPECT_FLOAT_EQ(kDesign.cellWidth(), 3115);
    EXPECT_FLOAT_EQ(kDesign.pictureHeight(), 2400);
    EXPECT_FLOAT_EQ(kDesign.rowPitch(), 2655);
}

TEST(TrayGeometry, CellsRunThreeToARowWithoutGaps)
{
    struct Case
    {
        int cell;
        float left, top;
    };
    for (const Case& c : { Case{ 0, 0, 0 }, Case{ 1, 3115, 0 }, Case{ 2, 6230, 0 },
             Case{ 3, 0, 2655 }, Case{ 4, 3115, 2655 }, Case{ 9, 0, 7965 } }) {
        SCOPED_TRACE(c.cell);
        EXPECT_FLOAT_EQ(kDesign.PictureAt(c.cell).left, c.left);
        EXPECT_FLOAT_EQ(kDesign.PictureAt(c.cell).top, c.top);
        EXPECT_FLOAT_EQ(kDesign.LabelAt(c.cell).left, c.left);
        EXPECT_FLOAT_EQ(kDesign.LabelAt(c.cell).top, c.top + 2400);
    }
}

TEST(TrayGeometry, ScrollBarOnlyWhenTheTrayDoesNotFit)
{
    struct Case
    {
        int cells;
        float height;
        bool enabled;
        int max;
    };
    for (const Case& c : { Case{ 1, 2655, false, 0 }, Case{ 6, 5310, false, 0 },
             Case{ 7, 7965, true, 2 }, Case{ 9, 7965, true, 2 }, Case{ 10, 10620, true, 3 },
             Case{ 5000, 4425885, true, 1666 } }) {
        SCOPED_TRACE(c.cells);
        EXPECT_FLOAT_EQ(kDesign.TrayHeight(c.cells), c.height);
        const TrayScroll scroll = kDesign.Scroll(c.cells, kPaneHeight);
        EXPECT_EQ(scroll.enabled, c.enabled);
        EXPECT_EQ(scroll.max, c.max);
    }
}

TEST(TrayGeometry, ExactFitStillScrolls)
{
    // A tray exactly as high as the pane is "not less than" it.
    const TrayGeometry geometry = TrayGeometry::ForPane(9600, 7200, 255, 0);
    EXPECT_TRUE(geometry.Scroll(9, 7200).enabled);
}

TEST(TrayGeometry, ScrollingPutsTheRowAtTheTop)
{
    EXPECT_FLOAT_EQ(kDesign.TrayTopForRow(0), 0);
    EXPECT_FLOAT_EQ(kDesign.TrayTopForRow(3), -7965);
}

TEST(TrayGeometry, HitTesting)
{
    EXPECT_EQ(kDesign.CellAt(10, 10, 12), 0);
    EXPECT_EQ(kDesign.CellAt(3115 + 1, 2655 + 2500, 12), 4) << "the label belongs to its cell";
    EXPECT_EQ(kDesign.CellAt(6230 + 100, 0, 2), -1) << "no cell there";
    EXPECT_EQ(kDesign.CellAt(9400, 10, 12), -1) << "under the scroll bar";
    EXPECT_EQ(kDesign.CellAt(-1, 10, 12), -1);
}

TEST(TrayGeometry, AsManyColumnsAsTheWidthHoldsButNeverFewerThanThree)
{
    const struct
    {
        float paneWidth;
        int columns;
    } cases[] = {
        { 9600, 3 }, // the design width holds three exactly
        { 6000, 3 }, { 255 + 4 * 3115, 4 }, { 255 + 4 * 3115 - 1, 3 },
        { 1744 * 15, 8 }, // a maximised window's main area
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paneWidth);
        EXPECT_EQ(kDesign.ColumnsFor(c.paneWidth), c.columns);
    }
    TrayGeometry wide = kDesign;
    wide.SetColumns(8);
    EXPECT_FLOAT_EQ(wide.PictureAt(9).left, 3115);
    EXPECT_FLOAT_EQ(wide.PictureAt(9).top, 2655);
    EXPECT_EQ(wide.CellAt(7 * 3115 + 10, 2655 + 10, 20), 15);
    EXPECT_FLOAT_EQ(wide.TrayHeight(17), 3 * 2655);
    EXPECT_EQ(wide.Scroll(17, kPaneHeight).max, 2);
    EXPECT_EQ(wide.BatchFor(kPaneHeight), 24) << "the three rows in sight";
    EXPECT_EQ(wide.BatchFor(4 * 2655 + 1), 40) << "a taller pane shows five rows";
}

TEST(TrayGeometry, ThumbnailsKeepTheirShapeUnlessItIsCloseToTheCells)
{
    const struct
    {
        int width, height;
        PixelSize size;
    } cases[] = {
        { 640, 480, { 208, 160 } }, // 4:3 in the 1.3:1 cell fills it
        { 1920, 1080, { 208, 117 } }, // 16:9 keeps its shape
        { 1080, 1920, { 90, 160 } },
        { 1360, 1000, { 208, 160 } }, // less than 5 % wider than the cell
        { 1370, 1000, { 208, 152 } }, // a little more
        { 1000, 1, { 208, 1 } }, // never less than a pixel
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(ThumbnailSize(c.width, c.height, 208, 160), c.size);
    }
}

} // namespace
} // namespace snapvale
