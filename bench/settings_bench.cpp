// Reading the settings at start-up with folder histories of growing length, from real files on
// disk. Several copies of the file are read in turn, so that each call meets a file of its own.
// Start-up reads every key from one parse; `BM_ReadKeyByKey` reads the history one
// `ReadIniString` at a time, as start-up did before, to show what the one parse saves.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "settings/chosen_folder.h"
#include "settings/private_profile.h"
#include "settings/start_up.h"
#include "support/temp_folder.h"

namespace {

using snapvale::bench::HistoryFolder;
using snapvale::bench::SettingsWithHistory;
using snapvale::test::TempFolder;

constexpr int kCopies = 4;

// Program folders each holding a settings file with `entries` history entries, written as the
// program writes them.
std::array<std::unique_ptr<TempFolder>, kCopies> SettingsFolders(long entries)
{
    const std::string text = SettingsWithHistory(HistoryFolder(entries), entries);
    std::array<std::unique_ptr<TempFolder>, kCopies> folders;
    for (auto& folder : folders) {
        folder = std::make_unique<TempFolder>();
        folder->Write(snapvale::kSettingsFileName, text);
    }
    return folders;
}

void BM_ReadStartupState(benchmark::State& state)
{
    const auto folders = SettingsFolders(state.range(0));
    int next = 0;
    for (auto _ : state) {
        const snapvale::AppState read = snapvale::ReadStartupState(folders[next]->path().string());
        benchmark::DoNotOptimize(read.FolderHistory.data());
        next = (next + 1) % kCopies;
    }
    state.counters["entries"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ReadStartupState)
    ->Arg(0)
    ->Arg(100)
    ->Arg(10'000)
    ->Arg(50'000)
    ->Unit(benchmark::kMillisecond);

void BM_ReadKeyByKey(benchmark::State& state)
{
    const auto folders = SettingsFolders(state.range(0));
    int next = 0;
    for (auto _ : state) {
        const std::string file = folders[next]->folder() + snapvale::kSettingsFileName;
        for (std::size_t n = 0;; ++n)
            if (snapvale::ReadIniString(
                    snapvale::kHistorySection, snapvale::HistoryKey(n), file, "")
                    .empty())
                break;
        next = (next + 1) % kCopies;
    }
}
BENCHMARK(BM_ReadKeyByKey)->Arg(100)->Arg(2'000)->Unit(benchmark::kMillisecond);

// One key written with WriteIniString (the fit choice): the file read, replaced and flushed to
// disk.
void BM_WriteOneKey(benchmark::State& state)
{
    const auto folders = SettingsFolders(state.range(0));
    int next = 0;
    for (auto _ : state) {
        snapvale::WriteIniString("CONFIG", "FOLDER", HistoryFolder(next),
            folders[next]->folder() + snapvale::kSettingsFileName);
        next = (next + 1) % kCopies;
    }
}
BENCHMARK(BM_WriteOneKey)->Arg(0)->Arg(50'000)->Unit(benchmark::kMillisecond);

// What accepting a new folder in the options dialog costs with a long history: the history read
// from the file as it is now, the folder added, the file replaced and flushed to disk.
void BM_StoreChosenFolder(benchmark::State& state)
{
    const auto folders = SettingsFolders(state.range(0));
    long added = 0;
    for (auto _ : state) {
        const int next = static_cast<int>(added % kCopies);
        const snapvale::StoredFolder stored =
            snapvale::StoreChosenFolder(folders[next]->folder() + snapvale::kSettingsFileName,
                HistoryFolder(state.range(0) + added++), {});
        benchmark::DoNotOptimize(stored.history.data());
    }
}
BENCHMARK(BM_StoreChosenFolder)->Arg(0)->Arg(50'000)->Unit(benchmark::kMillisecond);

// Clearing a long history as the history menu does: one load, every key blanked in memory, one
// replace of the file.
void BM_ClearHistory(benchmark::State& state)
{
    const auto folders = SettingsFolders(state.range(0));
    int next = 0;
    for (auto _ : state) {
        const std::string file = folders[next]->folder() + snapvale::kSettingsFileName;
        std::optional<snapvale::PrivateProfile> profile = snapvale::LoadPrivateProfile(file);
        for (std::size_t i = 0; i < static_cast<std::size_t>(state.range(0)); ++i)
            profile->Write(snapvale::kHistorySection, snapvale::HistoryKey(i), "");
        snapvale::StorePrivateProfile(*profile, file);
        next = (next + 1) % kCopies;
    }
}
BENCHMARK(BM_ClearHistory)->Arg(50'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
