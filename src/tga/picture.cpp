#include "tga/picture.h"

#include <utility>

namespace snapvale {

Picture::Picture(int width, int height, std::unique_ptr<std::uint32_t[]> pixels)
    : width_(width)
    , height_(height)
    , pixels_(std::move(pixels))
{
}

std::unique_ptr<std::uint32_t[]> Picture::TakePixels()
{
    width_ = 0;
    height_ = 0;
    return std::move(pixels_);
}

} // namespace snapvale
