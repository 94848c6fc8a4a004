// The view on a screen at 200 % scaling: a fitted picture is drawn at the screen's own pixels,
// not scaled to the window's pixels and then doubled; at 1:1 each pixel is a sharp block, and
// shrunk further the picture is smoothly averaged.
// Its own executable, since the scaling is set before the application starts.

#include <cstdlib>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "viewer/image_view.h"

namespace snapvale {
namespace {

TEST(ViewAtTwiceTheScale, FitIsDrawnAtTheScreensOwnPixels)
{
    ASSERT_DOUBLE_EQ(qApp->devicePixelRatio(), 2.0);
    // Neighbouring pixels differ, so a picture scaled and doubled cannot pass for it.
    QImage picture(1280, 960, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 2 ? 255 : 0));
    QWidget host;
    host.resize(700, 520);
    ImageView view(QSize(644, 484), &host);
    view.SetRoom(QSize(644, 484), QSize(644, 484));
    view.SetFit(true);
    view.SetPicture(picture);
    host.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.IsBusy(); }, 60000));
    ASSERT_DOUBLE_EQ(view.Scale(), 0.5);

    const auto shot = [&view] {
        return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage fitted = shot();
    ASSERT_EQ(fitted.size(), QSize(1288, 968)) << "the pane in device pixels";
    EXPECT_EQ(fitted.copy(4, 4, 1280, 960), picture);

    view.SetFit(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.IsBusy(); }, 60000));
    const QImage actual = shot();
    int blurred = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            blurred += actual.pixel(4 + x, 4 + y) != picture.pixel(x / 2, y / 2);
    EXPECT_EQ(blurred, 0);

    // Shrunk below the screen's pixels the picture is averaged, not sampled: at 25 % each device
    // pixel stands for two by two picture pixels, whose blue alternates.
    view.ZoomTo(0.25, QPointF(2, 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.IsBusy(); }, 60000));
    EXPECT_EQ(shot().copy(4, 4, 640, 480),
        picture.scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace
} // namespace snapvale

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
