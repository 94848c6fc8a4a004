#pragma once

// The windows are laid out in twips, 1/1440 inch: 15 twips to a pixel on the 96-dpi screen the
// layout was drawn for.

#include <cmath>

namespace snapvale {

inline constexpr float kTwipsPerPixel = 15.0f;

// The nearest whole pixel.
inline int TwipsToPixels(float twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline float PixelsToTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }

} // namespace snapvale
