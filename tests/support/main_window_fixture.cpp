#include "support/main_window_fixture.h"

#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "qt/qt_tree_grid.h"
#include "support/tga_writer.h"
#include "viewer/image_view.h"

namespace snapvale::test {

QImage WriteScreenshot(const TempFolder& folder, const std::string& name, int width, int height,
    int year, int month, int day, int hour, int minute, int second)
{
    TGAImage image;
    image.width = width;
    image.height = height;
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = 0xFF000000u | static_cast<std::uint32_t>(x % 256) << 16
                | static_cast<std::uint32_t>(y % 256) << 8
                | static_cast<std::uint32_t>((x / 256 * 64 + y / 256 * 128 + day) % 256);
            image.pixels.push_back(pixel);
            picture.setPixel(x, y, pixel);
        }
    TGALayout layout; // 24-bit, uncompressed, bottom row first, as the game writes them
    const auto file = folder.path() / name;
    WriteTGAFile(file, WriteTGA(image, layout));
    SetLocalModificationTime(file, year, month, day, hour, minute, second);
    return picture;
}

MainWindowFixture::MainWindowFixture()
{
    state.AppFolder = app.folder();
    state.ImageFolder = images.folder();
}

MainWindowFixture::~MainWindowFixture() = default;

frmMain& MainWindowFixture::Open()
{
    window_ = std::make_unique<frmMain>(state, MainWindowDialogs{ &saveDialog, &folderBrowser });
    window_->show();
    return *window_;
}

int MainWindowFixture::RowOf(const std::string& text)
{
    TreeGrid& grid = window_->grid();
    for (int row = 0; row < grid.RowCount(); ++row)
        if (grid.CellText(row, 0) == text)
            return row;
    return -1;
}

void MainWindowFixture::ClickRow(int row)
{
    auto& grid = static_cast<QtTreeGrid&>(window_->grid());
    QTreeWidgetItem* item = grid.ItemAt(row);
    QTreeWidget* tree = grid.widget();
    tree->scrollToItem(item);
    const QRect rect = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

std::string MainWindowFixture::Caption() { return window_->windowTitle().toStdString(); }

void MainWindowFixture::WaitForView()
{
    const auto* view = window_->findChild<ImageView*>("pctView");
    if (!QTest::qWaitFor([view] { return !view->IsBusy(); }, 60000))
        ADD_FAILURE() << "the view never showed its file";
}

} // namespace snapvale::test
