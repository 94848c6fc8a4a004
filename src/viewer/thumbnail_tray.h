#pragma once

// pctTray: the thumbnail cells of one date, three to a row, each a picture stretched to the
// cell with the file name under it and the file's date and time as its tooltip. One widget
// lays out and paints all cells itself, so a date of thousands of files costs no more widgets
// than a date of one.
//
// Pictures are made on worker threads (ThumbnailLoader) and arrive one by one; a cell shows its
// outline until its picture is there, and a small broken-picture sign besides when its file gave
// no picture, unless the file may still be being written. The tray keeps scaled pictures in a cache
// of fixed size (kThumbnailCacheBytes, the least recently painted go first), so a date of any
// number of files scrolled end to end stays small in memory; a cell whose picture went is made
// again when it comes back into sight.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QSet>
#include <QString>
#include <QWidget>

#include "viewer/thumbnail_loader.h"
#include "viewer/tray_geometry.h"

namespace snapvale {

// Room for about 500 thumbnails at the design cell size of 208 x 160, some 170 rows.
inline constexpr int kThumbnailCacheBytes = 64 << 20;

struct TrayCell
{
    QString fileName; // the label's caption
    std::string file; // the same name as the file system spells it, decoded for the cell
};

// A cell whose picture is wanted, with the full path of its file.
struct TrayRequest
{
    int cell;
    std::string path;
};

class ThumbnailTray : public QWidget
{
    Q_OBJECT

public:
    // `make` makes each cell's picture on a worker (ThumbnailLoader).
    ThumbnailTray(const TrayGeometry& geometry, QWidget* parent = nullptr,
        ThumbnailLoader::Maker make = MakeThumbnail);

    const TrayGeometry& geometry() const { return geometry_; }
    // The size in pixels a cell's picture is scaled to.
    QSize PictureSize() const;

    // Replaces all cells (names only, no pictures); work for the old cells is dropped.
    void SetCells(std::vector<TrayCell> cells);
    // Removes the cells at `indexes` (ascending), or inserts `cells` at their indexes among the
    // cells after (ascending), in place: the other cells keep their pictures, their work and the
    // focus, renumbered. The focus of a removed cell passes to the cell that takes its place.
    void RemoveCells(const std::vector<int>& indexes);
    void InsertCells(std::vector<std::pair<int, TrayCell>> cells);
    // The cell's file has changed: its picture goes, and is made again when next asked for.
    void Reload(int index);
    int CellCount() const { return static_cast<int>(cells_.size()); }
    const TrayCell& Cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    // Where a cell's tooltip text comes from, asked when the tooltip shows.
    void SetToolTipSource(std::function<QString(const TrayCell&)> source);
    QString ToolTip(int index) const;
    // Where the tray learns whether a cell's file may still be being written: a file that gave no
    // picture then keeps the look of a cell still loading. Its owner repaints the tray when that
    // answer changes.
    void SetSettlingSource(std::function<bool(const TrayCell&)> source);

    // Has the pictures of `requests` made: those of cells in sight first, then the rest; a cell
    // that has its picture, or whose picture is on its way, is left as it is. Queued work for
    // cells now out of sight is dropped.
    void RequestPictures(const std::vector<TrayRequest>& requests);
    bool HasPicture(int index) const
    {
        return index >= 0 && index < CellCount() && pictures_.contains(Key(index));
    }
    // Whether the cell's picture is being made.
    bool IsLoading(int index) const { return loader_.IsPending(index); }
    bool IsLoading() const { return !loader_.IsIdle(); }
    // The cell's picture as shown (at the cell's size), or a null image.
    QImage Thumbnail(int index) const;
    // Whether the cell shows the broken-picture sign: its file gave no picture when last tried,
    // and is not still being written.
    bool IsBroken(int index) const;

    // The cell the keys act on, shown with a frame while the tray has the focus; -1 when there
    // are no cells. Arrows move it, Home and End go to the ends, Enter opens it as a click does.
    int FocusCell() const { return focusCell_; }
    // Moves the focus cell to `index` (kept within the cells) and reports it.
    void SetFocusCell(int index);

    // Whether any part of the cell's picture lies in the pane.
    bool InSight(int index) const;
    // The cell under a point of this widget, or -1.
    int CellAt(const QPoint& position) const;
    // The cell's picture and label areas in this widget's pixels.
    QRect PictureRect(int index) const;
    QRect LabelRect(int index) const;

signals:
    void CellClicked(int index);
    // The focus cell moved; the tray's owner scrolls it into sight.
    void FocusCellChanged(int index);
    // A cell's picture was made (or its file gave none) and is shown.
    void CellLoaded(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Pictures are kept by file name, so that they stay with their files when cells come and go.
    QByteArray Key(int index) const { return QByteArray::fromStdString(Cell(index).file); }
    void Loaded(int index, const QImage& thumbnail);
    // After cells came or went: the focus cell as renumbered, and the whole tray repainted.
    void CellsEdited(int focusCell);
    // The picture and label of the cell, where its focus frame goes.
    QRect CellRect(int index) const;

    TrayGeometry geometry_;
    std::vector<TrayCell> cells_;
    int focusCell_ = -1;
    std::function<QString(const TrayCell&)> toolTipSource_;
    std::function<bool(const TrayCell&)> settlingSource_;
    // Pictures at the cell's size by file name, their cost in kilobytes.
    mutable QCache<QByteArray, QImage> pictures_;
    // The files that gave no picture when last tried, by name. A cell tried again keeps its sign.
    QSet<QByteArray> broken_;
    ThumbnailLoader loader_;
};

} // namespace snapvale
