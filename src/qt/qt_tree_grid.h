#pragma once

// The tree grid on a QTreeWidget. The rows live in a flat list that answers every read; the
// widget shows them as a real hierarchy (the root row top-level, dates its children, files the
// children of their date), brought up to date after each change while the redraw switch is on
// and in one batch when it is switched back on.

#include <memory>
#include <vector>

#include <QIcon>
#include <QObject>

#include "catalogue/tree_grid.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace snapvale {

class QtTreeGrid final : public QObject, public TreeGrid
{
    Q_OBJECT

public:
    struct Icons
    {
        QIcon drive;
        QIcon date;
        QIcon file;
    };

    // Drives `tree` (owned by the caller, outliving this object): one column, no header, no
    // sorting, uniform row heights, the tree font. Any items already in it are removed.
    QtTreeGrid(QTreeWidget* tree, Icons icons, QObject* parent = nullptr);
    ~QtTreeGrid() override;

    QTreeWidget* widget() const { return tree_; }

    void SetListener(TreeGridListener* listener) override;
    int RowCount() const override;
    void SetRowCount(int count) override;
    void SetColumnCount(int count) override;
    int CurrentRow() const override;
    void SetCurrentRow(int row) override;
    std::string CurrentText() const override;
    void AddRow(const std::string& text, std::optional<int> position = std::nullopt) override;
    void RemoveRow(int row) override;
    void RemoveRows(int row, int count) override;
    std::string CellText(int row, int column) const override;
    std::string RowData(int row) const override;
    void SetRowData(int row, const std::string& data) override;
    RowPicture CellPicture(int row) const override;
    void SetCellPicture(int row, RowPicture picture) override;
    bool NodeFlag(int row) const override;
    void SetNodeFlag(int row, bool isNode) override;
    int OutlineLevel(int row) const override;
    void SetOutlineLevel(int row, int level) override;
    int NodeState(int row) const override;
    void SetNodeState(int row, int state) override;
    void CollapseOutline(int level) override;
    int Redraw() const override;
    void SetRedraw(int value) override;

    // The widget item that shows `row`, for tests and for placing pop-ups; null outside the
    // rows or before the widget has caught up with a rebuild (redraw off).
    QTreeWidgetItem* ItemAt(int row) const;

private:
    class GridItem;
    class Rows;

    GridItem* At(int row) const;
    int IndexOf(const GridItem* item) const;
    void StructureChanged();
    void Retire(GridItem* item);
    void Update();
    void UpdateStructure();
    void UpdateNodeStates();
    void UpdateCurrent();
    void DispatchCurrentRowChange();
    enum class Verdict { GoAhead, Cancelled, Gone };
    Verdict DispatchBeforeExpandCollapse(GridItem* item, int state);

    // Whether the item is in the widget with every parent open.
    bool IsShown(const GridItem* item) const;

    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void OnItemExpandedOrCollapsed(QTreeWidgetItem* item, bool expanded);

    QTreeWidget* tree_;
    Icons icons_;
    TreeGridListener* listener_ = nullptr;
    std::unique_ptr<Rows> rows_;
    GridItem* current_ = nullptr;
    int redraw_ = kRedrawOn;
    // The row at the top of a scrolled tree when the redraw switch went off, kept there after.
    GridItem* topRow_ = nullptr;
    bool structureDirty_ = false;
    bool nodeStatesDirty_ = false;
    // Above zero while this object changes the widget, whose signals are then its own echo.
    int applying_ = 0;
    // Above zero while a listener runs; removed items are kept until it returns so that the
    // caller can tell that its item went away.
    int dispatching_ = 0;
    std::vector<std::unique_ptr<GridItem>> retired_;
};

} // namespace snapvale
