// Decoding screenshots as a user meets them: LoadTGA beside stb_image's stbi_load (four channels
// out) in the same run, on twelve screenshots (640 x 480, 800 x 600 and 1920 x 1080, each as 24-bit
// uncompressed, 24-bit run-length, 32-bit uncompressed and 8-bit colour-mapped run-length, written
// bottom-up as games write them).
//
// - Each screenshot is several different files on disk, decoded in turn, so no call finds the
//   file of the call before in the CPU's caches.
// - Every call decodes afresh. The allocator behaves as in the program, recycling large blocks
//   that were freed; with --fresh_memory it takes every large block fresh from the system, as
//   for a first decode, so that the cost of touching new pages counts for every decoder.
// - Repetitions of all benchmarks are run in random order, so a busy moment of the shared machine
//   does not fall on one decoder only.
// - For uncompressed files a floor is timed too: reading the file through a buffer and writing
//   the picture's bytes once.
//
// A table of medians with their ratios, and the worst ratios, follows the runs. Last, a hostile
// file: 16.8 MB claiming 32767 x 32767 pixels, with the time to answer it and the peak memory.
//
//   build/bench/bench/tga_bench [--fresh_memory]
//   (9 repetitions, interleaved, unless the benchmark flags say otherwise)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "tga/tga_loader.h"

