#pragma once

// mnuFavorates, the folder history menu: its clear item "履歴をクリア(&C)" (mnuFavorate(0)), and
// while the history holds folders a separator (mnuFavorate(1)) and one item per folder, oldest
// first (mnuFavorate(2) on). The folder items are made when the menu is about to show: each item
// added to a menu costs time in the number it holds already, so a history of tens of thousands
// made into items at start-up would hold it up by seconds. A menu taller than the screen scrolls.

#include <string>
#include <vector>

#include <QList>
#include <QMenu>

class QAction;

namespace snapvale {

class FolderHistoryMenu final : public QMenu
{
    Q_OBJECT

public:
    // Lists `history` (FolderHistory, an empty one being the single entry ""), which must
    // outlive the menu.
    FolderHistoryMenu(const std::vector<std::string>& history, QWidget* parent = nullptr);

    // Makes the menu match the history after a change: items of entries a clear took away go.
    void HistoryChanged();
    // The item at `index` (as in mnuFavorate(index)) once the menu has shown it; null otherwise.
    QAction* Item(int index) const;

signals:
    void ClearChosen();
    // A folder item was chosen; `folder` is the entry's own text.
    void FolderChosen(const std::string& folder);

private:
    void MakeFolderItems();

    const std::vector<std::string>& history_;
    // The clear item, the separator, then one item per folder.
    QList<QAction*> items_;
};

} // namespace snapvale
