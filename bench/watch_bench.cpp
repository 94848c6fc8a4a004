// New screenshots arriving while the window runs, in a folder of 40,000 files with today's date
// open, as a player sees it beside the game: from the moment the game has finished writing a
// 1920 x 1080 screenshot until its row is in the tree; and a burst of 100 of them, one every
// 20 ms, from the last one written until all are shown. Beside the times: the longest stretch the
// UI thread was busy (ui_stall_ms), the longest tree update alone (update_ms) and, for the burst,
// the number of tree updates. Files are written in 64 KB calls, as a game
// writes them.
//
// The same folder with nothing arriving, where only the looks no notice asks for run (the path
// every half second, a listing every three seconds): over twenty seconds, the longest the UI
// thread spent on one of the watcher's results (ui_share_ms), its longest stall, and the
// process's CPU time against the time passed (cpu_percent); and one such listing of the 40,000
// files, timed alone, as the worker runs it. Last, the folder renamed away until the window is
// empty (gone_ms), and back until it shows the folder again (back_ms).
//
//   build/bench/bench/watch_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "catalogue/catalogue_changes.h"
#include "catalogue/folder_scan.h"
#include "qt/date_tree_view.h"
#include "qt/folder_watcher.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "ui_lag.h"

namespace {

using snapvale::bench::UiLag;
using Clock = std::chrono::steady_clock;
using snapvale::test::TempFolder;
namespace fs = std::filesystem;

// The application, timing every event the UI thread hands to one receiver: the watcher's
// results of its listings, polls and looks.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (receiver != timed)
            return QApplication::notify(receiver, event);
        const Clock::time_point started = Clock::now();
        const bool handled = QApplication::notify(receiver, event);
        const std::chrono::duration<double, std::milli> took = Clock::now() - started;
        longest = std::max(longest, took.count());
        ++events;
        return handled;
    }
    QObject* timed = nullptr;
    double longest = 0; // milliseconds
    int events = 0;
};

TimedApplication* application = nullptr;

// How long the UI thread spends on each tree update: from the start of the watcher's queued call
// that tells the change until the window has followed it (a slot connected after the window's).
class ApplyClock : public QObject
{
public:
    explicit ApplyClock(snapvale::FolderWatcher* watcher)
    {
        watcher->installEventFilter(this);
        connection_ = QObject::connect(watcher, &snapvale::FolderWatcher::Changed, this, [this] {
            const std::chrono::duration<double, std::milli> took = Clock::now() - started_;
            longest = std::max(longest, took.count());
        });
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall)
            started_ = Clock::now();
        return false;
    }
    double longest = 0; // milliseconds

private:
    Clock::time_point started_;
    QMetaObject::Connection connection_;
};

// A 1920 x 1080 run-length screenshot written as the game does, in several calls.
void WriteAsTheGame(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t kCall = 64 * 1024;
    std::ofstream out(file, std::ios::binary);
    for (std::size_t at = 0; at < bytes.size(); at += kCall) {
        out.write(reinterpret_cast<const char*>(bytes.data() + at),
            static_cast<std::streamsize>(std::min(kCall, bytes.size() - at)));
        out.flush();
    }
}

// The window on 40,000 empty screenshots over 300 days, and one of today, whose date is open.
struct WatchedFolder
{
    WatchedFolder()
    {
        for (int i = 0; i < 40000; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Shot%05d.tga", i);
            const fs::path file = images.path() / name;
            std::ofstream(file).put('\0');
            snapvale::test::SetLocalModificationTime(
                file, 2003 + (i % 300) / 200, 1 + (i % 300) % 12, 1 + (i % 300) / 12 % 28);
        }
        snapvale::test::TGALayout layout;
        layout.imageType = 10;
        for (int seed = 0; seed < 4; ++seed)
            screenshots.push_back(
                snapvale::test::WriteTGA(snapvale::test::GameScreenshot(1920, 1080, seed), layout));
        WriteAsTheGame(images.path() / "today.tga", screenshots[0]);

        state.AppFolder = app.folder();
        state.ImageFolder = images.folder();
        window = std::make_unique<snapvale::frmMain>(state);
        window->show();
        QCoreApplication::processEvents();
        watcher = window->findChild<snapvale::FolderWatcher*>("folderWatcher");
        tree = window->findChild<snapvale::DateTreeView*>("vfgTree");
        tree->setCurrentIndex(tree->model()->index(0, 0, tree->model()->index(0, 0)));
    }

