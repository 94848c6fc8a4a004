#include "qt/status_text.h"

#include <cmath>

namespace snapvale {

QString PixelSizeText(int width, int height)
{
    return QStringLiteral("%1 × %2 ピクセル").arg(width).arg(height);
}

QString FileSizeText(std::int64_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 バイト").arg(bytes);
    static const char* const kUnits[] = { "KB", "MB", "GB", "TB" };
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    // The unit is chosen after rounding, so 1023.96 KB reads 1.0 MB rather than 1024.0 KB.
    while (std::round(value * 10) >= 1024 * 10 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(kUnits[unit]));
}

QString PlaceText(int index, int count)
{
    return QStringLiteral("%1 / %2").arg(index + 1).arg(count);
}

QString ZoomText(double scale)
{
    return QStringLiteral("%1%").arg(static_cast<long long>(std::llround(scale * 100)));
}

QString DateSummaryText(int count, std::int64_t totalBytes)
{
    return QStringLiteral("%1 枚 (%2)").arg(count).arg(FileSizeText(totalBytes));
}

} // namespace snapvale
