#pragma once

// Pixels as a TGA file (and a device-independent bitmap) stores them, turned into a Picture's
// opaque 0xFFRRGGBB words: 8-bit palette indices through the colour table, 16-bit 5-5-5 values
// widened to 8 bits a channel (bit 15 ignored), 24- and 32-bit blue, green, red (the fourth
// byte ignored).

#include <array>
#include <cstdint>
#include <span>

namespace snapvale {

// A colour-table entry as TGA colour maps (and device-independent bitmaps) store it; the names
// are the bitmap format's own.
struct RGBQuad
{
    std::uint8_t rgbBlue;
    std::uint8_t rgbGreen;
    std::uint8_t rgbRed;
    std::uint8_t rgbReserved; // a 32-bit entry's alpha; never shown
};
static_assert(sizeof(RGBQuad) == 4);

// Converts `count` pixels at src into words at dst. `colours` is the colour table as words;
// only 8-bit pixels use it.
using PixelConverter = void (*)(
    const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t* colours);

enum class Stores {
    Cached, // for short stretches, and words read again soon
    // For whole rows of a picture not read again during the decode: written around the cache
    // where the processor can, which spares reading each line of the picture in first.
    Streaming,
};

// The converter for 8-, 16-, 24- or 32-bit pixels; nullptr for any other depth. After streaming
// converters, FinishStreamingStores must run before the picture is handed on.
PixelConverter PixelConverterFor(int bitCount, Stores stores = Stores::Cached);
void FinishStreamingStores();

// The colour table as opaque words.
std::array<std::uint32_t, 256> ColourWords(std::span<const RGBQuad, 256> table);

} // namespace snapvale
