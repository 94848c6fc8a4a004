#pragma once

// Pixels as a TGA file (and a device-independent bitmap) stores them, turned into a Picture's
// opaque 0xFFRRGGBB words: 8-bit palette indices through the colour table, 16-bit 5-5-5 values
// widened to 8 bits a channel (bit 15 ignored), 24- and 32-bit blue, green, red (the fourth
// byte ignored).

#include <array>
#include <cstdint>

#include "tga/dib.h"

namespace snapvale {

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
std::array<std::uint32_t, 256> ColourWords(const RGBQuad (&table)[256]);

} // namespace snapvale
