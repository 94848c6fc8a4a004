#include <gtest/gtest.h>

#include "export/selection.h"

namespace snapvale {
namespace {

void ExpectRect(const Selection& selection, float left, float top, float width, float height)
{
    EXPECT_FLOAT_EQ(selection.rect().left, left);
    EXPECT_FLOAT_EQ(selection.rect().top, top);
    EXPECT_FLOAT_EQ(selection.rect().width, width);
    EXPECT_FLOAT_EQ(selection.rect().height, height);
}

TEST(Selection, DragToTheLowerRightMarksARegionAndOpensTheMenu)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 10, 20, true);
    selection.MouseMove(kLeftButton, 60, 40);
    selection.MouseMove(kLeftButton, 110, 70);
    EXPECT_TRUE(selection.rect().visible);
    ExpectRect(selection, 10, 20, 100, 50);
    EXPECT_TRUE(selection.MouseUp(kLeftButton, 110, 70));
}

TEST(Selection, ClickShowsAnEmptyRectangleAndNoMenu)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 5, 6, true);
    EXPECT_FALSE(selection.MouseUp(kLeftButton, 5, 6));
    EXPECT_TRUE(selection.rect().visible);
    ExpectRect(selection, 5, 6, 0, 0);
}

TEST(Selection, ReleaseLevelWithTheStartOpensNoMenu)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 10, 20, true);
    selection.MouseMove(kLeftButton, 90, 20);
    EXPECT_FALSE(selection.MouseUp(kLeftButton, 90, 20));
    ExpectRect(selection, 10, 20, 80, 0);
}

TEST(Selection, DraggingUpOrLeftKeepsTheLastRectangle)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 50, 50, true);
    selection.MouseMove(kLeftButton, 40, 60);
    ExpectRect(selection, 50, 50, 0, 0);
    // Released above and left of the start, away from it in both directions: the menu opens.
    EXPECT_TRUE(selection.MouseUp(kLeftButton, 40, 40));

    selection.MouseDown(kLeftButton, 50, 50, true);
    selection.MouseMove(kLeftButton, 70, 80);
    selection.MouseMove(kLeftButton, 30, 90);
    ExpectRect(selection, 50, 50, 20, 30);
}

TEST(Selection, OtherButtonsDropTheSelection)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 1, 1, true);
    selection.MouseMove(kLeftButton, 9, 9);
    selection.MouseDown(kRightButton, 5, 5, true);
    EXPECT_FALSE(selection.rect().visible);
    EXPECT_FALSE(selection.MouseUp(kRightButton, 5, 5));
    selection.MouseDown(kLeftButton, 1, 1, true);
    selection.MouseDown(kMiddleButton, 5, 5, false);
    EXPECT_FALSE(selection.rect().visible);
}

TEST(Selection, MovesWithOtherButtonsHeldChangeNothing)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 10, 10, true);
    selection.MouseMove(kLeftButton | kRightButton, 50, 50);
    selection.MouseMove(0, 60, 60);
    ExpectRect(selection, 10, 10, 0, 0);
}

TEST(Selection, NoPictureNoRectangle)
{
    Selection selection;
    selection.MouseDown(kLeftButton, 10, 10, false);
    selection.MouseMove(kLeftButton, 50, 50);
    EXPECT_FALSE(selection.rect().visible);
    EXPECT_FALSE(selection.MouseUp(kLeftButton, 50, 50));
}

} // namespace
} // namespace snapvale
