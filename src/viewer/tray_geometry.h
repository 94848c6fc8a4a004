#pragma once

// Where the thumbnail tray puts its cells. Everything is in twips and single precision, the
// tray's own unit; the widgets convert at 15 twips per pixel. A cell is a picture with its file
// name under it; cells run as many to a row as the tray's width holds, never fewer than three,
// with no gap between them.

#include "base/twips.h"

namespace snapvale {

// The fewest columns, which the design width holds exactly.
inline constexpr int kTrayColumns = 3;
// Rows decoded at a time, from the top row shown: at the design height, the rows in sight.
inline constexpr int kThumbnailBatchRows = 3;
// A cell's picture fills the whole cell when the two shapes differ by no more than this.
inline constexpr double kThumbnailShapeTolerance = 0.05;

struct PixelSize
{
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The size a picture of width x height is scaled to in a cell of cellWidth x cellHeight pixels:
// the whole cell when their shapes are alike, else the largest size of the picture's own shape
// that the cell holds (never less than a pixel a side), so that a wide screenshot keeps its shape.
PixelSize ThumbnailSize(int width, int height, int cellWidth, int cellHeight);

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
    // of its inner height; `labelHeight` is the file-name label's height. Three columns.
    static TrayGeometry ForPane(
        float paneInnerWidth, float paneInnerHeight, float scrollBarWidth, float labelHeight);

    int columns() const { return columns_; }
    // As many columns of the template cell as a pane `paneInnerWidth` wide holds beside its
    // scroll bar, never fewer than kTrayColumns.
    int ColumnsFor(float paneInnerWidth) const;
    void SetColumns(int columns);
    // The cells decoded at a time from the top row shown: whole rows, as many as a pane
    // `paneInnerHeight` high shows, at least kThumbnailBatchRows.
    int BatchFor(float paneInnerHeight) const;

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
    int columns_ = kTrayColumns;
    float scrollBarWidth_ = 0;
    float cellWidth_ = 0;
    float pictureHeight_ = 0;
    float labelHeight_ = 0;
};

} // namespace snapvale
