// The window as a user meets it: start-up to the filled window with a large folder, the tray
// of a date with many screenshots (first nine thumbnails painted, one scroll step, memory while
// scrolling through), and saving the view as JPEG beside Qt's own JPEG writer.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "app/private_profile.h"
#include "app/start_up.h"
#include "export/jpeg_codec.h"
#include "qt/picture_image.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "viewer/image_view.h"
#include "viewer/thumbnail_tray.h"

namespace {

using snapvale::test::TempFolder;
namespace fs = std::filesystem;

// Resident memory of this process in megabytes: now, and at its peak.
double ResidentMegabytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field)) / 1024.0;
    return 0;
}

std::vector<std::uint8_t> Screenshot800x600()
{
    snapvale::test::TGAImage image;
    image.width = 800;
    image.height = 600;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            image.pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(x & 255) << 16
                | static_cast<std::uint32_t>(y & 255) << 8 | ((x ^ y) & 255));
    return snapvale::test::WriteTGA(image, {});
}

// `count` screenshots of one day: one file and hard links to it, so the folder costs the disk
// one picture while every name is decoded on its own.
void WriteOneDate(const TempFolder& folder, int count)
{
    const fs::path first = folder.path() / "shot00000.tga";
    snapvale::test::WriteTGAFile(first, Screenshot800x600());
    snapvale::test::SetLocalModificationTime(first, 2004, 5, 17);
    for (int i = 1; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "shot%05d.tga", i);
        fs::create_hard_link(first, folder.path() / name);
    }
}

// 40,000 empty screenshots over 300 days.
void WriteLargeFolder(const TempFolder& folder, int count, int days)
{
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Shot%05d.tga", i);
        const fs::path file = folder.path() / name;
        std::ofstream(file).put('\0');
        snapvale::test::SetLocalModificationTime(
            file, 2003 + (i % days) / 200, 1 + (i % days) % 12, 1 + (i % days) / 12 % 28);
    }
}

struct Window
{
    explicit Window(const std::string& imageFolder)
    {
        state.AppFolder = app.folder();
        state.ImageFolder = imageFolder;
    }
    TempFolder app;
    snapvale::AppState state;
};

void BM_StartUpToFilledWindow(benchmark::State& bench)
{
    TempFolder images;
    WriteLargeFolder(images, static_cast<int>(bench.range(0)), 300);
    Window setup(images.folder());
    snapvale::WriteIniString("CONFIG", "FOLDER", images.folder(), setup.state.SettingsFile());
    for (auto _ : bench) {
        snapvale::AppState state = snapvale::ReadStartupState(setup.app.path().string());
        auto window = std::make_unique<snapvale::frmMain>(state);
        window->show();
        window->repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window->grid().RowCount());
        bench.PauseTiming();
        window.reset();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFilledWindow)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(5);

class TrayFixture
{
public:
    explicit TrayFixture(int files)
    {
        WriteOneDate(images, files);
        setup = std::make_unique<Window>(images.folder());
        window = std::make_unique<snapvale::frmMain>(setup->state);
        window->show();
        QCoreApplication::processEvents();
        tray = window->findChild<snapvale::ThumbnailTray*>("pctTray");
        scrollBar = window->findChild<QScrollBar*>("vscrTray");
    }
    void SelectDate()
    {
        window->grid().SetCurrentRow(0);
        window->grid().SetCurrentRow(1);
        tray->repaint();
    }

    TempFolder images;
    std::unique_ptr<Window> setup;
    std::unique_ptr<snapvale::frmMain> window;
    snapvale::ThumbnailTray* tray = nullptr;
    QScrollBar* scrollBar = nullptr;
};

void BM_SelectDateFirstNinePainted(benchmark::State& bench)
{
    TrayFixture fixture(1000);
    for (auto _ : bench)
        fixture.SelectDate();
    bench.counters["cells"] = fixture.tray->CellCount();
}
BENCHMARK(BM_SelectDateFirstNinePainted)->Unit(benchmark::kMillisecond);

void BM_ScrollOneRow(benchmark::State& bench)
{
    TrayFixture fixture(1000);
    fixture.SelectDate();
    int row = 0;
    for (auto _ : bench) {
        // Every step reaches a row whose three cells have not been decoded yet.
        if (row == fixture.scrollBar->maximum()) {
            bench.PauseTiming();
            fixture.SelectDate();
            row = 0;
            bench.ResumeTiming();
        }
        fixture.scrollBar->setValue(++row);
        fixture.tray->parentWidget()->repaint();
    }
}
BENCHMARK(BM_ScrollOneRow)->Unit(benchmark::kMillisecond);

void BM_ScrollThroughFiveThousand(benchmark::State& bench)
{
    TrayFixture fixture(5000);
    for (auto _ : bench) {
        fixture.SelectDate();
        for (int row = 1; row <= fixture.scrollBar->maximum(); ++row)
            fixture.scrollBar->setValue(row);
    }
    bench.counters["resident_MB"] = ResidentMegabytes("VmRSS:");
    bench.counters["peak_resident_MB"] = ResidentMegabytes("VmHWM:");
}
BENCHMARK(BM_ScrollThroughFiveThousand)->Unit(benchmark::kMillisecond)->Iterations(1);

// The view showing a decoded 800 x 600 screenshot, as a save takes it: the whole picture.
QImage ViewPicture()
{
    TempFolder images;
    const fs::path file = images.path() / "a.tga";
    snapvale::test::WriteTGAFile(file, Screenshot800x600());
    snapvale::ImageView view(QSize(644, 484));
    view.SetPicture(snapvale::LoadTGAImage(file.string()));
    return view.RenderInnerArea();
}

void BM_SaveViewJpeg_Ours(benchmark::State& bench)
{
    const QImage picture = ViewPicture();
    const snapvale::PixelBlock block = snapvale::PixelsOf(picture);
    for (auto _ : bench)
        benchmark::DoNotOptimize(snapvale::EncodeJpeg(block, 80));
}
BENCHMARK(BM_SaveViewJpeg_Ours)->Unit(benchmark::kMicrosecond);

void BM_SaveViewJpeg_Qt(benchmark::State& bench)
{
    const QImage picture = ViewPicture();
    for (auto _ : bench) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(80);
        writer.write(picture);
        benchmark::DoNotOptimize(bytes.size());
    }
}
BENCHMARK(BM_SaveViewJpeg_Qt)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