namespace {

using snapvale::test::TGAImage;
using snapvale::test::TGALayout;

struct Form
{
    const char* name;
    std::uint8_t imageType;
    int depth;
};

constexpr Form kForms[] = { { "24raw", 2, 24 }, { "24rle", 10, 24 }, { "32raw", 2, 32 },
    { "8cmrle", 9, 8 } };
constexpr int kSizes[][2] = { { 640, 480 }, { 800, 600 }, { 1920, 1080 } };
// Files per screenshot, decoded in turn.
constexpr int kFilesEach = 4;

// The files of one screenshot, taken in turn.
class Files
{
public:
    void Add(std::string path) { paths_.push_back(std::move(path)); }
    const std::string& Next() { return paths_[next_++ % paths_.size()]; }

private:
    std::vector<std::string> paths_;
    std::size_t next_ = 0;
};

void BM_LoadTGA(benchmark::State& state, Files* files)
{
    for (auto _ : state) {
        std::optional<snapvale::Picture> picture = snapvale::LoadTGA(files->Next());
        if (!picture)
            state.SkipWithError("no picture");
        benchmark::DoNotOptimize(picture);
    }
}

void BM_StbLoad(benchmark::State& state, Files* files)
{
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(files->Next().c_str(), &width, &height, &channels, 4);
        if (!pixels)
            state.SkipWithError("stbi_load failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
}

// The least any decoder of the file must do: read it all, and write the picture once (in a block
// allocated as the decoder allocates its picture).
void BM_Floor(benchmark::State& state, Files* files, int width, int height)
{
    std::vector<char> buffer(snapvale::kTGAReadBufferSize);
    for (auto _ : state) {
        std::ifstream in;
        in.rdbuf()->pubsetbuf(nullptr, 0);
        in.open(files->Next(), std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
            benchmark::DoNotOptimize(buffer.data());
        std::optional<snapvale::Picture> picture = snapvale::Picture::Allocate(width, height);
        std::memset(picture->data(), 0xFF,
            static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        benchmark::DoNotOptimize(picture->data());
        benchmark::ClobberMemory();
    }
}

double ResidentMegabytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field)) / 1024.0;
    return 0;
}

// A 16.8 MB run-length file that claims 32767 x 32767 pixels, every packet a 128-pixel run as
// its size allows: the time to answer it and the peak memory meanwhile.
void BM_HostileClaim(benchmark::State& state, std::string path)
{
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak counts from here
    const double before = ResidentMegabytes("VmRSS:");
    bool decoded = false;
    for (auto _ : state) {
        const std::optional<snapvale::Picture> picture = snapvale::LoadTGA(path);
        decoded = picture.has_value();
        benchmark::DoNotOptimize(picture);
    }
    state.counters["decoded"] = decoded;
    state.counters["peak_rise_MB"] = ResidentMegabytes("VmHWM:") - before;
}

// Keeps each benchmark's median (or its only run) for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration ? !run.report_big_o && run.repetitions <= 1
                                                  : run.aggregate_name == "median") {
                const std::string name = run.run_name.function_name;
                real[name] = run.GetAdjustedRealTime();
                cpu[name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    // Milliseconds by benchmark name. Both clocks are kept: on a busy machine the wall clock
    // also counts time spent waiting for a core.
    std::map<std::string, double> real;
    std::map<std::string, double> cpu;
};

void PrintSummary(const char* clock, const std::map<std::string, double>& times,
    const std::vector<std::string>& names)
{
    std::printf("\nMedians, %s\n%-18s %10s %10s %9s %10s %10s\n", clock, "file", "LoadTGA",
        "stbi_load", "stb/ours", "floor", "ours/floor");
    double worstSpeedUp = 0;
    double worstOverFloor = 0;
    std::string worstSpeedUpName;
    std::string worstOverFloorName;
    for (const std::string& name : names) {
        const auto ours = times.find("LoadTGA/" + name);
        const auto stb = times.find("stbi_load/" + name);
        if (ours == times.end() || stb == times.end())
            continue;
        const double speedUp = stb->second / ours->second;
        std::printf(
            "%-18s %8.3fms %8.3fms %8.2fx", name.c_str(), ours->second, stb->second, speedUp);
        if (worstSpeedUpName.empty() || speedUp < worstSpeedUp) {
            worstSpeedUp = speedUp;
            worstSpeedUpName = name;
        }
        const auto floor = times.find("Floor/" + name);
        if (floor != times.end()) {
            const double overFloor = ours->second / floor->second;
            std::printf(" %8.3fms %9.2fx", floor->second, overFloor);
            if (worstOverFloorName.empty() || overFloor > worstOverFloor) {
                worstOverFloor = overFloor;
                worstOverFloorName = name;
            }
        }
        std::printf("\n");
    }
    if (!worstSpeedUpName.empty())
        std::printf("worst stb/ours: %.2fx (%s)\n", worstSpeedUp, worstSpeedUpName.c_str());
    if (!worstOverFloorName.empty())
        std::printf("worst ours/floor: %.2fx (%s)\n", worstOverFloor, worstOverFloorName.c_str());
}

bool HasFlag(int argc, char** argv, std::string_view flag)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]).starts_with(flag))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--fresh_memory") {
            // Large blocks always come fresh from the system and go back to it when freed.
            ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
            std::printf("Every large block fresh from the system\n");
            continue;
        }
        args.push_back(argv[i]);
    }
    std::string repetitions = "--benchmark_repetitions=9";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (!HasFlag(argc, argv, "--benchmark_repetitions"))
        args.push_back(repetitions.data());
    if (!HasFlag(argc, argv, "--benchmark_enable_random_interleaving"))
        args.push_back(interleaving.data());
    if (!HasFlag(argc, argv, "--benchmark_report_aggregates_only"))
        args.push_back(aggregates.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    snapvale::test::TempFolder folder;
    std::vector<std::string> names;
    std::vector<std::unique_ptr<Files>> allFiles;
    for (const auto& size : kSizes) {
        std::vector<TGAImage> images;
        for (int seed = 0; seed < kFilesEach; ++seed) {
            images.push_back(snapvale::test::GameScreenshot(size[0], size[1], seed));
            snapvale::test::ToPalette(images.back());
        }
        for (const Form& form : kForms) {
            const std::string name =
                std::to_string(size[0]) + "x" + std::to_string(size[1]) + "_" + form.name;
            auto files = std::make_unique<Files>();
            for (int seed = 0; seed < kFilesEach; ++seed) {
                TGAImage image = images[static_cast<std::size_t>(seed)];
                if (form.depth != 8)
                    image.palette.clear();
                TGALayout layout;
                layout.imageType = form.imageType;
                layout.pixelDepth = form.depth;
                layout.trailing.assign(26, 0); // games write the TGA 2.0 footer
                const std::string path =
                    (folder.path() / (name + "_" + std::to_string(seed) + ".tga")).string();
                snapvale::test::WriteTGAFile(path, snapvale::test::WriteTGA(image, layout));
                files->Add(path);
            }
            names.push_back(name);
            benchmark::RegisterBenchmark(("LoadTGA/" + name).c_str(), BM_LoadTGA, files.get())
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("stbi_load/" + name).c_str(), BM_StbLoad, files.get())
                ->Unit(benchmark::kMillisecond);
            if (form.imageType == 2)
                benchmark::RegisterBenchmark(
                    ("Floor/" + name).c_str(), BM_Floor, files.get(), size[0], size[1])
                    ->Unit(benchmark::kMillisecond);
            allFiles.push_back(std::move(files));
        }
    }
    {
        TGALayout layout;
        layout.imageType = 11;
        layout.pixelDepth = 8;
        layout.width = layout.height = 32767;
        const std::size_t runs = (std::size_t{ 32767 } * 32767 + 127) / 128;
        layout.pixelData = std::vector<std::uint8_t>();
        layout.pixelData->reserve(2 * runs);
        for (std::size_t run = 0; run < runs; ++run)
            layout.pixelData->insert(layout.pixelData->end(), { 0xFF, 0x80 });
        const std::string path = (folder.path() / "claim_32767.tga").string();
        snapvale::test::WriteTGAFile(path, snapvale::test::WriteTGA(TGAImage{}, layout));
        benchmark::RegisterBenchmark("HostileClaim/32767x32767_16.8MB", BM_HostileClaim, path)
            ->Unit(benchmark::kMillisecond);
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    PrintSummary("wall clock", reporter.real, names);
    PrintSummary("CPU time", reporter.cpu, names);
    return 0;
}
