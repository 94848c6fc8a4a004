#pragma once

// A decoded picture: opaque 0xFFRRGGBB pixels, top row first, in one block it owns. The Qt
// layer wraps the block in a QImage (Format_RGB32) as it is, so the picture is decoded once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace snapvale {

// The most pixels a picture may have: 8192 x 8192, a quarter gigabyte of words and more than any
// screenshot holds (8K UHD is 7680 x 4320). Anything larger gives no picture, so a file of a few
// megabytes claiming a huge picture can never make the program take gigabytes.
constexpr std::size_t kMaxPicturePixels = std::size_t{ 8192 } * 8192;

class Picture
{
public:
    // Takes width * height words, rows top first, each row left to right without gaps.
    Picture(int width, int height, std::unique_ptr<std::uint32_t[]> pixels);
    // A picture of width x height (both positive, at most kMaxPicturePixels pixels) whose pixels
    // are yet to be written; nothing when the block cannot be allocated. Large blocks lie on the
    // system's huge pages where it offers them: a fresh picture then costs a few page faults
    // instead of one per 4 KiB, which on some machines costs more than decoding it.
    static std::optional<Picture> Allocate(int width, int height);

    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    ~Picture();

    int width() const { return width_; }
    int height() const { return height_; }
    // 0xFFRRGGBB of column x in row y; row 0 is the top of the image. x and y must be in range.
    std::uint32_t pixel(int x, int y) const
    {
        return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)
            + static_cast<std::size_t>(x)];
    }

    // The rows, contiguous: row y starts at data() + y * width().
    const std::uint32_t* data() const { return pixels_; }
    std::uint32_t* data() { return pixels_; }
    int bytesPerLine() const { return width_ * 4; }

    // Hands the pixel block to a new owner (delete[] frees it); the picture is empty afterwards.
    // A block made by Allocate is copied into one that delete[] can free.
    std::unique_ptr<std::uint32_t[]> TakePixels();

    // Hands the pixel block over without a copy, for owners that free through a function (a
    // QImage's cleanup function): release(pixels) frees it. The picture is empty afterwards.
    struct Handover
    {
        std::uint32_t* pixels;
        void (*release)(void*);
    };
    Handover HandOverPixels();

private:
    Picture(int width, int height, std::uint32_t* pixels, void (*release)(void*));

    int width_ = 0;
    int height_ = 0;
    std::uint32_t* pixels_ = nullptr;
    void (*release_)(void*) = nullptr;
};

} // namespace snapvale
