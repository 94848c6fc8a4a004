#include "qt/date_tree_view.h"

#include <utility>

#include <QKeyEvent>
#include <QMouseEvent>

#include "qt/ui_font.h"

namespace snapvale {

DateTreeView::DateTreeView(DateTreeModel::Icons icons, QWidget* parent)
    : QTreeView(parent)
    , model_(new DateTreeModel(std::move(icons), this))
{
    setObjectName("vfgTree");
    setHeaderHidden(true);
    setUniformRowHeights(true);
    // A click on a date opens it already; a double click must not close it again.
    setExpandsOnDoubleClick(false);
    setIconSize(QSize(16, 16));
    setFont(JapaneseUiFont());
    setModel(model_);
    connect(this, &QTreeView::expanded, this, &DateTreeView::OpenedByUser);
}

void DateTreeView::ShowCatalogue(std::shared_ptr<const Catalogue> catalogue)
{
    model_->SetCatalogue(std::move(catalogue));
    const QModelIndex root = model_->RootIndex();
    expand(root);
    setCurrentIndex(root);
}

void DateTreeView::ApplyChanges(
    std::shared_ptr<const Catalogue> after, const CatalogueChanges& changes)
{
    const QPersistentModelIndex held(currentIndex());
    const TreeChoice was = model_->Choice(held);
    // The moves of the current row below are the edit's, not the user's.
    quiet_ = true;
    model_->ApplyChanges(std::move(after), changes);
    // The selection model keeps its current row on its row while others come and go; only a
    // current row that went needs a new place.
    if (!held.isValid()) {
        QModelIndex target = model_->RootIndex();
        if (was.IsFile()) {
            const QModelIndex moved = model_->FileIndex(was.file);
            if (moved.isValid()) {
                expand(moved.parent());
                target = moved;
            }
        }
        setCurrentIndex(target);
    }
    quiet_ = false;
}

TreeChoice DateTreeView::Current() const { return model_->Choice(currentIndex()); }

void DateTreeView::SelectRoot() { setCurrentIndex(model_->RootIndex()); }

void DateTreeView::SelectDate(const std::string& date)
{
    const QModelIndex index = model_->DateIndex(date);
    if (index.isValid())
        setCurrentIndex(index);
}

void DateTreeView::SelectFile(const std::string& name)
{
    const QModelIndex index = model_->FileIndex(name);
    if (index.isValid())
        setCurrentIndex(index);
}

void DateTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    // A reset leaves no current row; the owner hears of the root made current after it.
    if (quiet_ || !current.isValid())
        return;
    const TreeChoice choice = model_->Choice(current);
    if (choice.IsDate())
        expand(current);
    emit CurrentRowChanged(choice);
}

void DateTreeView::mousePressEvent(QMouseEvent* event)
{
    // The style opens a node on the press or on the release; either way, whether the date was
    // ever opened is told by how it stands before.
    const QModelIndex at = indexAt(event->position().toPoint());
    neverOpened_ = model_->canFetchMore(at) ? QPersistentModelIndex(at) : QPersistentModelIndex();
    QTreeView::mousePressEvent(event);
}

void DateTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    neverOpened_ = QPersistentModelIndex();
}

void DateTreeView::OpenedByUser(const QModelIndex& index)
{
    if (index != neverOpened_)
        return;
    neverOpened_ = QPersistentModelIndex();
    if (index != currentIndex())
        setCurrentIndex(index);
}

void DateTreeView::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const TreeChoice current = Current();
    if (enter && (current.IsDate() || current.IsFile())) {
        emit PaneRequested();
        return;
    }
    QTreeView::keyPressEvent(event);
}

} // namespace snapvale
