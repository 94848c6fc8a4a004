#include "qt/folder_history_menu.h"

#include <span>

#include <QAction>

#include "catalogue/folder_history.h"
#include "qt/qt_text.h"
#include "qt/scrolling_menu_style.h"

namespace snapvale {

FolderHistoryMenu::FolderHistoryMenu(const std::vector<std::string>& history, QWidget* parent)
    : QMenu(QStringLiteral("フォルダ履歴(&A)"), parent)
    , history_(history)
{
    setObjectName("mnuFavorates");
    setStyle(new ScrollingMenuStyle(this));
    // The clear item keeps its keyboard letter however the history changes.
    QAction* clear = addAction(QStringLiteral("履歴をクリア(&C)"));
    clear->setObjectName("mnuFavorate(0)");
    connect(clear, &QAction::triggered, this, &FolderHistoryMenu::ClearChosen);
    items_.append(clear);
    connect(this, &QMenu::aboutToShow, this, &FolderHistoryMenu::MakeFolderItems);
}

void FolderHistoryMenu::HistoryChanged()
{
    const std::span<const std::string> folders = HistoryMenuFolders(history_);
    const qsizetype made = items_.size() > 1 ? items_.size() - 2 : 0;
    // Only a clear takes entries away: the items made before go with them.
    if (static_cast<std::size_t>(made) > folders.size()) {
        while (items_.size() > 1)
            delete items_.takeLast();
    }
}

QAction* FolderHistoryMenu::Item(int index) const
{
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

void FolderHistoryMenu::MakeFolderItems()
{
    const std::span<const std::string> folders = HistoryMenuFolders(history_);
    if (folders.empty())
        return;
    if (items_.size() == 1) {
        QAction* separator = addSeparator();
        separator->setObjectName("mnuFavorate(1)");
        items_.append(separator);
    }
    // The history only grows until a clear, which removes the items: those there show its first
    // entries, and only the entries added since need items.
    for (auto folder = folders.begin() + (items_.size() - 2); folder != folders.end(); ++folder) {
        // The folder is the item's value; "&" in a folder name is shown, not taken as a mnemonic.
        QAction* item = addAction(PathToQString(*folder).replace('&', "&&"));
        item->setObjectName(QStringLiteral("mnuFavorate(%1)").arg(items_.size()));
        connect(
            item, &QAction::triggered, this, [this, path = *folder] { emit FolderChosen(path); });
        items_.append(item);
    }
}

} // namespace snapvale
