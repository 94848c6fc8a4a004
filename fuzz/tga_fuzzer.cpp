// Feeds arbitrary bytes to the in-memory TGA decoder. Besides the sanitizers' checks, a picture
// that comes out must be as large as its header says and fully opaque.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tga/tga_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    const std::optional<snapvale::Picture> picture = snapvale::DecodeTGA(file);
    if (!picture)
        return 0;
    const std::optional<snapvale::TGAHeader> header = snapvale::ReadTGAHeader(file);
    if (!header || picture->width() != header->Width || picture->height() != header->Height)
        std::abort();
    std::uint32_t all = 0xFFFFFFFFu;
    for (int y = 0; y < picture->height(); ++y)
        for (int x = 0; x < picture->width(); ++x)
            all &= picture->pixel(x, y);
    if ((all >> 24) != 0xFF)
        std::abort();
    return 0;
}