    bool Shown(const std::string& name) const { return tree->catalogue()->Find(name).has_value(); }
    // Runs the event loop until `done` holds after a tree update, or ten seconds pass.
    template <typename Done> bool RunUntil(Done done)
    {
        if (done())
            return true;
        QEventLoop loop;
        const QMetaObject::Connection connection =
            QObject::connect(watcher, &snapvale::FolderWatcher::Changed, &loop, [&] {
                if (done())
                    loop.quit();
            });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(connection);
        return done();
    }

    TempFolder app;
    TempFolder images;
    snapvale::AppState state;
    std::vector<std::vector<std::uint8_t>> screenshots;
    std::unique_ptr<snapvale::frmMain> window;
    snapvale::FolderWatcher* watcher = nullptr;
    snapvale::DateTreeView* tree = nullptr;
    int written = 0;
};

// Made once for all the benchmarks, and ended before the application.
std::unique_ptr<WatchedFolder> watched;

WatchedFolder& Folder()
{
    if (!watched)
        watched = std::make_unique<WatchedFolder>();
    return *watched;
}

std::string NextName(WatchedFolder& folder)
{
    char name[32];
    std::snprintf(name, sizeof name, "new%05d.tga", folder.written++);
    return name;
}

void BM_NewFileToRow(benchmark::State& bench)
{
    WatchedFolder& folder = Folder();
    ApplyClock apply(folder.watcher);
    double longestLag = 0;
    for (auto _ : bench) {
        const std::string name = NextName(folder);
        UiLag lag;
        WriteAsTheGame(folder.images.path() / name,
            folder.screenshots[static_cast<std::size_t>(folder.written) % 4]);
        const Clock::time_point written = Clock::now();
        if (!folder.RunUntil([&] { return folder.Shown(name); })) {
            bench.SkipWithError("the file never showed");
            break;
        }
        bench.SetIterationTime(std::chrono::duration<double>(Clock::now() - written).count());
        // The thumbnails of the new cells in sight come in after the row.
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
        longestLag = std::max(longestLag, lag.longest);
    }
    bench.counters["ui_stall_ms"] = longestLag;
    bench.counters["update_ms"] = apply.longest;
}
BENCHMARK(BM_NewFileToRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_BurstOf100(benchmark::State& bench)
{
    WatchedFolder& folder = Folder();
    ApplyClock apply(folder.watcher);
    double longestLag = 0;
    int updates = 0;
    for (auto _ : bench) {
        std::vector<std::string> names;
        for (int i = 0; i < 100; ++i)
            names.push_back(NextName(folder));
        UiLag lag;
        int changed = 0;
        const QMetaObject::Connection counting = QObject::connect(
            folder.watcher, &snapvale::FolderWatcher::Changed, [&changed] { ++changed; });
        std::atomic<bool> allWritten = false;
        Clock::time_point lastWritten;
        std::thread game([&] {
            for (std::size_t i = 0; i < names.size(); ++i) {
                WriteAsTheGame(folder.images.path() / names[i], folder.screenshots[i % 4]);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            lastWritten = Clock::now();
            allWritten = true;
        });
        const bool shown = folder.RunUntil([&] {
            return allWritten
                && std::all_of(names.begin(), names.end(),
                    [&](const std::string& name) { return folder.Shown(name); });
        });
        game.join();
        QObject::disconnect(counting);
        if (!shown) {
            bench.SkipWithError("the burst never showed whole");
            break;
        }
        bench.SetIterationTime(std::chrono::duration<double>(Clock::now() - lastWritten).count());
        longestLag = std::max(longestLag, lag.longest);
        updates = std::max(updates, changed);
        bench.PauseTiming();
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();
        bench.ResumeTiming();
    }
    bench.counters["ui_stall_ms"] = longestLag;
    bench.counters["update_ms"] = apply.longest;
    bench.counters["tree_updates"] = updates;
}
BENCHMARK(BM_BurstOf100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The window on the folder with nothing arriving: ten seconds with the UI thread probed, then ten
// seconds without, for the CPU time (the probe wakes the thread a thousand times a second).
void BM_IdleFolderOf40000(benchmark::State& bench)
{
    WatchedFolder& folder = Folder();
    const auto runFor = [](std::chrono::milliseconds time) {
        QEventLoop idle;
        QTimer::singleShot(time, &idle, &QEventLoop::quit);
        idle.exec();
    };
    double longestLag = 0;
    double cpu = 0;
    for (auto _ : bench) {
        application->timed = folder.watcher;
        application->longest = 0;
        application->events = 0;
        {
            UiLag lag;
            runFor(std::chrono::seconds(10));
            longestLag = std::max(longestLag, lag.longest);
        }
        const std::clock_t cpuBefore = std::clock();
        const Clock::time_point before = Clock::now();
        runFor(std::chrono::seconds(10));
        const std::chrono::duration<double> took = Clock::now() - before;
        cpu = 100.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC / took.count();
        application->timed = nullptr;
    }
    bench.counters["ui_share_ms"] = application->longest;
    bench.counters["watcher_events"] = application->events;
    bench.counters["ui_stall_ms"] = longestLag;
    bench.counters["cpu_percent"] = cpu;
}
BENCHMARK(BM_IdleFolderOf40000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// One listing of the 40,000 files as the watcher's worker makes it when no notice asked: the
// names and times read, the catalogue built and compared with the one shown.
void BM_ListingOf40000(benchmark::State& bench)
{
    WatchedFolder& folder = Folder();
    const snapvale::Catalogue& shown = *folder.tree->catalogue();
    snapvale::FileSystem& fs = snapvale::FileSystem::Default();
    for (auto _ : bench) {
        snapvale::Catalogue catalogue;
        snapvale::BuildCatalogue(
            fs.ListFolder(folder.state.ImageFolder, snapvale::IsCataloguedName), catalogue);
        benchmark::DoNotOptimize(snapvale::DiffCatalogues(shown, catalogue));
    }
}
BENCHMARK(BM_ListingOf40000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The folder renamed away, from the rename until the window has emptied; and renamed back, until
// the window shows it again. Last, since it rebuilds the tree.
void BM_FolderRenamedAwayAndBack(benchmark::State& bench)
{
    WatchedFolder& folder = Folder();
    const fs::path aside = folder.app.path() / "aside";
    // Renames `from` to `to` and runs the event loop until the watcher raises `signal` (the window
    // having followed it), or ten seconds pass: the milliseconds from the rename, or -1.
    const auto timeUntil = [&](auto signal, const fs::path& from, const fs::path& to) {
        QEventLoop loop;
        bool told = false;
        const QMetaObject::Connection connection =
            QObject::connect(folder.watcher, signal, &loop, [&] {
                told = true;
                loop.quit();
            });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        fs::rename(from, to);
        const Clock::time_point start = Clock::now();
        loop.exec();
        QObject::disconnect(connection);
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        return told ? took.count() : -1.0;
    };
    double gone = 0;
    double back = 0;
    for (auto _ : bench) {
        gone = timeUntil(&snapvale::FolderWatcher::Gone, folder.images.path(), aside);
        back = timeUntil(&snapvale::FolderWatcher::Back, aside, folder.images.path());
        if (gone < 0 || back < 0) {
            bench.SkipWithError("the window did not follow the folder");
            break;
        }
        bench.SetIterationTime(gone / 1000);
    }
    bench.counters["gone_ms"] = gone;
    bench.counters["back_ms"] = back;
}
BENCHMARK(BM_FolderRenamedAwayAndBack)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TimedApplication timedApplication(argc, argv);
    application = &timedApplication;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    watched.reset();
    benchmark::Shutdown();
    return 0;
}
