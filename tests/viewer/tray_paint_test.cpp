#include <sstream>

#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"
#include "support/tga_writer.h"
#include "viewer/thumbnail_tray.h"

namespace snapvale {
namespace {

class TrayPaint : public ::testing::Test, public test::MainWindowFixture
{
protected:
    // A screenshot of one colour, so its thumbnail is that colour wherever it is shown.
    void WriteSolid(
        const std::string& name, QRgb colour, int second, int width = 64, int height = 48)
    {
        test::TGAImage image;
        image.width = width;
        image.height = height;
        image.pixels.assign(static_cast<std::size_t>(width * height), colour);
        const auto file = images.path() / name;
        ASSERT_TRUE(test::WriteTGAFile(file, test::WriteTGA(image, {})));
        test::SetLocalModificationTime(file, 2004, 5, 17, 12, 0, second);
    }
};

int MaxChannelDifference(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
        std::abs(qBlue(a) - qBlue(b)) });
}

// Scrolled one row down, the pane shows rows 1 to 3 of five, the last cut at its bottom edge:
// every cell in sight shows its own picture, and every whole label its name.
TEST_F(TrayPaint, EveryCellInSightIsPainted)
{
    std::vector<QRgb> colours;
    for (int i = 0; i < 13; ++i) {
        colours.push_back(qRgb(40 + i * 16, 200 - i * 12, (i * 70) % 256));
        char name[16];
        std::snprintf(name, sizeof name, "s%02d.tga", i);
        WriteSolid(name, colours.back(), i);
    }
    Open();
    Select("2004/05/17");
    window().findChild<QScrollBar*>("vscrTray")->setValue(1);

    auto& tray = *window().findChild<ThumbnailTray*>("pctTray");
    auto& pane = *window().findChild<QWidget*>("pctPreview");
    const QRect inner = pane.contentsRect();
    const QRgb background = tray.palette().color(QPalette::Window).rgb();
    const auto inPane = [&](const QRect& rect) {
        return QRect(tray.mapTo(&pane, rect.topLeft()), rect.size());
    };
    std::vector<int> inSight;
    for (int i = 0; i < tray.CellCount(); ++i)
        if (inPane(tray.PictureRect(i)).intersects(inner))
            inSight.push_back(i);
    ASSERT_EQ(inSight, (std::vector<int>{ 3, 4, 5, 6, 7, 8, 9, 10, 11 }));

    // What is wrong with a grab of the pane; empty when every cell in sight is right.
    const auto faults = [&](const QImage& shot) {
        std::ostringstream out;
        for (const int i : inSight) {
            // Neighbouring pictures may share their edge pixels.
            const QRect picture =
                inPane(tray.PictureRect(i)).adjusted(1, 1, -1, -1).intersected(inner);
            int wrong = 0;
            for (int y = picture.top(); y <= picture.bottom(); ++y)
                for (int x = picture.left(); x <= picture.right(); ++x)
                    wrong += MaxChannelDifference(shot.pixel(x, y), colours[i]) > 8;
            if (wrong > 0)
                out << "cell " << i << ": " << wrong << " pixels not its colour; ";
            const QRect label = inPane(tray.LabelRect(i));
            if (!inner.contains(label))
                continue;
            bool written = false;
            for (int y = label.top(); y <= label.bottom() && !written; ++y)
                for (int x = label.left(); x <= label.right() && !written; ++x)
                    written = shot.pixel(x, y) != background;
            if (!written)
                out << "cell " << i << ": no name; ";
        }
        return out.str();
    };
    const auto grab = [&] { return pane.grab().toImage().convertToFormat(QImage::Format_RGB32); };
    // Thumbnails may arrive a while after the date is shown.
    if (!QTest::qWaitFor([&] { return faults(grab()).empty(); }, 5000)) {
        const QImage shot = grab();
        shot.save(QStringLiteral(SNAPVALE_TEST_OUTPUT_DIR "/tray_paint.png"));
        ADD_FAILURE() << faults(shot) << "see tray_paint.png in the test's build folder";
    }
}

// A wide screenshot keeps its shape: the cell's picture area shows it across the whole width in
// a band in the middle, and the background above and below; a 4:3 one fills its cell.
TEST_F(TrayPaint, WideScreenshotKeepsItsShapeInTheMiddleOfItsCell)
{
    const QRgb wide = qRgb(200, 40, 40);
    const QRgb standard = qRgb(40, 40, 200);
    WriteSolid("a.tga", wide, 0, 1920, 1080);
    WriteSolid("b.tga", standard, 1, 640, 480);
    Open();
    Select("2004/05/17");
    auto& tray = *window().findChild<ThumbnailTray*>("pctTray");
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.HasPicture(0) && tray.HasPicture(1); }, 60000));
    EXPECT_EQ(tray.Thumbnail(0).size(), QSize(208, 117));
    EXPECT_EQ(tray.Thumbnail(1).size(), tray.PictureSize());

    const QImage shot = tray.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = tray.palette().color(QPalette::Window).rgb();
    // Rows of the first cell's picture area, top to bottom: what each is to show.
    const QRect cell = tray.PictureRect(0);
    const int band = (160 - 117) / 2;
    int wrong = 0;
    for (int y = 0; y < cell.height(); ++y) {
        const bool inBand = y >= band && y < band + 117;
        for (int x = 1; x < cell.width() - 1; ++x) {
            const QRgb pixel = shot.pixel(cell.left() + x, cell.top() + y);
            wrong += inBand ? MaxChannelDifference(pixel, wide) > 8 : pixel != background;
        }
    }
    EXPECT_EQ(wrong, 0);
    const QRect second = tray.PictureRect(1).adjusted(1, 1, -1, -1);
    EXPECT_LE(MaxChannelDifference(shot.pixel(second.topLeft()), standard), 8);
    EXPECT_LE(MaxChannelDifference(shot.pixel(second.bottomRight()), standard), 8);
}

} // namespace
} // namespace snapvale
