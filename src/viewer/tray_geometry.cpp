#include "viewer/tray_geometry.h"

#include <algorithm>
#include <cmath>

namespace snapvale {

PixelSize ThumbnailSize(int width, int height, int cellWidth, int cellHeight)
{
    const PixelSize cell{ cellWidth, cellHeight };
    if (width <= 0 || height <= 0 || cellWidth <= 0 || cellHeight <= 0)
        return cell;
    // How much wider the picture's shape is than the cell's.
    const double wider =
        (static_cast<double>(width) * cellHeight) / (static_cast<double>(height) * cellWidth);
    if (std::abs(wider - 1.0) <= kThumbnailShapeTolerance
        || std::abs(1.0 / wider - 1.0) <= kThumbnailShapeTolerance)
        return cell;
    if (wider > 1.0)
        return { cellWidth,
            std::max(1,
                static_cast<int>(std::lround(static_cast<double>(cellWidth) * height / width))) };
    return { std::max(1,
                 static_cast<int>(std::lround(static_cast<double>(cellHeight) * width / height))),
        cellHeight };
}

TrayGeometry TrayGeometry::ForPane(
    float paneInnerWidth, float paneInnerHeight, float scrollBarWidth, float labelHeight)
{
    TrayGeometry geometry;
    geometry.cellWidth_ = (paneInnerWidth - scrollBarWidth) / static_cast<float>(kTrayColumns);
    geometry.pictureHeight_ = paneInnerHeight / 3.0f;
    geometry.labelHeight_ = labelHeight;
    geometry.scrollBarWidth_ = scrollBarWidth;
    return geometry;
}

int TrayGeometry::ColumnsFor(float paneInnerWidth) const
{
    if (cellWidth_ <= 0)
        return kTrayColumns;
    // The design width holds three cells exactly; a rounding error must not lose one of them.
    const float fitting = (paneInnerWidth - scrollBarWidth_) / cellWidth_ + 1e-4f;
    return std::max(kTrayColumns, static_cast<int>(std::min(fitting, 1e6f)));
}

void TrayGeometry::SetColumns(int columns) { columns_ = std::max(kTrayColumns, columns); }

int TrayGeometry::BatchFor(float paneInnerHeight) const
{
    const float rows = rowPitch() > 0 ? std::ceil(paneInnerHeight / rowPitch()) : 0.0f;
    return columns_ * std::max(kThumbnailBatchRows, static_cast<int>(std::min(rows, 1e6f)));
}

TrayPoint TrayGeometry::PictureAt(int cell) const
{
    return { static_cast<float>(cell % columns_) * cellWidth_,
        static_cast<float>(cell / columns_) * (labelHeight_ + pictureHeight_) };
}

TrayPoint TrayGeometry::LabelAt(int cell) const
{
    TrayPoint point = PictureAt(cell);
    point.top += pictureHeight_;
    return point;
}

float TrayGeometry::TrayHeight(int cells) const
{
    if (cells <= 0)
        return 0;
    return pictureHeight_ + PictureAt(cells - 1).top + labelHeight_;
}

TrayScroll TrayGeometry::Scroll(int cells, float paneInnerHeight) const
{
    if (TrayHeight(cells) < paneInnerHeight)
        return {};
    return { true, (cells - 1) / columns_ };
}

float TrayGeometry::TrayTopForRow(int row) const
{
    return -(labelHeight_ + pictureHeight_) * static_cast<float>(row);
}

int TrayGeometry::TopRowShowing(int row, int topRow, float paneInnerHeight) const
{
    if (row < topRow)
        return row;
    // A pane lower than one row still shows the row's top.
    const int wholeRows =
        rowPitch() > 0 ? std::max(1, static_cast<int>(paneInnerHeight / rowPitch())) : 1;
    return row >= topRow + wholeRows ? row - wholeRows + 1 : topRow;
}

int TrayGeometry::CellAt(float left, float top, int cells) const
{
    if (left < 0 || top < 0 || cellWidth_ <= 0 || rowPitch() <= 0)
        return -1;
    const int column = static_cast<int>(left / cellWidth_);
    const int row = static_cast<int>(top / rowPitch());
    if (column >= columns_)
        return -1;
    const long long cell = static_cast<long long>(row) * columns_ + column;
    return cell < cells ? static_cast<int>(cell) : -1;
}

} // namespace snapvale
