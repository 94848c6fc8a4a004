// Moving one screenshot of a folder of 5,000 to the trash and bringing it back, on the UI thread
// as the window does it: the time of each (Qt's freedesktop trash, in a temporary home, as the
// trash tests set it up).
//
//   build/bench/bench/trash_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include "qt/trash.h"
#include "support/temp_folder.h"

namespace {

using snapvale::Trash;
using snapvale::test::TempFolder;
namespace fs = std::filesystem;

void BM_TrashAndUndoOneOfFiveThousand(benchmark::State& bench)
{
    TempFolder home;
    qputenv("HOME", home.path().string().c_str());
    qputenv("XDG_DATA_HOME", (home.path() / "data").string().c_str());
    const fs::path shots = home.path() / "shots";
    fs::create_directories(shots);
    for (int i = 0; i < 5000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Shot%05d.tga", i);
        std::ofstream(shots / name).put('\0');
    }
    const std::string shot = (shots / "Shot02500.tga").string();
    Trash trash;
    for (auto _ : bench) {
        if (trash.MoveToTrash(shot).status != Trash::Status::Done
            || trash.UndoLast().status != Trash::Status::Done) {
            bench.SkipWithError("the file did not go to the trash and back");
            break;
        }
    }
}
BENCHMARK(BM_TrashAndUndoOneOfFiveThousand)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
