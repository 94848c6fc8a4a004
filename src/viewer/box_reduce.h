#pragma once

// The fast first step of making a thumbnail: a picture shrunk by a whole factor, each square
// block of pixels averaged into one. A smooth scale of the result to the cell's size then looks
// as one of the whole picture would, at a fraction of the work.

#include <optional>

#include "tga/picture.h"

namespace snapvale {

// The largest factor is 16: a block's channel sums must fit 16 bits.
inline constexpr int kMaxBoxFactor = 16;

// The largest whole factor, at most kMaxBoxFactor, that leaves a picture of width x height at
// least twice the target size both ways; 1 when it is already smaller than that.
int BoxFactor(int width, int height, int targetWidth, int targetHeight);

// `picture` with each factor x factor block averaged into one pixel (rounded to nearest); the
// last width % factor columns and height % factor rows, less than a block, are left out. Nothing
// when the factor is outside 1 to kMaxBoxFactor or larger than a side, or the result cannot be
// allocated.
std::optional<Picture> BoxReduce(const Picture& picture, int factor);

} // namespace snapvale
