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
    void WriteSolid(const std::string& name, QRgb colour, int second)
    {
        test::TGAImage image;
        image.width = 64;
        image.height = 48;
        image.pixels.assign(64 * 48, colour);
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

} // namespace
} // namespace snapvale
