// Decoding screenshot-sized TGA files: LoadTGA against stb_image's stbi_load (four channels out)
// on the same files, and for 24-bit uncompressed files against the floor of reading the file and
// copying its pixel bytes once. After the runs a table gives the medians and their ratios.
//
// build/bench/bench/tga_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include "support/temp_folder.h"
#include "support/tga_writer.h"
#include "tga/tga_loader.h"

namespace {

using snapvale::test::TGAImage;
using snapvale::test::TGALayout;

// A game screenshot in miniature: a sky graded by row, textured ground, a status bar and a chat
// box with lines of "text", so run-length packets see both long runs and busy stretches.
TGAImage Screenshot(int width, int height)
{
    TGAImage image{ width, height, {}, {}, {} };
    std::uint32_t noise = 12345;
    const int horizon = height * 55 / 100;
    const int bar = height - height / 12;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            std::uint32_t colour;
            std::uint8_t index;
            const bool chat =
                x > width / 20 && x < width / 2 && y > bar - height / 5 && y < bar - 8;
            if (y >= bar) {
                colour = (x % 97 < 90) ? 0x202830u : 0xC0A040u;
                index = (x % 97 < 90) ? 1 : 2;
            } else if (chat) {
                const bool ink = ((x / 3 + y / 2) % 7 < 2) && (y % 14 < 10);
                colour = ink ? 0xF0F0F0u : 0x101018u;
                index = ink ? 3 : 4;
            } else if (y < horizon) {
                colour = 0x3060A0u + static_cast<std::uint32_t>(y * 96 / horizon) * 0x010101u;
                index = static_cast<std::uint8_t>(16 + y * 64 / horizon);
            } else {
                const std::uint32_t grain = (noise >> 24) & 0x1F;
                colour = 0x406020u + grain * 0x010101u;
                index = static_cast<std::uint8_t>(96 + grain);
            }
            image.pixels.push_back(0xFF000000u | colour);
            image.indices.push_back(index);
        }
    for (int i = 0; i < 256; ++i)
        image.palette.push_back(0xFF000000u | static_cast<std::uint32_t>(i) * 0x010203u);
    return image;
}

struct Format
{
    const char* name;
    std::uint8_t imageType;
    int depth;
};

constexpr Format kFormats[] = { { "24raw", 2, 24 }, { "24rle", 10, 24 }, { "32raw", 2, 32 },
    { "8cmrle", 9, 8 } };
constexpr int kSizes[][2] = { { 640, 480 }, { 800, 600 }, { 1920, 1080 } };

void BM_LoadTGA(benchmark::State& state, std::string path)
{
    for (auto _ : state) {
        std::optional<snapvale::Picture> picture = snapvale::LoadTGA(path);
        if (!picture)
            state.SkipWithError("no picture");
        benchmark::DoNotOptimize(picture);
    }
}

void BM_StbLoad(benchmark::State& state, std::string path)
{
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
        if (!pixels)
            state.SkipWithError("stbi_load failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
}

// The floor for an uncompressed file: read it (the way LoadTGA does) and copy its pixels once.
void BM_ReadAndCopy(benchmark::State& state, std::string path, std::size_t pixelBytes)
{
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::size_t>(in.tellg());
        in.seekg(0);
        std::unique_ptr<std::uint8_t[]> file(new std::uint8_t[size]);
        in.read(reinterpret_cast<char*>(file.get()), static_cast<std::streamsize>(size));
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[pixelBytes]);
        std::memcpy(copy.get(), file.get() + snapvale::kTGAHeaderSize, pixelBytes);
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
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
                std::string name = run.run_name.function_name;
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
    const std::vector<std::string>& files)
{
    std::printf("\nMedians, %s\n%-18s %10s %10s %8s %12s %10s\n", clock, "file", "LoadTGA",
        "stbi_load", "stb/ours", "read+copy", "ours/copy");
    for (const std::string& name : files) {
        const auto ours = times.find("LoadTGA/" + name);
        const auto stb = times.find("stbi_load/" + name);
        if (ours == times.end() || stb == times.end())
            continue;
        std::printf("%-18s %8.3fms %8.3fms %7.2fx", name.c_str(), ours->second, stb->second,
            stb->second / ours->second);
        const auto copy = times.find("ReadAndCopy/" + name);
        if (copy != times.end())
            std::printf(" %10.3fms %9.2fx", copy->second, ours->second / copy->second);
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    snapvale::test::TempFolder folder;
    std::vector<std::string> files;
    for (const auto& size : kSizes) {
        const TGAImage mapped = Screenshot(size[0], size[1]);
        TGAImage trueColour = mapped;
        trueColour.palette.clear();
        for (const Format& format : kFormats) {
            const TGAImage& image = format.depth == 8 ? mapped : trueColour;
            TGALayout layout;
            layout.imageType = format.imageType;
            layout.pixelDepth = format.depth;
            layout.trailing.assign(26, 0); // games write the TGA 2.0 footer
            const std::string name =
                std::to_string(size[0]) + "x" + std::to_string(size[1]) + "_" + format.name;
            const std::string path = (folder.path() / (name + ".tga")).string();
            snapvale::test::WriteTGAFile(path, snapvale::test::WriteTGA(image, layout));
            files.push_back(name);
            benchmark::RegisterBenchmark(("LoadTGA/" + name).c_str(), BM_LoadTGA, path)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("stbi_load/" + name).c_str(), BM_StbLoad, path)
                ->Unit(benchmark::kMillisecond);
            if (format.imageType == 2 && format.depth == 24)
                benchmark::RegisterBenchmark(("ReadAndCopy/" + name).c_str(), BM_ReadAndCopy, path,
                    static_cast<std::size_t>(size[0]) * static_cast<std::size_t>(size[1]) * 3)
                    ->Unit(benchmark::kMillisecond);
        }
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    PrintSummary("wall clock", reporter.real, files);
    PrintSummary("CPU time", reporter.cpu, files);
    return 0;
}
