#pragma once

// pctPreview: the preview pane, which holds the thumbnail tray of one date (pctTray) and its
// scroll bar (vscrTray). The bar scrolls the tray by whole rows and is enabled only when the
// tray does not fit the pane; the wheel over the tray moves it a row a notch. The pane fills the
// tray with a date's files from the catalogue, keeps those cells up to date as the folder
// changes, has the pictures of the rows in sight made, and scrolls the tray so that the cell the
// keys move to is in sight.

#include <string>

#include <QFrame>

#include "catalogue/catalogue_changes.h"
#include "catalogue/folder_scan.h"

class QScrollBar;

namespace snapvale {

class ThumbnailTray;

class TrayPane final : public QFrame
{
    Q_OBJECT

public:
    // The pane at `geometry` in its parent's pixels. `imageFolder` (ending in a separator) is read
    // whenever a file's path is needed, so its owner may change it between fills; it must outlive
    // the pane.
    TrayPane(const QRect& geometry, const std::string& imageFolder, QWidget* parent = nullptr);

    ThumbnailTray* pctTray() const { return tray_; }
    QScrollBar* vscrTray() const { return scrollBar_; }

    // Lays out one cell per file of `date` in `catalogue`, in folder order, scrolled to the top,
    // and has the pictures of the first rows made. Nothing is kept from the date shown before.
    void Fill(const std::string& date, const Catalogue& catalogue);
    // Forgets the cells: the folder they came from is no longer shown.
    void Clear();
    // The folder's files are now `after`, which `changes` leads to: the cells of the date shown
    // come and go in place and files written anew have their pictures made again, while the
    // scroll position and the focus cell stay with their files.
    void Follow(const Catalogue& after, const CatalogueChanges& changes);
    // The date whose files the cells are; empty when there is none.
    const std::string& date() const { return date_; }

    // The scroll bar's value changed: row `value` goes to the top, and its rows' pictures are made.
    void vscrTray_Change();

signals:
    // Cell `index` was clicked, or chosen with Enter.
    void CellClicked(int index);

private:
    // Has the pictures of the batch of cells from `start` on made, those in sight first.
    void LoadThumbnails(int start);
    // Sizes the tray to its cells and sets the scroll bar's range, keeping its value where it can.
    void FitTrayToCells();
    // Scrolls the tray so that the cell's whole row is in sight.
    void ShowCellInSight(int index);

    const std::string& imageFolder_;
    ThumbnailTray* tray_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    std::string date_;
};

} // namespace snapvale
