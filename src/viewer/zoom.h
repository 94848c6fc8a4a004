#pragma once

// How large the image view shows its picture: fitted to the room it has, or at one of a fixed
// ladder of zoom levels that the zoom keys step along. Scales are shown pixels per picture pixel.

namespace snapvale {

// 25 % to 800 %, the steps a viewer's users know; 1:1 is among them.
inline constexpr double kZoomLevels[] = { 0.25, 1.0 / 3.0, 0.5, 2.0 / 3.0, 1.0, 1.5, 2.0, 3.0, 4.0,
    6.0, 8.0 };

struct ShownSize
{
    int width = 0;
    int height = 0;
    bool operator==(const ShownSize&) const = default;
};

// The scale that shows a picture of width x height whole in a room of roomWidth x roomHeight:
// smaller than 1 when the picture is too large in either direction, else 1 (a smaller picture
// is never enlarged). 1 when there is no room to fit into.
double FitScale(int width, int height, int roomWidth, int roomHeight);

// The picture's size at `scale`, to the nearest pixel and never less than one.
ShownSize ScaledSize(int width, int height, double scale);

// The next level above `scale`, or the largest; the next below, or the smallest. A scale that
// lies between levels (a fitted one) steps to its neighbours, one that is a level to the next.
double NextZoomLevel(double scale);
double PreviousZoomLevel(double scale);

} // namespace snapvale
