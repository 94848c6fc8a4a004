#include "tga/picture.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include "tga/pixel_memory.h"

namespace {

void DeleteArray(void* pixels) { delete[] static_cast<std::uint32_t*>(pixels); }

} // namespace

namespace snapvale {

Picture::Picture(int width, int height, std::unique_ptr<std::uint32_t[]> pixels)
    : Picture(width, height, pixels.release(), DeleteArray)
{
}

Picture::Picture(int width, int height, std::uint32_t* pixels, void (*release)(void*))
    : width_(width)
    , height_(height)
    , pixels_(pixels)
    , release_(release)
{
}

std::optional<Picture> Picture::Allocate(int width, int height)
{
    if (width <= 0 || height <= 0
        || static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > kMaxPicturePixels)
        return std::nullopt;
    void* block = AllocatePixels(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * sizeof(std::uint32_t));
    if (!block)
        return std::nullopt;
    return Picture(width, height, static_cast<std::uint32_t*>(block), std::free);
}

Picture::Picture(Picture&& other) noexcept
    : width_(std::exchange(other.width_, 0))
    , height_(std::exchange(other.height_, 0))
    , pixels_(std::exchange(other.pixels_, nullptr))
    , release_(std::exchange(other.release_, nullptr))
{
}

Picture& Picture::operator=(Picture&& other) noexcept
{
    if (this != &other) {
        Picture gone(std::move(*this));
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        pixels_ = std::exchange(other.pixels_, nullptr);
        release_ = std::exchange(other.release_, nullptr);
    }
    return *this;
}

Picture::~Picture()
{
    if (pixels_)
        release_(pixels_);
}

std::unique_ptr<std::uint32_t[]> Picture::TakePixels()
{
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    Handover handover = HandOverPixels();
    if (!handover.pixels || handover.release == DeleteArray)
        return std::unique_ptr<std::uint32_t[]>(handover.pixels);
    std::unique_ptr<std::uint32_t[]> copy(new (std::nothrow) std::uint32_t[count]);
    if (copy)
        std::copy_n(handover.pixels, count, copy.get());
    handover.release(handover.pixels);
    return copy;
}

Picture::Handover Picture::HandOverPixels()
{
    width_ = 0;
    height_ = 0;
    return { std::exchange(pixels_, nullptr), std::exchange(release_, nullptr) };
}

} // namespace snapvale
