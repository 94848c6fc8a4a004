// The image view with today's screenshots, as a user meets it in the window: the key "next file"
// until the view is painted, one wheel notch over a large picture, and switching fit on and off.
// Each screenshot is its own file on disk, 24-bit run-length encoded as the game writes them,
// and the files are stepped through in turn, so no call decodes the file the call before did.
// Besides the median, "longest_ms" gives the longest single call: the longest the window stalls.
//
// build/bench/bench/view_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "qt/date_tree_view.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "viewer/image_view.h"
#include "viewer/main_area.h"

namespace {

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
    void Press(Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
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
            fixture.Paint();
        }
        TimeStep(bench, longest, [&] {
            fixture.Press(Qt::Key_Right);
            fixture.Paint();
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
        fixture.Paint();
        TimeStep(bench, longest, [&] {
            fixture.fitAction->trigger();
            fixture.Paint();
        });
        fixture.fitAction->trigger();
    }
    bench.counters["longest_ms"] = longest;
}

void BM_FitOn(benchmark::State& bench) { TimeFitSwitch(bench, false); }
BENCHMARK(BM_FitOn)->ArgName("width")->Arg(1920)->Arg(2560)->UseManualTime()->Unit(
    benchmark::kMillisecond);

void BM_FitOff(benchmark::State& bench) { TimeFitSwitch(bench, true); }
BENCHMARK(BM_FitOff)->ArgName("width")->Arg(1920)->Arg(2560)->UseManualTime()->Unit(
    benchmark::kMillisecond);

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
