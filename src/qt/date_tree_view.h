#pragma once

// vfgTree: the date tree on screen, a one-column tree without a header over a DateTreeModel.
// Whenever another row becomes current (a click, the keys, or the owner's Select calls), the
// view tells its owner what the row stands for; a date is opened before that. A date opened for
// the first time with its button while another row is current becomes the current row, as if it
// had been chosen; opening it again, or closing it, only shows or hides its files.

#include <memory>
#include <string>

#include <QTreeView>

#include "catalogue/catalogue_changes.h"
#include "catalogue/date_tree.h"
#include "qt/date_tree_model.h"

namespace snapvale {

class DateTreeView final : public QTreeView
{
    Q_OBJECT

public:
    explicit DateTreeView(DateTreeModel::Icons icons, QWidget* parent = nullptr);

    DateTreeModel* dateModel() const { return model_; }
    const std::shared_ptr<const Catalogue>& catalogue() const { return model_->catalogue(); }

    // Shows `catalogue` from scratch, every date closed, and makes the root current (told).
    void ShowCatalogue(std::shared_ptr<const Catalogue> catalogue);
    // Edits the rows in place (DateTreeModel::ApplyChanges). The current row stays on its row; if
    // that row goes, a file that only moved to another date is followed there, which opens, and
    // otherwise the root becomes current. Nothing is told: what the window shows of the files is
    // the window's to bring up to date.
    void ApplyChanges(std::shared_ptr<const Catalogue> after, const CatalogueChanges& changes);

    // What the current row stands for.
    TreeChoice Current() const;
    // Make a row current, as a click on it would.
    void SelectRoot();
    void SelectDate(const std::string& date);
    void SelectFile(const std::string& name);

signals:
    // Another row became current: `current` says what it stands for.
    void CurrentRowChanged(const TreeChoice& current);
    // Enter on a date or a file: the keys go to the pane that shows it.
    void PaneRequested();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A date just opened by a click on it or on its button.
    void OpenedByUser(const QModelIndex& index);

    DateTreeModel* model_;
    // The date under the mouse button while it is down, when that date was never opened.
    QPersistentModelIndex neverOpened_;
    // Set while the program moves the current row without telling.
    bool quiet_ = false;
};

} // namespace snapvale
