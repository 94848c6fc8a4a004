#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"
#include "viewer/image_view.h"

namespace snapvale {
namespace {

class RegionAtTheEdge : public ::testing::Test, public test::MainWindowFixture
{
};

// A region dragged past the edge of what the view shows holds exactly the picture's pixels as
// far as the view shows them, and the view's background beyond, whatever the view's size.
TEST_F(RegionAtTheEdge, HoldsThePicturesPixelsThenTheBackground)
{
    const QImage picture = test::WriteScreenshot(images, "big.tga", 800, 600, 2004, 5, 17);
    Open();
    Select("2004/05/17");
    Select("big.tga");
    auto& view = *window().findChild<ImageView*>("pctView");
    const QRgb background = view.palette().color(view.backgroundRole()).rgb();
    const QSize shown = view.contentsRect().size().boundedTo(picture.size());

    const QPoint from(560, 400);
    const QPoint to(900, 700);
    const QPoint border = view.contentsRect().topLeft();
    QTest::mousePress(&view, Qt::LeftButton, {}, from + border);
    QMouseEvent move(QEvent::MouseMove, QPointF(to + border),
        view.mapToGlobal(QPointF(to + border)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to + border);
    // A drag held past the area's visible edge scrolls it, and the region grows with it.
    const SelectionRect marked = view.selection().rect();
    ASSERT_EQ(QPoint(static_cast<int>(marked.left), static_cast<int>(marked.top)), from);
    ASSERT_GE(marked.width, static_cast<float>(to.x() - from.x()));
    ASSERT_GE(marked.height, static_cast<float>(to.y() - from.y()));
    window().findChild<QMenu*>("mnuPopup")->hide();
    window().mnuRight_Click(0);

    const QImage region =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(
        region.size(), QSize(static_cast<int>(marked.width), static_cast<int>(marked.height)));
    int mismatches = 0;
    int fromPicture = 0;
    for (int y = 0; y < region.height(); ++y)
        for (int x = 0; x < region.width(); ++x) {
            const QPoint at = from + QPoint(x, y);
            const bool inPicture = at.x() < shown.width() && at.y() < shown.height();
            fromPicture += inPicture;
            mismatches += region.pixel(x, y) != (inPicture ? picture.pixel(at) : background);
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(fromPicture, 0);
    EXPECT_LT(fromPicture, region.width() * region.height());
}

} // namespace
} // namespace snapvale
