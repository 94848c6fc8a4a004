#pragma once

// The grid that shows the date tree: a one-column outline of rows, addressed by their place in
// the flat top-to-bottom order with hidden rows counted. Inserting or removing a row shifts the
// rows below it. A row's parent is the nearest row above it with a lower outline level; a node
// that is closed hides the rows below it up to the next row of its own level or lower.
//
// Reads of a row outside 0 .. RowCount() - 1 give the empty answer ("", 0, false,
// RowPicture::None); writes to such a row do nothing.

#include <optional>
#include <string>

namespace snapvale {

enum class RowPicture { None, Drive, Date, File };

// Node states and redraw switch values as the grid's callers pass them.
inline constexpr int kNodeOpen = 0;
inline constexpr int kNodeClosed = 2;
inline constexpr int kRedrawOff = 0;
inline constexpr int kRedrawOn = 2;

// Receives the grid's events. They come synchronously on the UI thread, from the user's
// actions and from inside the program's own calls to the grid, so handlers nest.
class TreeGridListener
{
public:
    // Before `row`'s node opens (`state` kNodeOpen) or closes (kNodeClosed); set `cancel` to
    // keep it as it is. Raised for the user's clicks and for SetNodeState, not for
    // CollapseOutline.
    virtual void vfgTree_BeforeExpandCollapse(int row, int state, bool& cancel) = 0;
    // The current row is another row than before: the user selected one, the program wrote
    // SetCurrentRow, or the current row was removed.
    virtual void vfgTree_CurrentRowChange() = 0;

protected:
    ~TreeGridListener() = default;
};

class TreeGrid
{
public:
    virtual ~TreeGrid() = default;

    // The one listener, or null for none; not owned.
    virtual void SetListener(TreeGridListener* listener) = 0;

    virtual int RowCount() const = 0;
    // Removes rows from the end, or appends empty rows, until there are `count`; 0 clears the
    // grid and leaves no current row (-1) without raising an event.
    virtual void SetRowCount(int count) = 0;
    virtual void SetColumnCount(int count) = 0;

    // The current row, -1 when there is none. Writing selects the row and raises
    // vfgTree_CurrentRowChange when it is another row than before.
    virtual int CurrentRow() const = 0;
    virtual void SetCurrentRow(int row) = 0;
    // The text of the current row's first cell; "" when there is no current row.
    virtual std::string CurrentText() const = 0;

    // Appends a row showing `text` in its first cell, or inserts it at `position`
    // (0 .. RowCount()). The new row has outline level 0, no row data, no picture, no node
    // flag, and node state open. An out-of-range position appends.
    virtual void AddRow(const std::string& text, std::optional<int> position = std::nullopt) = 0;
    // Removes the row; the rows below move up and keep their levels. When it was the current
    // row, the row that takes its place (or the new last row) becomes current and
    // vfgTree_CurrentRowChange is raised.
    virtual void RemoveRow(int row) = 0;
    // Removes the `count` rows from `row` on, as that many RemoveRow(row) calls would, raising
    // vfgTree_CurrentRowChange at most once; rows past the last are ignored.
    virtual void RemoveRows(int row, int count) = 0;
    virtual std::string CellText(int row, int column) const = 0;

    // A hidden value kept with the row; "" until written.
    virtual std::string RowData(int row) const = 0;
    virtual void SetRowData(int row, const std::string& data) = 0;

    virtual RowPicture CellPicture(int row) const = 0;
    virtual void SetCellPicture(int row, RowPicture picture) = 0;

    // Only rows flagged as nodes can be opened and closed.
    virtual bool NodeFlag(int row) const = 0;
    virtual void SetNodeFlag(int row, bool isNode) = 0;

    virtual int OutlineLevel(int row) const = 0;
    virtual void SetOutlineLevel(int row, int level) = 0;

    // kNodeOpen or kNodeClosed. Writing another state to a node row raises
    // vfgTree_BeforeExpandCollapse first and changes nothing if the handler cancels; writing
    // the state a row already has, or writing to a row that is not a node, does nothing.
    virtual int NodeState(int row) const = 0;
    virtual void SetNodeState(int row, int state) = 0;

    // Opens every row of a level below `level` and closes every row of `level` or deeper, so
    // with 1 the top rows show their children and those children show closed. Raises no event.
    virtual void CollapseOutline(int level) = 0;

    // kRedrawOff suspends repainting while the program rebuilds rows; kRedrawOn (any non-zero
    // value) shows the result. Reading gives the value last written.
    virtual int Redraw() const = 0;
    virtual void SetRedraw(int value) = 0;
};

} // namespace snapvale
