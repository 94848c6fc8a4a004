// The main area on its own: the scroll bars it shows for a pane of each size, and what it does
// when it is resized.

#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "viewer/main_area.h"

namespace snapvale {
namespace {

TEST(MainAreaBars, OnlyWhenNeededCountingTheRoomTheOtherBarTakes)
{
    QWidget parent;
    parent.resize(800, 600);
    auto* area = new MainArea(&parent);
    area->setGeometry(0, 0, 400, 300);
    auto* pane = new QWidget(area->stage());
    parent.show();
    const int across = area->horizontalScrollBar()->sizeHint().height();
    const int down = area->verticalScrollBar()->sizeHint().width();

    const struct
    {
        QSize pane;
        bool across, down;
    } cases[] = {
        { { 400, 300 }, false, false },
        { { 401, 300 - across }, true, false },
        // The bar across takes the room the pane needed in height: a bar down too.
        { { 401, 300 - across + 1 }, true, true },
        { { 400 - down, 301 }, false, true },
        { { 400 - down + 1, 301 }, true, true },
        { { 1920, 1080 }, true, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pane.width() << "x" << c.pane.height());
        pane->setGeometry(QRect(QPoint(0, 0), c.pane));
        area->SetShownPane(pane);
        EXPECT_EQ(area->horizontalScrollBar()->isVisibleTo(area), c.across);
        EXPECT_EQ(area->verticalScrollBar()->isVisibleTo(area), c.down);
        // Every pixel of the pane can be scrolled into sight, and no more.
        EXPECT_EQ(area->horizontalScrollBar()->maximum(),
            std::max(0, c.pane.width() - area->viewport()->width()));
        EXPECT_EQ(area->verticalScrollBar()->maximum(),
            std::max(0, c.pane.height() - area->viewport()->height()));
        EXPECT_EQ(area->viewport()->width(), 400 - (c.down ? down : 0));
        EXPECT_EQ(area->viewport()->height(), 300 - (c.across ? across : 0));
    }

    // Resized by the program, the area reports its new size once and scrolls what it now must.
    QSignalSpy resized(area, &MainArea::Resized);
    area->resize(1000, 500);
    ASSERT_EQ(resized.count(), 1);
    EXPECT_EQ(resized.at(0).at(0).toSize(), QSize(1000, 500));
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 1920 - area->viewport()->width());
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 1080 - area->viewport()->height());
    area->ScrollTo({ 5000, 5000 });
    EXPECT_EQ(area->ScrollPosition(),
        QPoint(area->horizontalScrollBar()->maximum(), area->verticalScrollBar()->maximum()));
    // The pane's bottom-right corner shows at the viewport's.
    EXPECT_EQ(pane->mapTo(area->viewport(), QPoint(1919, 1079)),
        QPoint(area->viewport()->width() - 1, area->viewport()->height() - 1));
}

} // namespace
} // namespace snapvale
