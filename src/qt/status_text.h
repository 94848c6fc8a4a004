#pragma once

// The texts of the status line under the main area: for a picture, its size in pixels, its
// file's size, its place in the date and the zoom; for a date, its screenshots and their size.

#include <cstdint>

#include <QString>

namespace snapvale {

// "1920 × 1080 ピクセル".
QString PixelSizeText(int width, int height);

// "512 バイト", "1.5 KB", "2.4 MB", "1.2 GB": units of 1024, one decimal.
QString FileSizeText(std::int64_t bytes);

// "12 / 40": the picture's place in its date, counted from 1.
QString PlaceText(int index, int count);

// "100%", "48%": the picture's scale, rounded to a whole percent.
QString ZoomText(double scale);

// "40 枚 (92.5 MB)".
QString DateSummaryText(int count, std::int64_t totalBytes);

} // namespace snapvale
