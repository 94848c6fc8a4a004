// Writes a folder of synthetic game screenshots for trying the program: sky, distant hills,
// ground, a status bar and a chat box, at the sizes players' screens give (640 x 480 up to
// 2560 x 1440), in several of the TGA forms the game and other programs write, spread over
// several days with their file times set.
//
//   make_samples <folder> [<settings file>]
//
// With a settings file, its image folder is set to <folder>, so the program opens on the samples.

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "settings/private_profile.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/tga_writer.h"

namespace {

using snapvale::test::GameScreenshot;
using snapvale::test::TGAImage;
using snapvale::test::TGALayout;

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_samples <folder> [<settings file>]\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    struct Day
    {
        int year, month, day, shots;
    };
    const Day days[] = { { 2026, 11, 28, 4 }, { 2026, 12, 1, 11 }, { 2026, 12, 3, 2 },
        { 2026, 12, 5, 7 } };
    // The forms the samples rotate through: the game's own 24-bit files and what other
    // programs write.
    struct Form
    {
        std::uint8_t type;
        int depth;
    };
    const Form forms[] = { { 2, 24 }, { 10, 24 }, { 2, 32 }, { 10, 16 }, { 9, 8 }, { 10, 32 } };

    struct Size
    {
        int width, height;
    };
    const Size sizes[] = { { 640, 480 }, { 1920, 1080 }, { 640, 480 }, { 800, 600 }, { 1280, 720 },
        { 2560, 1440 }, { 640, 480 }, { 1920, 1080 } };

    int number = 0;
    for (const Day& day : days) {
        for (int shot = 0; shot < day.shots; ++shot, ++number) {
            const Size size = sizes[number % std::size(sizes)];
            TGAImage image = GameScreenshot(size.width, size.height, number);
            const Form form = forms[number % std::size(forms)];
            TGALayout layout;
            layout.imageType = form.type;
            layout.pixelDepth = form.depth;
            if (form.depth == 8)
                snapvale::test::ToPalette(image);
            char name[32];
            std::snprintf(name, sizeof name, "shot%04d.tga", number + 1);
            const std::filesystem::path file = folder / name;
            if (!snapvale::test::WriteTGAFile(file, snapvale::test::WriteTGA(image, layout))) {
                std::fprintf(stderr, "make_samples: could not write %s\n",
                    snapvale::test::Utf8(file).c_str());
                return 1;
            }
            snapvale::test::SetLocalModificationTime(
                file, day.year, day.month, day.day, 19 + shot / 6, shot * 7 % 60, (shot * 13) % 60);
        }
    }
    // The folder ends in its separator and is UTF-8 on every system, as the program writes it.
    if (argc == 3)
        snapvale::WriteIniString("CONFIG", "FOLDER", snapvale::test::Utf8(folder / ""), argv[2]);
    std::printf(
        "make_samples: %d screenshots in %s\n", number, snapvale::test::Utf8(folder).c_str());
    return 0;
}
