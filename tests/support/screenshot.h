#pragma once

// Synthetic game screenshots for the sample tool and the benchmarks: sky, distant hills, textured
// ground with a road, a status bar and a chat box, so run-length packets meet both long runs and
// busy stretches as they do in the game's own files.

#include "support/tga_writer.h"

namespace snapvale::test {

// Every seed gives a slightly different picture (time of day, hills, bars, chat lines).
TGAImage GameScreenshot(int width, int height, int seed);

// Quantises the image to a 6x6x6 colour cube: fills its palette and indices for the
// colour-mapped forms.
void ToPalette(TGAImage& image);

} // namespace snapvale::test
