// The window as a user meets it: start-up to the filled window with a large folder, the tray
// of a date with many 1920 x 1080 screenshots (the first nine thumbnails painted after the
// click, the longest stretch the UI thread is busy while they load, one scroll step, memory while
// scrolling through), and saving the view as JPEG beside Qt's own JPEG writer.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
//
//   build/bench/bench/ui_bench --benchmark_filter='Tray|Scroll' --benchmark_repetitions=5
//   build/bench/bench/ui_bench --benchmark_filter=FiveThousand     (alone: it reports peak memory)

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <QApplication>
#include <QBuffer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageWriter>
#include <QScrollBar>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "app/private_profile.h"
#include "app/start_up.h"
#include "bench_support.h"
#include "export/jpeg_codec.h"
#include "qt/date_tree_view.h"
#include "qt/picture_image.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "ui_lag.h"
#include "viewer/image_view.h"
#include "viewer/thumbnail_tray.h"

namespace {

using snapvale::bench::ResidentMegabytes;
using snapvale::bench::UiLag;
using snapvale::test::TempFolder;
namespace fs = std::filesystem;

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

// `count` screenshots of one day, 1920 x 1080 24-bit run-length as the game writes them: eight
// different files and hard links to them in turn, so the folder costs the disk eight pictures
// while every name is decoded on its own.
void WriteOneDate(const TempFolder& folder, int count)
{
    constexpr int kDistinct = 8;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "shot%05d.tga", i);
        const fs::path file = folder.path() / name;
        if (i < kDistinct) {
            snapvale::test::TGALayout layout;
            layout.imageType = 10;
            snapvale::test::WriteTGAFile(file,
                snapvale::test::WriteTGA(snapvale::test::GameScreenshot(1920, 1080, i), layout));
            snapvale::test::SetLocalModificationTime(file, 2004, 5, 17);
        } else {
            char first[32];
            std::snprintf(first, sizeof first, "shot%05d.tga", i % kDistinct);
            fs::create_hard_link(folder.path() / first, file);
        }
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

// Start-up as the program does it, from the settings file in `app` to the window painted with
// its tree; closing the window is not timed.
void TimeStartUp(benchmark::State& bench, const TempFolder& app)
{
    for (auto _ : bench) {
        snapvale::AppState state = snapvale::ReadStartupState(app.path().string());
        auto window = std::make_unique<snapvale::frmMain>(state);
        window->show();
        window->repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(
            window->findChild<snapvale::DateTreeView*>("vfgTree")->model()->rowCount());
        bench.PauseTiming();
        window.reset();
        bench.ResumeTiming();
    }
}

void BM_StartUpToFilledWindow(benchmark::State& bench)
{
    TempFolder images;
    WriteLargeFolder(images, static_cast<int>(bench.range(0)), 300);
    Window setup(images.folder());
    snapvale::WriteIniString("CONFIG", "FOLDER", images.folder(), setup.state.SettingsFile());
    TimeStartUp(bench, setup.app);
}
BENCHMARK(BM_StartUpToFilledWindow)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole start-up with a long folder history: the settings read, the history menu and the
// window, on an empty image folder so that the history is what grows.
void BM_StartUpWithHistory(benchmark::State& bench)
{
    TempFolder images;
    Window setup(images.folder());
    setup.app.Write(snapvale::kSettingsFileName,
        snapvale::bench::SettingsWithHistory(images.folder(), bench.range(0)));
    TimeStartUp(bench, setup.app);
}
BENCHMARK(BM_StartUpWithHistory)->Arg(0)->Arg(50'000)->Unit(benchmark::kMillisecond)->Iterations(5);

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
        tray->installEventFilter(&paints);
        QObject::connect(
            tray, &snapvale::ThumbnailTray::CellLoaded, &paints, [this] { paints.Arrived(); });
    }
    // Clicks the date (selects the root first, so that the date's tray is filled anew).
    void SelectDate()
    {
        auto* tree = window->findChild<snapvale::DateTreeView*>("vfgTree");
        const snapvale::DateTreeModel& model = *tree->dateModel();
        tree->SelectRoot();
        tree->setCurrentIndex(model.index(0, 0, model.RootIndex()));
    }
    // Runs the event loop until the cells in sight have their pictures and the tray has painted
    // since the last one came; false past the deadline.
    bool WaitForCellsInSight()
    {
        if (Done())
            return true;
        QEventLoop loop;
        paints.check = [this, &loop] {
            if (Done())
                loop.quit();
        };
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        paints.check = nullptr;
        return Done();
    }
    bool Done() const
    {
        if (paints.lastPaint <= paints.lastArrival)
            return false;
        for (int i = 0; i < tray->CellCount(); ++i)
            if (tray->InSight(i) && tray->IsLoading(i))
                return false;
        return true;
    }

