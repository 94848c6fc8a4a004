// Scanning the image folder, timed beside a shell pipeline that lists the same dates, and
// filling the date tree through the real tree widget.

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <unistd.h>

#include <QApplication>
#include <benchmark/benchmark.h>

#include "catalogue/folder_scan.h"
#include "qt/date_tree_view.h"
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

// The date tree on a shown widget, for the 40,000 files spread over `dates` days.
struct TreeBench
{
    explicit TreeBench(int dates)
        : imageFolder(Folder(40000, dates).folder())
    {
        tree.resize(177, 441);
        tree.show();
    }

    // A fresh scan shown from scratch, every date closed.
    void ShowDates()
    {
        auto catalogue = std::make_shared<snapvale::Catalogue>();
        snapvale::ScanFolder(imageFolder, *catalogue);
        tree.ShowCatalogue(std::move(catalogue));
    }
    // Chooses the newest date, which opens it.
    void OpenNewestDate()
    {
        const snapvale::DateTreeModel& model = *tree.dateModel();
        tree.setCurrentIndex(model.index(0, 0, model.RootIndex()));
    }
    // The rows the tree holds: the root, the dates and the files of the dates opened.
    int Rows() const
    {
        const snapvale::DateTreeModel& model = *tree.dateModel();
        const QModelIndex root = model.RootIndex();
        int rows = 1 + model.rowCount(root);
        for (int date = 0; date < model.rowCount(root); ++date)
            rows += model.rowCount(model.index(date, 0, root));
        return rows;
    }

    std::string imageFolder;
    snapvale::DateTreeView tree{ {} };
};

// A rebuild (scan and one closed row per date), then the newest date opened by selecting it,
// up to the widget having laid out and painted. With 1 date, it opens all 40,000 files.
void BM_ShowDatesAndOpenDate(benchmark::State& state)
{
    TreeBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        bench.ShowDates();
        bench.OpenNewestDate();
        QApplication::processEvents();
    }
    state.counters["rows"] = bench.Rows();
}
BENCHMARK(BM_ShowDatesAndOpenDate)->Arg(1)->Arg(kDates)->Unit(benchmark::kMillisecond);

// Opening alone (the date's rows fetched, layout and paint) of one date of 40,000 files.
void BM_OpenDateOfFortyThousandFiles(benchmark::State& state)
{
    TreeBench bench(1);
    for (auto _ : state) {
        state.PauseTiming();
        bench.ShowDates();
        QApplication::processEvents();
        state.ResumeTiming();
        bench.OpenNewestDate();
        QApplication::processEvents();
    }
    state.counters["rows"] = bench.Rows();
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
