// Scanning the image folder, timed beside a shell pipeline that lists the same dates, and
// filling the date tree through the real tree widget.

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include "catalogue/date_tree.h"
#include "catalogue/folder_scan.h"
#include "qt/qt_tree_grid.h"
#include "support/temp_folder.h"

namespace {

using snapvale::test::TempFolder;

// A folder of `files` empty TGA files whose dates cycle through `dates` days, built once per
// shape and kept for the whole run so every benchmark sees the same warm folder.
const TempFolder& Folder(int files, int dates)
{
    static std::map<std::pair<int, int>, std::unique_ptr<TempFolder>> folders;
    std::unique_ptr<TempFolder>& folder = folders[{ files, dates }];
    if (!folder) {
        folder = std::make_unique<TempFolder>();
        for (int i = 0; i < files; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "shot%06d.tga", i);
            const int day = i % dates;
            snapvale::test::SetLocalModificationTime(
                folder->Write(name, ""), 2003 + day / 200, day / 20 % 10 + 1, day % 20 + 1);
        }
    }
    return *folder;
}

constexpr int kDates = 300;

void BM_ScanFolder(benchmark::State& state)
{
    const TempFolder& folder = Folder(static_cast<int>(state.range(0)), kDates);
    snapvale::Catalogue catalogue;
    for (auto _ : state)
        benchmark::DoNotOptimize(snapvale::ScanFolder(folder.folder(), catalogue));
    state.counters["dates"] = static_cast<double>(catalogue.DateList.size());
}
BENCHMARK(BM_ScanFolder)->Arg(1000)->Arg(40000)->Unit(benchmark::kMillisecond);

void BM_ShellPipeline(benchmark::State& state)
{
    const TempFolder& folder = Folder(static_cast<int>(state.range(0)), kDates);
    const std::string command = "find '" + folder.path().string()
        + "' -maxdepth 1 -iname '*.tga' -printf '%TY/%Tm/%Td\\n' | sort -u";
    int lines = 0;
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) {
            state.SkipWithError("cannot start the shell pipeline");
            return;
        }
        lines = 0;
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            lines += c == '\n';
        ::pclose(pipe);
    }
    state.counters["dates"] = lines;
}
BENCHMARK(BM_ShellPipeline)->Arg(1000)->Arg(40000)->Unit(benchmark::kMillisecond);

class QuietHost : public snapvale::DateTreeHost
{
public:
    void SetCaption(const std::string&) override { }
    void ShowThumbnails() override { }
    void ShowImage() override { }
};

// The date tree on a shown widget, for the 40,000 files spread over `dates` days.
struct TreeBench
{
    explicit TreeBench(int dates)
        : imageFolder(Folder(40000, dates).folder())
    {
        tree.resize(177, 441);
        tree.show();
    }

    std::string imageFolder;
    QTreeWidget tree;
    snapvale::QtTreeGrid grid{ &tree, {} };
    QuietHost host;
    snapvale::DateTree dateTree{ grid, host, imageFolder };
};

// A rebuild (scan and one closed row per date), then the newest date opened by selecting it,
// up to the widget having laid out and painted. With 1 date, it opens all 40,000 files.
void BM_ShowDatesAndOpenDate(benchmark::State& state)
{
    TreeBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        bench.dateTree.SetupTree();
        bench.dateTree.ShowDates();
        bench.grid.SetCurrentRow(1);
        QApplication::processEvents();
    }
    state.counters["rows"] = bench.grid.RowCount();
}
BENCHMARK(BM_ShowDatesAndOpenDate)->Arg(1)->Arg(kDates)->Unit(benchmark::kMillisecond);

// Opening alone (placeholder out, ExpandRow, layout and paint) of one date of 40,000 files.
void BM_OpenDateOfFortyThousandFiles(benchmark::State& state)
{
    TreeBench bench(1);
    for (auto _ : state) {
        state.PauseTiming();
        bench.dateTree.SetupTree();
        bench.dateTree.ShowDates();
        QApplication::processEvents();
        state.ResumeTiming();
        bench.grid.SetCurrentRow(1);
        QApplication::processEvents();
    }
    state.counters["rows"] = bench.grid.RowCount();
}
BENCHMARK(BM_OpenDateOfFortyThousandFiles)->Unit(benchmark::kMillisecond);

// Console output, plus the medians (or single times) kept to compare the scan with the
// pipeline at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter()
        : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            times_[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        for (const char* size : { "1000", "40000" }) {
            const auto scan = times_.find(std::string("BM_ScanFolder/") + size);
            const auto shell = times_.find(std::string("BM_ShellPipeline/") + size);
            if (scan == times_.end() || shell == times_.end() || scan->second <= 0)
                continue;
            std::printf("%s files: ScanFolder %.2f ms, pipeline %.2f ms, pipeline / scan = %.1f\n",
                size, scan->second, shell->second, shell->second / scan->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
