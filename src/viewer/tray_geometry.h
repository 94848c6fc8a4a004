#pragma once

// Where the thumbnail tray puts its cells. Everything is in twips and single precision, the
// tray's own unit; the widgets convert at 15 twips per pixel. A cell is a picture with its file
// name under it; cells run three to a row with no gap between them.

#include "base/twips.h"

namespace snapvale {

inline constexpr int kTrayColumns = 3;
// Cells decoded at a time: the three rows from the top row shown.
inline constexpr int kThumbnailBatch = 9;

struct TrayPoint
{
    float left = 0;
    float top = 0;
};

struct TrayScroll
{
    bool enabled = false;
    int max = 0; // index of the last row when enabled
};

class TrayGeometry
{
public:
    // The template cell fills a third of the pane's inner width less the scroll bar, and a third
    // of its inner height; `labelHeight` is the file-name label's height.
    static TrayGeometry ForPane(
        float paneInnerWidth, float paneInnerHeight, float scrollBarWidth, float labelHeight);

    float cellWidth() const { return cellWidth_; }
    float pictureHeight() const { return pictureHeight_; }
    float labelHeight() const { return labelHeight_; }
    float rowPitch() const { return pictureHeight_ + labelHeight_; }

    TrayPoint PictureAt(int cell) const;
    TrayPoint LabelAt(int cell) const;
    // Number of rows × row pitch: the height of a tray holding `cells` cells.
    float TrayHeight(int cells) const;
    // The scroll bar scrolls by whole rows, and only when the tray does not fit the pane.
    TrayScroll Scroll(int cells, float paneInnerHeight) const;
    // The tray's top in the pane when row `row` is scrolled to the top.
    float TrayTopForRow(int row) const;
    // The top row that shows the whole of row `row` in a pane `paneInnerHeight` high, scrolled
    // as little as possible from the top row `topRow`.
    int TopRowShowing(int row, int topRow, float paneInnerHeight) const;
    // The cell whose picture or label covers the tray point, or -1.
    int CellAt(float left, float top, int cells) const;

private:
    float cellWidth_ = 0;
    float pictureHeight_ = 0;
    float labelHeight_ = 0;
};

} // namespace snapvale
