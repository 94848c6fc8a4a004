// Reading the settings at start-up: the image folder and a long folder history, key by key.

#include <string>

#include <benchmark/benchmark.h>

#include "app/private_profile.h"
#include "app/start_up.h"
#include "support/temp_folder.h"

namespace {

void BM_ReadStartupState(benchmark::State& state)
{
    snapvale::test::TempFolder folder;
    const std::string settings = folder.folder() + snapvale::kSettingsFileName;
    snapvale::WriteIniString("CONFIG", "FOLDER", "/home/player/shots/", settings);
    for (int i = 0; i < state.range(0); ++i)
        snapvale::WriteIniString("FAVORATES", "FOLDER" + std::to_string(i),
            "/home/player/shots/" + std::to_string(i) + "/", settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(snapvale::ReadStartupState(folder.path().string()));
}
BENCHMARK(BM_ReadStartupState)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
