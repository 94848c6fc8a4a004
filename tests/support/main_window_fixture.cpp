#include "support/main_window_fixture.h"

#include <QTest>
#include <gtest/gtest.h>

#include "support/tga_writer.h"

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

DateTreeView& MainWindowFixture::tree() { return *window_->findChild<DateTreeView*>("vfgTree"); }

namespace {

std::string NameOf(const TreeChoice& row)
{
    switch (row.kind) {
    case TreeChoice::Kind::Root:
        return kTreeRootText;
    case TreeChoice::Kind::Date:
        return row.date;
    case TreeChoice::Kind::File:
        return row.file;
    case TreeChoice::Kind::None:
        break;
    }
    return {};
}

QModelIndex Find(const DateTreeModel& model, const QModelIndex& parent, const std::string& name)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (NameOf(model.Choice(index)) == name)
            return index;
        if (const QModelIndex below = Find(model, index, name); below.isValid())
            return below;
    }
    return {};
}

} // namespace

QModelIndex MainWindowFixture::RowOf(const std::string& name)
{
    return Find(*tree().dateModel(), {}, name);
}

void MainWindowFixture::Select(const std::string& name)
{
    const QModelIndex row = RowOf(name);
    ASSERT_TRUE(row.isValid()) << "no row " << name;
    tree().setCurrentIndex(row);
}

void MainWindowFixture::ClickRow(const std::string& name)
{
    const QModelIndex row = RowOf(name);
    ASSERT_TRUE(row.isValid()) << "no row " << name;
    tree().scrollTo(row);
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, tree().visualRect(row).center());
}

std::string MainWindowFixture::CurrentRow() { return NameOf(tree().Current()); }

std::string MainWindowFixture::Caption() { return window_->windowTitle().toStdString(); }

} // namespace snapvale::test
