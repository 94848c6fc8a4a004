#include <gtest/gtest.h>

#include "viewer/zoom.h"

namespace snapvale {
namespace {

TEST(Zoom, FitShrinksWhatIsTooLargeEitherWayAndNeverEnlarges)
{
    const struct
    {
        int width, height, roomWidth, roomHeight;
        double scale;
    } cases[] = {
        { 1920, 1080, 645, 483, 43.0 / 128.0 }, // too large both ways
        { 1000, 300, 645, 483, 0.645 }, // too wide only
        { 300, 1000, 645, 483, 0.483 }, // too tall only
        { 645, 483, 645, 483, 1.0 }, // exactly the room
        { 320, 240, 645, 483, 1.0 }, // smaller: not enlarged
        { 1920, 1080, 0, 0, 1.0 }, // no room to fit into
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_DOUBLE_EQ(FitScale(c.width, c.height, c.roomWidth, c.roomHeight), c.scale);
    }
    // A fitted picture is as large as the room allows one way and within it the other.
    EXPECT_EQ(ScaledSize(1000, 300, 0.645), (ShownSize{ 645, 194 }));
    EXPECT_EQ(ScaledSize(8192, 1, 0.01), (ShownSize{ 82, 1 })) << "never less than a pixel";
}

TEST(Zoom, KeysStepAlongTheLevelsFromAnyScale)
{
    const struct
    {
        double scale, next, previous;
    } cases[] = {
        { 1.0, 1.5, 2.0 / 3.0 },
        { 43.0 / 128.0, 0.5, 1.0 / 3.0 }, // a fitted scale between two levels
        { 1.0 / 3.0, 0.5, 0.25 }, // a level computed again is still that level
        { 0.25, 1.0 / 3.0, 0.25 }, // the smallest stays
        { 8.0, 8.0, 6.0 }, // the largest stays
        { 0.1, 0.25, 0.25 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        EXPECT_DOUBLE_EQ(NextZoomLevel(c.scale), c.next);
        EXPECT_DOUBLE_EQ(PreviousZoomLevel(c.scale), c.previous);
    }
}

} // namespace
} // namespace snapvale
