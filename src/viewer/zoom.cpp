#include "viewer/zoom.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace snapvale {

namespace {

// Scales this close are the same level: a level computed again may differ in its last bits.
constexpr double kSameLevel = 1e-9;

} // namespace

double FitScale(int width, int height, int roomWidth, int roomHeight)
{
    if (width <= 0 || height <= 0 || roomWidth <= 0 || roomHeight <= 0)
        return 1.0;
    if (width <= roomWidth && height <= roomHeight)
        return 1.0;
    return std::min(
        static_cast<double>(roomWidth) / width, static_cast<double>(roomHeight) / height);
}

ShownSize ScaledSize(int width, int height, double scale)
{
    const auto side = [scale](int length) {
        return std::max(1, static_cast<int>(std::lround(length * scale)));
    };
    return { side(width), side(height) };
}

double NextZoomLevel(double scale)
{
    for (const double level : kZoomLevels)
        if (level > scale + kSameLevel)
            return level;
    return std::end(kZoomLevels)[-1];
}

double PreviousZoomLevel(double scale)
{
    for (auto level = std::rbegin(kZoomLevels); level != std::rend(kZoomLevels); ++level)
        if (*level < scale - kSameLevel)
            return *level;
    return kZoomLevels[0];
}

} // namespace snapvale
