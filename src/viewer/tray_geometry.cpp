#include "viewer/tray_geometry.h"

#include <algorithm>

namespace snapvale {

TrayGeometry TrayGeometry::ForPane(
    float paneInnerWidth, float paneInnerHeight, float scrollBarWidth, float labelHeight)
{
    TrayGeometry geometry;
    geometry.cellWidth_ = (paneInnerWidth - scrollBarWidth) / static_cast<float>(kTrayColumns);
    geometry.pictureHeight_ = paneInnerHeight / 3.0f;
    geometry.labelHeight_ = labelHeight;
    return geometry;
}

TrayPoint TrayGeometry::PictureAt(int cell) const
{
    return { static_cast<float>(cell % kTrayColumns) * cellWidth_,
        static_cast<float>(cell / kTrayColumns) * (labelHeight_ + pictureHeight_) };
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
    return { true, (cells - 1) / kTrayColumns };
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
    if (column >= kTrayColumns)
        return -1;
    const long long cell = static_cast<long long>(row) * kTrayColumns + column;
    return cell < cells ? static_cast<int>(cell) : -1;
}

} // namespace snapvale
