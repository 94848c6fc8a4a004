// Thumbnails of 30 names of one 1 MiB file that holds an 8192 x 8192 picture (grey and
// run-length encoded, every run as long as a run may be), made by the thumbnail loader as a date
// of such files would have them made: the time until all 30 are made, and the peak resident
// memory meanwhile (peak_resident_MB), which the budget of the decodes in flight bounds whatever
// the number of workers (workers).
//
//   build/bench/bench/thumbnail_bench --benchmark_repetitions=3

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "support/temp_folder.h"
#include "viewer/thumbnail_loader.h"

namespace {

using snapvale::bench::ResidentMegabytes;

// The largest picture the decoder takes, in little more than 1 MiB.
std::string LargestPictureFile()
{
    constexpr int kSide = 8192;
    std::string bytes(18, '\0');
    bytes[2] = 11; // grey, run-length encoded
    bytes[12] = static_cast<char>(kSide & 0xFF);
    bytes[13] = static_cast<char>(kSide >> 8);
    bytes[14] = static_cast<char>(kSide & 0xFF);
    bytes[15] = static_cast<char>(kSide >> 8);
    bytes[16] = 8;
    for (int run = 0; run < kSide * kSide / 128; ++run) {
        bytes.push_back(static_cast<char>(0xFF)); // a run of 128
        bytes.push_back(static_cast<char>(run / 4096)); // its grey
    }
    return bytes;
}

void BM_ThirtyLargestPictures(benchmark::State& bench)
{
    snapvale::test::TempFolder folder;
    const std::string bytes = LargestPictureFile();
    std::vector<std::string> paths;
    for (int i = 0; i < 30; ++i)
        paths.push_back(folder.Write("large" + std::to_string(i) + ".tga", bytes).string());
    int workers = 0;
    double peak = 0;
    for (auto _ : bench) {
        // Counts the peak from here ("5" resets it).
        std::ofstream("/proc/self/clear_refs") << "5";
        snapvale::ThumbnailLoader loader;
        workers = loader.Workers();
        int made = 0;
        QEventLoop loop;
        QObject::connect(&loader, &snapvale::ThumbnailLoader::Loaded, &loop, [&] {
            if (++made == static_cast<int>(paths.size()))
                loop.quit();
        });
        for (std::size_t i = 0; i < paths.size(); ++i)
            loader.Queue(static_cast<int>(i), paths[i], QSize(208, 160));
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        loop.exec();
        if (made != static_cast<int>(paths.size())) {
            bench.SkipWithError("not all thumbnails were made");
            break;
        }
        peak = ResidentMegabytes("VmHWM:");
    }
    bench.counters["peak_resident_MB"] = peak;
    bench.counters["workers"] = workers;
}
BENCHMARK(BM_ThirtyLargestPictures)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
