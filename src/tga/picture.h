#pragma once

// A decoded picture: opaque 0xFFRRGGBB pixels, top row first, in one block it owns. The Qt
// layer wraps the block in a QImage (Format_RGB32) as it is, so the picture is decoded once.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace snapvale {

class Picture
{
public:
    // Takes width * height words, rows top first, each row left to right without gaps.
    Picture(int width, int height, std::unique_ptr<std::uint32_t[]> pixels);

    int width() const { return width_; }
    int height() const { return height_; }
    // 0xFFRRGGBB of column x in row y; row 0 is the top of the image. x and y must be in range.
    std::uint32_t pixel(int x, int y) const
    {
        return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)
            + static_cast<std::size_t>(x)];
    }

    // The rows, contiguous: row y starts at data() + y * width().
    const std::uint32_t* data() const { return pixels_.get(); }
    std::uint32_t* data() { return pixels_.get(); }
    int bytesPerLine() const { return width_ * 4; }

    // Hands the pixel block to a new owner (delete[] frees it); the picture is empty afterwards.
    std::unique_ptr<std::uint32_t[]> TakePixels();

private:
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint32_t[]> pixels_;
};

} // namespace snapvale
