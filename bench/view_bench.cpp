// The image view with today's screenshots, as a user meets it on a 1920 x 1080 screen: the key
// "next file" until the new picture is painted (in the window and in full screen, and with
// 8192 x 8192 files), one wheel notch over a large picture, switching fit on and off, one zoom
// step, one step of resizing the main area as a maximised window has it, and the tray of a date
// of 5,000 files laid out again for a new width. Each screenshot is its own file on disk, 24-bit
// run-length encoded as the game writes them, and the files are stepped through in turn, so no
// call decodes the file the call before did. Besides the median, "longest_ms" gives the longest
// single call, and "stall_ms" the longest the UI thread kept an event waiting meanwhile (the
// picture is decoded and scaled on workers while the window goes on).
//
// build/bench/bench/view_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Runs on Qt's offscreen platform with one 1920 x 1080 screen unless QT_QPA_PLATFORM says
// otherwise.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "qt/date_tree_view.h"
#include "qt/picture_image.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "ui_lag.h"
#include "viewer/full_screen_view.h"
#include "viewer/image_view.h"
#include "viewer/main_area.h"
#include "viewer/thumbnail_tray.h"

namespace {

using snapvale::bench::UiLag;
using snapvale::test::TempFolder;
using Clock = std::chrono::steady_clock;

// A game screenshot: a sky graded by row, grainy ground, a status bar and a chat box with lines
// of "text", so run-length packets meet both long runs and busy stretches. `seed` makes each
// file its own.
snapvale::test::TGAImage Screenshot(int width, int height, int seed)
{
    snapvale::test::TGAImage image;
    image.width = width;
    image.height = height;
    image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t noise = 12345u + static_cast<std::uint32_t>(seed) * 7919u;
    const int horizon = height * (45 + seed % 20) / 100;
    const int bar = height - height / 12;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            std::uint32_t colour;
            if (y >= bar) {
                colour = (x % 97 < 90) ? 0x202830u : 0xC0A040u;
            } else if (x > width / 20 && x < width / 2 && y > bar - height / 5 && y < bar - 8) {
                const bool ink = ((x / 3 + y / 2 + seed) % 7 < 2) && (y % 14 < 10);
                colour = ink ? 0xF0F0F0u : 0x101018u;
            } else if (y < horizon) {
                colour = 0x3060A0u + static_cast<std::uint32_t>(y * 96 / horizon) * 0x010101u;
            } else {
                colour = 0x406020u + ((noise >> 24) & 0x1F) * 0x010101u;
            }
            image.pixels.push_back(0xFF000000u | colour);
        }
    return image;
}

// A window on a folder of `count` screenshots of one day, showing the first.
class ViewFixture
{
public:
    ViewFixture(int count, int width, int height, bool fit)
    {
        snapvale::test::TGALayout layout;
        layout.imageType = 10; // run-length encoded true colour
        layout.pixelDepth = 24;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "shot%04d.tga", i);
            const auto file = images.path() / name;
            snapvale::test::WriteTGAFile(
                file, snapvale::test::WriteTGA(Screenshot(width, height, i), layout));
            snapvale::test::SetLocalModificationTime(file, 2026, 12, 1, 20, 0, i);
        }
        state.AppFolder = app.folder();
        state.ImageFolder = images.folder();
        state.FitToWindow = fit;
        window = std::make_unique<snapvale::frmMain>(state);
        window->show();
        view = window->findChild<snapvale::ImageView*>("pctView");
        area = window->findChild<snapvale::MainArea*>("mainArea");
        fitAction = window->findChild<QAction*>("mnuView(0)");
        tree = window->findChild<snapvale::DateTreeView*>("vfgTree");
        const QModelIndex date = tree->model()->index(0, 0, tree->model()->index(0, 0));
        tree->setCurrentIndex(date);
        tree->setCurrentIndex(tree->model()->index(0, 0, date));
        Paint();
    }
    // Paints what changed and lets the window settle, as the event loop would.
    void Paint()
    {
        area->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(view, &press);
    }
    // Lets the window run until the picture asked for is decoded and shown, then paints it.
    void ShowAsked()
    {
        while (view->IsLoading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Paint();
    }
    // The window's client as a maximised window on a 1920 x 1080 screen has it, and the main area
    // `width` x `height` in it, as the window will lay them out.
    void Maximise(int width, int height)
    {
        window->centralWidget()->setFixedSize(1920, 1040);
        area->resize(width, height);
        ShowAsked();
    }
    bool AtLastFile() const
    {
        const QModelIndex current = tree->currentIndex();
        return current.row() == tree->model()->rowCount(current.parent()) - 1;
    }

    TempFolder app;
    TempFolder images;
    snapvale::AppState state;
    std::unique_ptr<snapvale::frmMain> window;
    snapvale::DateTreeView* tree = nullptr;
    snapvale::ImageView* view = nullptr;
    snapvale::MainArea* area = nullptr;
    QAction* fitAction = nullptr;
};