    // Orders the tray's paints and the thumbnails' arrivals.
    struct PaintWatch : QObject
    {
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) {
                lastPaint = ++events;
                // Checked once the paint is over.
                if (check)
                    QMetaObject::invokeMethod(
                        this,
                        [this] {
                            if (check)
                                check();
                        },
                        Qt::QueuedConnection);
            }
            return false;
        }
        void Arrived() { lastArrival = ++events; }
        long events = 0;
        long lastPaint = 0;
        long lastArrival = 0;
        std::function<void()> check;
    };

    TempFolder images;
    std::unique_ptr<Window> setup;
    std::unique_ptr<snapvale::frmMain> window;
    snapvale::ThumbnailTray* tray = nullptr;
    QScrollBar* scrollBar = nullptr;
    PaintWatch paints;
};

// From the click on a date of 1,000 screenshots until its first nine thumbnails are painted;
// besides the time, the click's own handling and the longest stretch the UI thread was busy
// while the thumbnails came in.
void BM_TrayFirstNinePainted(benchmark::State& bench)
{
    TrayFixture fixture(1000);
    double longestClick = 0;
    double longestStretch = 0;
    for (auto _ : bench) {
        QElapsedTimer click;
        click.start();
        fixture.SelectDate();
        longestClick = std::max(longestClick, click.nsecsElapsed() / 1e6);
        const UiLag lag;
        if (!fixture.WaitForCellsInSight())
            bench.SkipWithError("the first thumbnails did not arrive");
        longestStretch = std::max(longestStretch, lag.longest);
    }
    bench.counters["cells"] = fixture.tray->CellCount();
    bench.counters["click_ms"] = longestClick;
    bench.counters["longest_busy_ms"] = longestStretch;
}
BENCHMARK(BM_TrayFirstNinePainted)->Unit(benchmark::kMillisecond)->UseRealTime();

// One scroll step to a row whose cells have no pictures yet: the scroll bar's change handled and
// the pane painted (its new cells show their outlines until their pictures arrive, which is not
// timed).
void BM_ScrollOneRow(benchmark::State& bench)
{
    TrayFixture fixture(1000);
    fixture.SelectDate();
    fixture.WaitForCellsInSight();
    int row = 0;
    double longestStretch = 0;
    for (auto _ : bench) {
        if (row == fixture.scrollBar->maximum()) {
            bench.PauseTiming();
            fixture.SelectDate();
            fixture.WaitForCellsInSight();
            row = 0;
            bench.ResumeTiming();
        }
        fixture.scrollBar->setValue(++row);
        fixture.tray->parentWidget()->repaint();
        bench.PauseTiming();
        const UiLag lag;
        fixture.WaitForCellsInSight();
        longestStretch = std::max(longestStretch, lag.longest);
        bench.ResumeTiming();
    }
    bench.counters["longest_busy_ms"] = longestStretch;
}
BENCHMARK(BM_ScrollOneRow)->Unit(benchmark::kMillisecond)->UseRealTime();

// A date of 5,000 scrolled from top to bottom a row at a time, each step waiting until the
// cells in sight have their pictures; the peak resident memory of the process meanwhile.
void BM_ScrollThroughFiveThousand(benchmark::State& bench)
{
    TrayFixture fixture(5000);
    // Counts the peak from here ("5" resets it).
    std::ofstream("/proc/self/clear_refs") << "5";
    const double before = ResidentMegabytes("VmRSS:");
    for (auto _ : bench) {
        fixture.SelectDate();
        fixture.WaitForCellsInSight();
        for (int row = 1; row <= fixture.scrollBar->maximum(); ++row) {
            fixture.scrollBar->setValue(row);
            fixture.WaitForCellsInSight();
        }
    }
    bench.counters["resident_before_MB"] = before;
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
