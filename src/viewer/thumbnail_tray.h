#pragma once

// pctTray: the thumbnail cells of one date, three to a row, each a picture stretched to the
// cell with the file name under it and the file's date and time as its tooltip. One widget
// lays out and paints all cells itself, so a date of thousands of files costs no more widgets
// than a date of one; it keeps per cell only the name, the tooltip and the picture already
// scaled to the cell. Scaled pictures are kept JPEG-packed (a tenth of their size) with the
// ones shown last unpacked, so a date of thousands of screenshots scrolled end to end stays
// small in memory.

#include <string>
#include <vector>

#include <QCache>
#include <QImage>
#include <QString>
#include <QWidget>

#include "viewer/tray_geometry.h"

namespace snapvale {

struct TrayCell
{
    QString fileName; // the label's caption
    std::string file; // the same name as the file system spells it, decoded for the cell
    QString toolTip;
    // The picture at the cell's size, JPEG-packed; empty while not decoded or undecodable.
    std::string packedPicture;
};

class ThumbnailTray : public QWidget
{
    Q_OBJECT

public:
    ThumbnailTray(const TrayGeometry& geometry, QWidget* parent = nullptr);

    const TrayGeometry& geometry() const { return geometry_; }
    // The size in pixels a cell's picture is scaled to.
    QSize PictureSize() const;

    // Replaces all cells (names and tooltips; no pictures).
    void SetCells(std::vector<TrayCell> cells);
    int CellCount() const { return static_cast<int>(cells_.size()); }
    const TrayCell& Cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    bool HasPicture(int index) const { return !Cell(index).packedPicture.empty(); }
    // Shows `picture` in the cell, scaled once, smoothly, to the cell's size; a null picture
    // leaves the cell empty.
    void SetPicture(int index, const QImage& picture);
    // The cell's picture as shown (at the cell's size), or a null image.
    QImage Thumbnail(int index) const;
    void ClearPictures();

    // The cell the keys act on, shown with a frame while the tray has the focus; -1 when there
    // are no cells. Arrows move it, Home and End go to the ends, Enter opens it as a click does.
    int FocusCell() const { return focusCell_; }
    // Moves the focus cell to `index` (kept within the cells) and reports it.
    void SetFocusCell(int index);

    // The cell under a point of this widget, or -1.
    int CellAt(const QPoint& position) const;
    // The cell's picture and label areas in this widget's pixels.
    QRect PictureRect(int index) const;
    QRect LabelRect(int index) const;

signals:
    void CellClicked(int index);
    // The focus cell moved; the tray's owner scrolls it into sight.
    void FocusCellChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The picture and label of the cell, where its focus frame goes.
    QRect CellRect(int index) const;

    TrayGeometry geometry_;
    std::vector<TrayCell> cells_;
    int focusCell_ = -1;
    // Unpacked pictures of the cells shown last, by cell index.
    mutable QCache<int, QImage> unpacked_;
};

} // namespace snapvale
