#include <gtest/gtest.h>

#include "qt/status_text.h"

namespace snapvale {
namespace {

TEST(StatusText, SizesPlacesAndZoom)
{
    const struct
    {
        QString text;
        const char* expected;
    } cases[] = { { PixelSizeText(1920, 1080), "1920 × 1080 ピクセル" },
        { FileSizeText(0), "0 バイト" }, { FileSizeText(1023), "1023 バイト" },
        { FileSizeText(1024), "1.0 KB" }, { FileSizeText(1536), "1.5 KB" },
        // Rounded up into the next unit, never "1024.0 KB".
        { FileSizeText(1024 * 1024 - 20), "1.0 MB" }, { FileSizeText(6220818), "5.9 MB" },
        { FileSizeText(3LL * 1024 * 1024 * 1024), "3.0 GB" },
        { FileSizeText(5LL << 50), "5120.0 TB" }, { PlaceText(11, 40), "12 / 40" },
        { PlaceText(0, 1), "1 / 1" }, { ZoomText(1.0), "100%" }, { ZoomText(0.4837), "48%" },
        { ZoomText(2.0), "200%" }, { DateSummaryText(40, 97000000), "40 枚 (92.5 MB)" },
        { DateSummaryText(0, 0), "0 枚 (0 バイト)" } };
    for (const auto& c : cases)
        EXPECT_EQ(c.text.toStdString(), c.expected);
}

} // namespace
} // namespace snapvale
