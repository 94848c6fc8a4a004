// Writes the fuzzer's large seeds: synthetic screenshots at 1920 x 1080 and 3840 x 2160, plain
// and run-length encoded, several megabytes each. libFuzzer grows its inputs from its seeds, so
// without seeds of this size it would never try a file that crosses the read buffer hundreds of
// times. Made at build time rather than kept in the repository.
//
//   make_seeds <folder>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "support/screenshot.h"
#include "support/tga_writer.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    struct Seed
    {
        const char* name;
        int width, height;
        std::uint8_t type;
        int depth;
        bool topDown;
    };
    // Each fits libFuzzer's -max_len of 8 MiB: a 4K picture stored plainly does so only at 8 bits.
    const Seed seeds[] = {
        { "shot_1080_raw24.tga", 1920, 1080, 2, 24, false },
        { "shot_1080_rle24.tga", 1920, 1080, 10, 24, false },
        { "shot_1080_rle32_topdown.tga", 1920, 1080, 10, 32, true },
        { "shot_4k_raw8_mapped.tga", 3840, 2160, 1, 8, false },
        { "shot_4k_rle16.tga", 3840, 2160, 10, 16, false },
        { "shot_4k_rle8_mapped.tga", 3840, 2160, 9, 8, true },
    };
    int number = 0;
    for (const Seed& seed : seeds) {
        snapvale::test::TGAImage image =
            snapvale::test::GameScreenshot(seed.width, seed.height, number++);
        if (seed.depth == 8)
            snapvale::test::ToPalette(image);
        snapvale::test::TGALayout layout;
        layout.imageType = seed.type;
        layout.pixelDepth = seed.depth;
        layout.topToBottom = seed.topDown;
        if (!snapvale::test::WriteTGAFile(
                folder / seed.name, snapvale::test::WriteTGA(image, layout))) {
            std::fprintf(stderr, "make_seeds: could not write %s\n", seed.name);
            return 1;
        }
    }
    return 0;
}