// Times one call of `step` and keeps the longest; only these calls count as the benchmark's time.
template <typename Step> void TimeStep(benchmark::State& bench, double& longest, Step step)
{
    const auto start = Clock::now();
    step();
    const auto seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bench.SetIterationTime(seconds);
    longest = std::max(longest, seconds * 1000.0);
}

void BM_NextFileKeyToPainted(benchmark::State& bench)
{
    ViewFixture fixture(8, 1920, 1080, bench.range(0) != 0);
    double longest = 0;
    for (auto _ : bench) {
        if (fixture.AtLastFile()) {
            fixture.Press(Qt::Key_Home);
            fixture.ShowAsked();
        }
        TimeStep(bench, longest, [&] {
            fixture.Press(Qt::Key_Right);
            fixture.ShowAsked();
        });
    }
    bench.counters["longest_ms"] = longest;
}
BENCHMARK(BM_NextFileKeyToPainted)
    ->ArgName("fit")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_WheelNotchOverLargePicture(benchmark::State& bench)
{
    ViewFixture fixture(1, 2560, 1440, false);
    QScrollBar* bar = fixture.area->verticalScrollBar();
    int direction = -120; // down first
    double longest = 0;
    for (auto _ : bench) {
        if (bar->value() == bar->maximum())
            direction = 120;
        else if (bar->value() == 0)
            direction = -120;
        TimeStep(bench, longest, [&] {
            const QPointF at(300, 200);
            QWheelEvent wheel(at, fixture.area->viewport()->mapToGlobal(at), QPoint(),
                QPoint(0, direction), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(fixture.area->viewport(), &wheel);
            fixture.Paint();
        });
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["scroll_range"] = bar->maximum();
}
BENCHMARK(BM_WheelNotchOverLargePicture)->UseManualTime()->Unit(benchmark::kMillisecond);

// Fit switched on for a picture not fitted before (so the smooth scaling is in every call), or
// off for one that was.
void TimeFitSwitch(benchmark::State& bench, bool fittedBefore)
{
    const int width = static_cast<int>(bench.range(0));
    ViewFixture fixture(8, width, width * 9 / 16, fittedBefore);
    double longest = 0;
    for (auto _ : bench) {
        // Untimed: the next file, and fit back as it was.
        fixture.Press(fixture.AtLastFile() ? Qt::Key_Home : Qt::Key_Right);
        fixture.ShowAsked();
        TimeStep(bench, longest, [&] {
            fixture.fitAction->trigger();
            fixture.Paint();
        });
        fixture.fitAction->trigger();
        while (fixture.view->IsBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    bench.counters["longest_ms"] = longest;
}

void BM_FitOn(benchmark::State& bench) { TimeFitSwitch(bench, false); }
BENCHMARK(BM_FitOn)->ArgName("width")->Arg(1920)->Arg(2560)->UseManualTime()->Unit(
    benchmark::kMillisecond);

void BM_FitOff(benchmark::State& bench) { TimeFitSwitch(bench, true); }
BENCHMARK(BM_FitOff)->ArgName("width")->Arg(1920)->Arg(2560)->UseManualTime()->Unit(
    benchmark::kMillisecond);

// Lets the event loop run until `done`.
template <typename Done> void RunUntil(Done done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

// The next file in full screen: the key in the full-screen view until the new picture is
// painted there, with the UI thread's longest stall meanwhile.
void BM_FullScreenNextFile(benchmark::State& bench)
{
    const int side = static_cast<int>(bench.range(0));
    ViewFixture fixture(side > 4096 ? 3 : 8, side, side > 4096 ? side : side * 9 / 16, true);
    fixture.window->findChild<QAction*>("mnuView(1)")->trigger();
    auto* full = fixture.window->findChild<snapvale::FullScreenView*>("fullScreenView");
    const auto key = [full](Qt::Key pressed) {
        QKeyEvent press(QEvent::KeyPress, pressed, Qt::NoModifier);
        QCoreApplication::sendEvent(full, &press);
    };
    const auto shown = [&] {
        RunUntil([&] { return !fixture.view->IsLoading() && !full->IsBusy(); });
        full->repaint();
    };
    double longest = 0;
    double stall = 0;
    for (auto _ : bench) {
        if (fixture.AtLastFile()) {
            key(Qt::Key_Home);
            shown();
        }
        const UiLag lag;
        TimeStep(bench, longest, [&] {
            key(Qt::Key_Right);
            shown();
        });
        stall = std::max(stall, lag.longest);
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["stall_ms"] = stall;
    bench.counters["screen_width"] = full->width();
}
BENCHMARK(BM_FullScreenNextFile)
    ->ArgName("side")
    ->Arg(1920)
    ->Arg(8192)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The UI thread's longest stall while the window steps to the next 8192 x 8192 file, fitted.
void BM_NextLargeFileStall(benchmark::State& bench)
{
    ViewFixture fixture(3, 8192, 8192, true);
    double longest = 0;
    double stall = 0;
    for (auto _ : bench) {
        if (fixture.AtLastFile()) {
            fixture.Press(Qt::Key_Home);
            RunUntil([&] { return !fixture.view->IsBusy(); });
        }
        const UiLag lag;
        // Timed: the key until the window has answered it (the picture comes later).
        TimeStep(bench, longest, [&] {
            fixture.Press(Qt::Key_Right);
            fixture.Paint();
        });
        RunUntil([&] { return !fixture.view->IsBusy(); });
        stall = std::max(stall, lag.longest);
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["stall_ms"] = stall;
}
BENCHMARK(BM_NextLargeFileStall)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

// One zoom step (Ctrl++ or Ctrl+-, between 50 % and 200 %) until it is painted, over a
// 1920 x 1080 screenshot in the main area of a maximised window.
void BM_ZoomStep(benchmark::State& bench)
{
    ViewFixture fixture(4, 1920, 1080, false);
    fixture.Maximise(1744, 1000);
    int step = 0;
    double longest = 0;
    double stall = 0;
    for (auto _ : bench) {
        // In, in, out, out: 100 % → 150 % → 200 % → 150 % → 100 %, and a new file each round.
        const bool in = step % 4 < 2;
        if (step % 4 == 0) {
            fixture.Press(fixture.AtLastFile() ? Qt::Key_Home : Qt::Key_Right);
            fixture.ShowAsked();
        }
        ++step;
        const UiLag lag;
        TimeStep(bench, longest, [&] {
            fixture.Press(in ? Qt::Key_Plus : Qt::Key_Minus, Qt::ControlModifier);
            fixture.Paint();
        });
        stall = std::max(stall, lag.longest);
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["stall_ms"] = stall;
}
BENCHMARK(BM_ZoomStep)->UseManualTime()->Unit(benchmark::kMillisecond);

// One step of resizing a maximised window's main area (8 pixels each way, back and forth) until
// it is repainted, with a 1920 x 1080 screenshot at 1:1 or fitted.
void BM_ResizeStep(benchmark::State& bench)
{
    ViewFixture fixture(4, 1920, 1080, bench.range(0) != 0);
    fixture.Maximise(1744, 1000);
    int step = 0;
    double longest = 0;
    double stall = 0;
    for (auto _ : bench) {
        if (step % 8 == 0) {
            fixture.Press(fixture.AtLastFile() ? Qt::Key_Home : Qt::Key_Right);
            fixture.ShowAsked();
        }
        const int grow = (step++ % 8 < 4 ? 8 : -8);
        const UiLag lag;
        TimeStep(bench, longest, [&] {
            fixture.area->resize(1744 + (step % 8) * grow, 1000 + (step % 8) * grow);
            fixture.Paint();
        });
        stall = std::max(stall, lag.longest);
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["stall_ms"] = stall;
}
BENCHMARK(BM_ResizeStep)
    ->ArgName("fit")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The tray of a date of 5,000 screenshots in a maximised window's main area, scrolled to its
// middle, laid out again for a width that holds one column more or less, until repainted.
void BM_TrayRelayoutFiveThousand(benchmark::State& bench)
{
    QWidget pane;
    pane.resize(1744, 1000);
    const QSize cell(208, 177);
    auto* tray =
        new snapvale::ThumbnailTray(snapvale::TrayGeometry::ForPane(9600, 7200, 255, 255), &pane);
    tray->resize(1744, 0);
    std::vector<snapvale::TrayCell> cells;
    for (int i = 0; i < 5000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Shot%04d.tga", i);
        cells.push_back({ QString::fromLatin1(name), name });
    }
    tray->SetCells(std::move(cells));
    tray->SetFocusCell(2500);
    pane.show();
    tray->move(0, -(2500 / tray->geometry().columns()) * cell.height());
    pane.repaint();
    QCoreApplication::processEvents();
    bool wide = false;
    double longest = 0;
    for (auto _ : bench) {
        wide = !wide;
        TimeStep(bench, longest, [&] {
            tray->resize(wide ? 1744 - cell.width() : 1744, tray->height());
            // The owner keeps the focus cell's row where it was.
            tray->move(0, -(2500 / tray->geometry().columns()) * cell.height());
            pane.repaint();
            QCoreApplication::processEvents();
        });
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["columns"] = tray->geometry().columns();
}
BENCHMARK(BM_TrayRelayoutFiveThousand)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // One screen of 1920 x 1080, as the figures are meant for.
    const QString config = QDir::temp().filePath(QStringLiteral("view_bench_screen.json"));
    if (QFile file(config); file.open(QIODevice::WriteOnly))
        file.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,)"
                   R"( "height": 1080, "logicalDpi": 96, "dpr": 1}]})");
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit().constData(), 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
