// Decoding screenshots as a user meets them: LoadTGA beside stb_image's stbi_load (four channels
// out) in the same run, on twelve screenshots (640 x 480, 800 x 600 and 1920 x 1080, each as 24-bit
// uncompressed, 24-bit run-length, 32-bit uncompressed and 8-bit colour-mapped run-length, written
// bottom-up as games write them).
//
// - Each screenshot is several different files on disk. One iteration decodes with each decoder
//   once, each on another file than the call before it, in an order that turns with every
//   iteration; so the decoders meet the same machine moment by moment, and none finds the file
//   of the call before in the CPU's caches.
// - Every call decodes afresh. The allocator behaves as in the program, recycling large blocks
//   that were freed; with --fresh_memory it takes every large block fresh from the system, as
//   for a first decode, so that the cost of touching new pages counts for every decoder.
// - For uncompressed files a floor is timed the same way: reading the file through a buffer and
//   writing the picture's words once, into a block allocated as the decoder allocates its
//   picture.
//
// Each call's wall and CPU time is kept; a table of the medians over all calls, with their ratios
// and the worst ratios, follows the runs. Last, a hostile file: 16.8 MB claiming 32767 x 32767
// pixels, with the time to answer it and the rise in peak memory.
//
//   build/bench/bench/tga_bench [--fresh_memory]
//   (5 repetitions in random order unless the benchmark flags say otherwise)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include "bench_support.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "tga/tga_loader.h"

namespace {

using snapvale::bench::ResidentMegabytes;
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
// Files per screenshot.
constexpr int kFilesEach = 4;

enum Decoder { Ours, Stb, Floor, kDecoders };
constexpr const char* kDecoderNames[kDecoders] = { "LoadTGA", "stbi_load", "floor" };

// Milliseconds of every call, by screenshot and decoder.
struct Calls
{
    std::vector<double> wall[kDecoders];
    std::vector<double> cpu[kDecoders];
};

struct Screenshot
{
    std::string name;
    int width = 0;
    int height = 0;
    bool floor = false; // uncompressed: the floor is timed too
    std::vector<std::string> files;
    Calls calls;
};

double ThreadCpuMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void DecodeOurs(const std::string& path, int, int)
{
    std::optional<snapvale::Picture> picture = snapvale::LoadTGA(path);
    if (!picture)
        std::abort();
    benchmark::DoNotOptimize(picture->data());
}

void DecodeStb(const std::string& path, int, int)
{
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (!pixels)
        std::abort();
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
}

// The least any decoder of the file must do: read it all, and write the picture once.
void ReadAndWriteOnce(const std::string& path, int width, int height)
{
    static std::vector<char> buffer(snapvale::kTGAReadBufferSize);
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(path, std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
        benchmark::DoNotOptimize(buffer.data());
    std::optional<snapvale::Picture> picture = snapvale::Picture::Allocate(width, height);
    std::memset(picture->data(), 0xFF, static_cast<std::size_t>(width) * height * 4);
    benchmark::DoNotOptimize(picture->data());
    benchmark::ClobberMemory();
}

void BM_Decode(benchmark::State& state, Screenshot* shot)
{
    using Clock = std::chrono::steady_clock;
    using Call = void (*)(const std::string&, int, int);
    const Call calls[kDecoders] = { DecodeOurs, DecodeStb, ReadAndWriteOnce };
    const int decoders = shot->floor ? kDecoders : Floor;
    std::size_t turn = 0;
    std::size_t call = 0;
    for (auto _ : state) {
        for (int i = 0; i < decoders; ++i, ++call) {
            const int decoder = static_cast<int>((turn + static_cast<std::size_t>(i)) % decoders);
            const std::string& path = shot->files[call % shot->files.size()];
            const double cpu = ThreadCpuMilliseconds();
            const Clock::time_point wall = Clock::now();
            calls[decoder](path, shot->width, shot->height);
            shot->calls.wall[decoder].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - wall).count());
            shot->calls.cpu[decoder].push_back(ThreadCpuMilliseconds() - cpu);
        }
        ++turn;
    }
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void PrintSummary(
    const char* clock, const std::vector<std::unique_ptr<Screenshot>>& shots, bool cpu)
{
    std::printf("\nMedians, %s\n%-18s %10s %10s %9s %10s %10s\n", clock, "file", "LoadTGA",
        "stbi_load", "stb/ours", "floor", "ours/floor");
    double worstSpeedUp = 0;
    double worstOverFloor = 0;
    std::string worstSpeedUpName;
    std::string worstOverFloorName;
    for (const auto& shot : shots) {
        const auto& times = cpu ? shot->calls.cpu : shot->calls.wall;
        if (times[Ours].empty())
            continue;
        const double ours = Median(times[Ours]);
        const double stb = Median(times[Stb]);
        const double speedUp = stb / ours;
        std::printf("%-18s %8.3fms %8.3fms %8.2fx", shot->name.c_str(), ours, stb, speedUp);
        if (worstSpeedUpName.empty() || speedUp < worstSpeedUp) {
            worstSpeedUp = speedUp;
            worstSpeedUpName = shot->name;
        }
        if (!times[Floor].empty()) {
            const double floor = Median(times[Floor]);
            const double overFloor = ours / floor;
            std::printf(" %8.3fms %9.2fx", floor, overFloor);
            if (worstOverFloorName.empty() || overFloor > worstOverFloor) {
                worstOverFloor = overFloor;
                worstOverFloorName = shot->name;
            }
        }
        std::printf("   (%zu calls each)\n", times[Ours].size());
    }
    if (!worstSpeedUpName.empty())
        std::printf("worst stb/ours: %.2fx (%s)\n", worstSpeedUp, worstSpeedUpName.c_str());
    if (!worstOverFloorName.empty())
        std::printf("worst ours/floor: %.2fx (%s)\n", worstOverFloor, worstOverFloorName.c_str());
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
    std::string repetitions = "--benchmark_repetitions=5";
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
    std::vector<std::unique_ptr<Screenshot>> shots;
    for (const auto& size : kSizes) {
        std::vector<TGAImage> images;
        for (int seed = 0; seed < kFilesEach; ++seed) {
            images.push_back(snapvale::test::GameScreenshot(size[0], size[1], seed));
            snapvale::test::ToPalette(images.back());
        }
        for (const Form& form : kForms) {
            auto shot = std::make_unique<Screenshot>();
            shot->name = std::to_string(size[0]) + "x" + std::to_string(size[1]) + "_" + form.name;
            shot->width = size[0];
            shot->height = size[1];
            shot->floor = form.imageType == 2;
            for (int seed = 0; seed < kFilesEach; ++seed) {
                TGAImage image = images[static_cast<std::size_t>(seed)];
                if (form.depth != 8)
                    image.palette.clear();
                TGALayout layout;
                layout.imageType = form.imageType;
                layout.pixelDepth = form.depth;
                layout.trailing.assign(26, 0); // games write the TGA 2.0 footer
                const std::string path =
                    (folder.path() / (shot->name + "_" + std::to_string(seed) + ".tga")).string();
                snapvale::test::WriteTGAFile(path, snapvale::test::WriteTGA(image, layout));
                shot->files.push_back(path);
            }
            benchmark::RegisterBenchmark(("Decode/" + shot->name).c_str(), BM_Decode, shot.get())
                ->Unit(benchmark::kMillisecond);
            shots.push_back(std::move(shot));
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
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    PrintSummary("wall clock", shots, false);
    PrintSummary("CPU time of the calling thread", shots, true);
    return 0;
}
