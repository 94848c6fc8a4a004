// Exporting a date of 100 screenshots (1920 x 1080, 24-bit run-length, as the game writes them)
// as PNG and as JPEG at quality 80 on the export's two workers, beside ImageMagick's `convert`
// doing the same files in the same run, two processes at a time with one thread each. Counters:
// files_per_s, and for our export the longest stretch the UI thread was busy (ui_stall_ms).
// Our export puts every file on the disk (fsync) before it renames it into place; `convert`
// does not, so it pays less for each file.
//
//   build/bench/bench/export_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise; the `convert` runs are
// skipped when ImageMagick is not installed (scripts/setup.sh --test installs it).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <benchmark/benchmark.h>

#include "qt/batch_export.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "ui_lag.h"

namespace {

using snapvale::BatchExport;
using snapvale::ExportFormat;
using snapvale::bench::UiLag;
using snapvale::test::TempFolder;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 100;

struct Shots
{
    Shots()
    {
        for (int i = 0; i < kFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Shot%05d.tga", i);
            snapvale::test::TGALayout layout;
            layout.imageType = 10;
            snapvale::test::WriteTGAFile(folder.path() / name,
                snapvale::test::WriteTGA(snapvale::test::GameScreenshot(1920, 1080, i), layout));
            names.emplace_back(name);
        }
    }
    TempFolder folder;
    std::vector<std::string> names;
};

const Shots& TheShots()
{
    static const Shots shots;
    return shots;
}

// Nothing exists in a fresh folder; were anything asked, the export would go on regardless.
class OverwriteAll final : public snapvale::ExistingFileQuestion
{
public:
    snapvale::ExistingFileAnswer AskAboutExisting(const std::string&) override
    {
        return snapvale::ExistingFileAnswer::OverwriteAll;
    }
};

void BM_Export(benchmark::State& bench, ExportFormat format)
{
    const Shots& shots = TheShots();
    double seconds = 0;
    double stall = 0;
    for (auto _ : bench) {
        TempFolder out;
        OverwriteAll question;
        BatchExport run(shots.folder.folder(), shots.names, { out.folder(), format, 80 }, question);
        QEventLoop loop;
        QObject::connect(&run, &BatchExport::Finished, &loop, &QEventLoop::quit);
        UiLag lag;
        const auto start = Clock::now();
        run.Start();
        if (!run.IsFinished())
            loop.exec();
        const std::chrono::duration<double> took = Clock::now() - start;
        bench.SetIterationTime(took.count());
        seconds += took.count();
        stall = std::max(stall, lag.longest);
        if (run.summary().written != kFiles)
            bench.SkipWithError("not every file was written");
    }
    bench.counters["files_per_s"] = kFiles * static_cast<double>(bench.iterations()) / seconds;
    bench.counters["ui_stall_ms"] = stall;
}
BENCHMARK_CAPTURE(BM_Export, Png, ExportFormat::Png)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Export, Jpeg80, ExportFormat::Jpeg)->UseManualTime()->Unit(benchmark::kSecond);

// ImageMagick's convert, or nothing when the one on the path is not ImageMagick.
QString ImageMagick()
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        return {};
    QProcess version;
    version.start(convert, { QStringLiteral("-version") });
    version.waitForFinished();
    return version.readAllStandardOutput().contains("ImageMagick") ? convert : QString();
}

void BM_Convert(benchmark::State& bench, const char* extension, QStringList options)
{
    const QString convert = ImageMagick();
    if (convert.isEmpty()) {
        bench.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    // Two workers, as our export has: two processes of one thread each.
    qputenv("MAGICK_THREAD_LIMIT", "1");
    const Shots& shots = TheShots();
    double seconds = 0;
    for (auto _ : bench) {
        TempFolder out;
        std::atomic<int> next = 0;
        const auto work = [&] {
            for (int i = next++; i < kFiles; i = next++) {
                const std::string& name = shots.names[static_cast<std::size_t>(i)];
                QStringList arguments{ QString::fromStdString(shots.folder.folder() + name) };
                arguments << options
                          << QString::fromStdString(
                                 out.folder() + name.substr(0, name.size() - 4) + extension);
                QProcess::execute(convert, arguments);
            }
        };
        const auto start = Clock::now();
        std::thread other(work);
        work();
        other.join();
        const std::chrono::duration<double> took = Clock::now() - start;
        bench.SetIterationTime(took.count());
        seconds += took.count();
    }
    bench.counters["files_per_s"] = kFiles * static_cast<double>(bench.iterations()) / seconds;
}
BENCHMARK_CAPTURE(BM_Convert, Png, ".png", QStringList{})
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Convert, Jpeg80, ".jpg", QStringList{ "-quality", "80" })
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

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
