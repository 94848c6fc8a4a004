#include "qt/qt_tree_grid.h"

#include <algorithm>
#include <utility>

#include <QFont>
#include <QScrollBar>
#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "qt/ui_font.h"

namespace {

// Marks the widget's signals as this object's own echo while it changes the widget.
class Applying
{
public:
    explicit Applying(int& depth)
        : depth_(depth)
    {
        ++depth_;
    }
    ~Applying() { --depth_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

private:
    int& depth_;
};

// Removes `item` from its place in the widget, leaving its own children attached to it.
void Detach(QTreeWidget* tree, QTreeWidgetItem* item)
{
    if (QTreeWidgetItem* parent = item->parent())
        parent->removeChild(item);
    else if (item->treeWidget() == tree)
        tree->takeTopLevelItem(tree->indexOfTopLevelItem(item));
}

// Where a parent's children differ from the ones it is to have: the part between the longest
// run that already agrees at the start and the one at the end.
struct Splice
{
    int start = 0;
    int end = 0; // children kept at the end
};

// Past this many children to take out one by one, taking them all and giving them back is
// cheaper.
constexpr int kMostTakenOneByOne = 64;

// Takes from `holder` the children that differ from `wanted`, so that a row coming or going
// among thousands costs the widget one insertion or removal rather than a new list.
Splice TakeDifference(QTreeWidgetItem* holder, const QList<QTreeWidgetItem*>& wanted)
{
    const int have = holder->childCount();
    const int want = static_cast<int>(wanted.size());
    Splice splice;
    while (splice.start < have && splice.start < want
        && holder->child(splice.start) == wanted[splice.start])
        ++splice.start;
    while (splice.end < have - splice.start && splice.end < want - splice.start
        && holder->child(have - 1 - splice.end) == wanted[want - 1 - splice.end])
        ++splice.end;
    if (have - splice.end - splice.start > kMostTakenOneByOne) {
        holder->takeChildren();
        return {};
    }
    for (int i = have - splice.end; i-- > splice.start;)
        holder->takeChild(i);
    return splice;
}

void GiveDifference(
    QTreeWidgetItem* holder, const QList<QTreeWidgetItem*>& wanted, const Splice& splice)
{
    const int count = static_cast<int>(wanted.size()) - splice.start - splice.end;
    if (count > 0)
        holder->insertChildren(splice.start, wanted.mid(splice.start, count));
}

} // namespace

namespace snapvale {

// A row: its item in the widget, with everything the grid answers kept beside it.
class QtTreeGrid::GridItem : public QTreeWidgetItem
{
public:
    explicit GridItem(const std::string& text)
        : QTreeWidgetItem(QStringList{ QString::fromStdString(text) })
        , text(text)
    {
    }

    std::string text;
    std::string data;
    int level = 0;
    bool node = false;
    bool open = true;
    RowPicture picture = RowPicture::None;
    bool removed = false;
    // The state a before-open/close event for this row is deciding on, -1 when none runs.
    int pendingState = -1;

    // Scratch of the last numbering and of the hierarchy update.
    int row = -1;
    int wantedChildren = 0;
    int childList = -1;
};

// The flat row order. Rows inserted one after another at a growing position (a date's files)
// gather in a side run that joins the main list in one move, so filling a date costs
// O(rows) rather than O(rows x files).
class QtTreeGrid::Rows
{
public:
    std::size_t size() const { return main_.size() + run_.size(); }

    GridItem* at(std::size_t i) const
    {
        if (i < runStart_)
            return main_[i];
        if (i - runStart_ < run_.size())
            return run_[i - runStart_];
        return main_[i - run_.size()];
    }

    void insert(std::size_t i, GridItem* item)
    {
        if (!run_.empty() && i == runStart_ + run_.size()) {
            run_.push_back(item);
            return;
        }
        flush();
        if (i >= main_.size()) {
            main_.push_back(item);
            return;
        }
        runStart_ = i;
        run_.push_back(item);
    }

    void erase(std::size_t i, std::size_t count)
    {
        flush();
        const auto first = main_.begin() + static_cast<std::ptrdiff_t>(i);
        main_.erase(first, first + static_cast<std::ptrdiff_t>(count));
    }

    void clear()
    {
        main_.clear();
        run_.clear();
        runStart_ = 0;
    }

    const std::vector<GridItem*>& all()
    {
        flush();
        return main_;
    }

private:
    void flush()
    {
        if (run_.empty())
            return;
        main_.insert(
            main_.begin() + static_cast<std::ptrdiff_t>(runStart_), run_.begin(), run_.end());
        run_.clear();
        runStart_ = 0;
    }

    std::vector<GridItem*> main_;
    std::vector<GridItem*> run_;
    std::size_t runStart_ = 0;
};

QtTreeGrid::QtTreeGrid(QTreeWidget* tree, Icons icons, QObject* parent)
    : QObject(parent)
    , tree_(tree)
    , icons_(std::move(icons))
    , rows_(std::make_unique<Rows>())
{
    Applying applying(applying_);
    tree_->clear();
    tree_->setColumnCount(1);
    tree_->setHeaderHidden(true);
    tree_->setSortingEnabled(false);
    tree_->setUniformRowHeights(true);
    // A click on a date opens it already; a double click must not close it again.
    tree_->setExpandsOnDoubleClick(false);
    tree_->setRootIsDecorated(true);
    tree_->setIconSize(QSize(16, 16));
    tree_->setFont(JapaneseUiFont());
    connect(tree_, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
    connect(tree_, &QTreeWidget::itemExpanded, this,
        [this](QTreeWidgetItem* item) { OnItemExpandedOrCollapsed(item, true); });
    connect(tree_, &QTreeWidget::itemCollapsed, this,
        [this](QTreeWidgetItem* item) { OnItemExpandedOrCollapsed(item, false); });
}

QtTreeGrid::~QtTreeGrid()
{
    disconnect(tree_, nullptr, this, nullptr);
    // Items waiting for the widget are still ours; the widget deletes the ones it holds.
    std::vector<GridItem*> waiting;
    for (GridItem* item : rows_->all()) {
        if (!item->treeWidget() && !item->parent())
            waiting.push_back(item);
    }
    Applying applying(applying_);
    tree_->clear();
    for (GridItem* item : waiting)
        delete item;
}

void QtTreeGrid::SetListener(TreeGridListener* listener) { listener_ = listener; }

int QtTreeGrid::RowCount() const { return static_cast<int>(rows_->size()); }

void QtTreeGrid::SetRowCount(int count)
{
    if (count < 0)
        return;
    if (count == 0) {
        Applying applying(applying_);
        // Every item is made free-standing first, so each can be deleted on its own.
        tree_->invisibleRootItem()->takeChildren();
        for (GridItem* item : rows_->all()) {
            item->takeChildren();
            Retire(item);
        }
        rows_->clear();
        current_ = nullptr;
        structureDirty_ = false;
        return;
    }
    GridItem* const oldCurrent = current_;
    while (RowCount() > count) {
        const int last = RowCount() - 1;
        GridItem* item = At(last);
        rows_->erase(static_cast<std::size_t>(last), 1);
        {
            Applying applying(applying_);
            item->takeChildren();
            Detach(tree_, item);
        }
        if (item == current_)
            current_ = nullptr;
        Retire(item);
    }
    while (RowCount() < count)
        rows_->insert(rows_->size(), new GridItem(std::string()));
    if (oldCurrent && !current_)
        current_ = At(RowCount() - 1);
    StructureChanged();
    Update();
    if (current_ != oldCurrent)
        DispatchCurrentRowChange();
}

void QtTreeGrid::SetColumnCount(int count)
{
    if (count >= 1)
        tree_->setColumnCount(count);
}

int QtTreeGrid::CurrentRow() const { return current_ ? IndexOf(current_) : -1; }

void QtTreeGrid::SetCurrentRow(int row)
{
    GridItem* item = At(row);
    if (!item || item == current_)
        return;
    current_ = item;
    Update();
    DispatchCurrentRowChange();
}

std::string QtTreeGrid::CurrentText() const { return current_ ? current_->text : std::string(); }

void QtTreeGrid::AddRow(const std::string& text, std::optional<int> position)
{
    std::size_t at = rows_->size();
    if (position && *position >= 0 && static_cast<std::size_t>(*position) < at)
        at = static_cast<std::size_t>(*position);
    rows_->insert(at, new GridItem(text));
    StructureChanged();
    Update();
}

void QtTreeGrid::RemoveRow(int row) { RemoveRows(row, 1); }

void QtTreeGrid::RemoveRows(int row, int count)
{
    if (row < 0 || row >= RowCount() || count <= 0)
        return;
    count = std::min(count, RowCount() - row);
    std::vector<GridItem*> gone;
    gone.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        gone.push_back(At(row + i));
    rows_->erase(static_cast<std::size_t>(row), static_cast<std::size_t>(count));
    bool currentGone = false;
    {
        Applying applying(applying_);
        // The rows below keep their places; the hierarchy update finds them their new parent.
        // A removed parent takes its children along first, so those leave the widget with it.
        for (GridItem* item : gone) {
            item->takeChildren();
            Detach(tree_, item);
            currentGone = currentGone || item == current_;
        }
    }
    StructureChanged();
    if (currentGone)
        current_ = At(std::min(row, RowCount() - 1));
    for (GridItem* item : gone)
        Retire(item);
    Update();
    if (currentGone)
        DispatchCurrentRowChange();
}

std::string QtTreeGrid::CellText(int row, int column) const
{
    const GridItem* item = At(row);
    return item && column == 0 ? item->text : std::string();
}

std::string QtTreeGrid::RowData(int row) const
{
    const GridItem* item = At(row);
    return item ? item->data : std::string();
}

void QtTreeGrid::SetRowData(int row, const std::string& data)
{
    if (GridItem* item = At(row))
        item->data = data;
}

RowPicture QtTreeGrid::CellPicture(int row) const
{
    const GridItem* item = At(row);
    return item ? item->picture : RowPicture::None;
}

void QtTreeGrid::SetCellPicture(int row, RowPicture picture)
{
    GridItem* item = At(row);
    if (!item)
        return;
    item->picture = picture;
    switch (picture) {
    case RowPicture::Drive:
        item->setIcon(0, icons_.drive);
        break;
    case RowPicture::Date:
        item->setIcon(0, icons_.date);
        break;
    case RowPicture::File:
        item->setIcon(0, icons_.file);
        break;
    case RowPicture::None:
        item->setIcon(0, QIcon());
        break;
    }
}

bool QtTreeGrid::NodeFlag(int row) const
{
    const GridItem* item = At(row);
    return item && item->node;
}

void QtTreeGrid::SetNodeFlag(int row, bool isNode)
{
    if (GridItem* item = At(row))
        item->node = isNode;
}

int QtTreeGrid::OutlineLevel(int row) const
{
    const GridItem* item = At(row);
    return item ? item->level : 0;
}

void QtTreeGrid::SetOutlineLevel(int row, int level)
{
    GridItem* item = At(row);
    if (!item || item->level == level)
        return;
    item->level = level;
    StructureChanged();
    Update();
}

int QtTreeGrid::NodeState(int row) const
{
    const GridItem* item = At(row);
    return item && !item->open ? kNodeClosed : kNodeOpen;
}

void QtTreeGrid::SetNodeState(int row, int state)
{
    GridItem* item = At(row);
    if (!item || !item->node || (state != kNodeOpen && state != kNodeClosed))
        return;
    // Asking for the change that is already being decided on (the opening's own handlers
    // select the date, which opens it) raises no second event.
    const bool open = state == kNodeOpen;
    if (item->open == open || item->pendingState == state
        || DispatchBeforeExpandCollapse(item, state) != Verdict::GoAhead)
        return;
    item->open = open;
    nodeStatesDirty_ = true;
    Update();
}

void QtTreeGrid::CollapseOutline(int level)
{
    for (GridItem* item : rows_->all()) {
        if (item->node)
            item->open = item->level < level;
    }
    nodeStatesDirty_ = true;
    Update();
}

int QtTreeGrid::Redraw() const { return redraw_; }

void QtTreeGrid::SetRedraw(int value)
{
    const bool wasOn = redraw_ != kRedrawOff;
    redraw_ = value;
    if (redraw_ == kRedrawOff) {
        // A user scrolled down the tree keeps the row at its top while rows come and go above.
        if (wasOn && tree_->verticalScrollBar()->value() > 0)
            topRow_ = static_cast<GridItem*>(tree_->itemAt(0, 0));
        tree_->setUpdatesEnabled(false);
        return;
    }
    Update();
    if (topRow_ && IsShown(topRow_))
        tree_->scrollToItem(topRow_, QAbstractItemView::PositionAtTop);
    topRow_ = nullptr;
    tree_->setUpdatesEnabled(true);
}

bool QtTreeGrid::IsShown(const GridItem* item) const
{
    if (item->treeWidget() != tree_)
        return false;
    for (const QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
        if (!parent->isExpanded())
            return false;
    return true;
}

QTreeWidgetItem* QtTreeGrid::ItemAt(int row) const
{
    GridItem* item = At(row);
    return item && item->treeWidget() == tree_ ? item : nullptr;
}

QtTreeGrid::GridItem* QtTreeGrid::At(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows_->size())
        return nullptr;
    return rows_->at(static_cast<std::size_t>(row));
}

int QtTreeGrid::IndexOf(const GridItem* item) const
{
    if (item->row < 0 || item->row >= RowCount() || At(item->row) != item) {
        const std::vector<GridItem*>& all = rows_->all();
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i]->row = static_cast<int>(i);
    }
    return item->row;
}

void QtTreeGrid::StructureChanged() { structureDirty_ = true; }

void QtTreeGrid::Retire(GridItem* item)
{
    item->removed = true;
    if (item == topRow_)
        topRow_ = nullptr;
    retired_.emplace_back(item);
    if (dispatching_ == 0)
        retired_.clear();
}

void QtTreeGrid::Update()
{
    if (redraw_ == kRedrawOff)
        return;
    Applying applying(applying_);
    if (structureDirty_) {
        UpdateStructure();
        structureDirty_ = false;
        nodeStatesDirty_ = true;
    }
    if (nodeStatesDirty_) {
        UpdateNodeStates();
        nodeStatesDirty_ = false;
    }
    UpdateCurrent();
}

// Makes the widget's hierarchy match the rows' outline levels. Each parent whose children
// differ from what the levels ask for gets them taken away and given back in one batch, so a
// date's thousands of files go in with one insertion.
void QtTreeGrid::UpdateStructure()
{
    const std::vector<GridItem*>& all = rows_->all();
    QTreeWidgetItem* const top = tree_->invisibleRootItem();
    std::vector<GridItem*> path;

    auto walk = [&](auto&& visit) {
        path.clear();
        int topCount = 0;
        for (GridItem* item : all) {
            while (!path.empty() && path.back()->level >= item->level)
                path.pop_back();
            GridItem* parent = path.empty() ? nullptr : path.back();
            visit(item, parent, parent ? parent->wantedChildren++ : topCount++);
            item->wantedChildren = 0;
            path.push_back(item);
        }
        return topCount;
    };

    // Find the parents whose children are not already right.
    std::vector<QTreeWidgetItem*> wrong;
    bool topWrong = false;
    auto markWrong = [&](GridItem* parent) {
        if (!parent) {
            topWrong = true;
        } else if (parent->childList < 0) {
            parent->childList = 0;
            wrong.push_back(parent);
        }
    };
    for (GridItem* item : all)
        item->childList = -1;
    const int topCount = walk([&](GridItem* item, GridItem* parent, int index) {
        QTreeWidgetItem* holder = parent ? static_cast<QTreeWidgetItem*>(parent) : top;
        if (index >= holder->childCount() || holder->child(index) != item)
            markWrong(parent);
    });
    // The walk left each row's wanted number of children in wantedChildren.
    for (GridItem* item : all) {
        if (item->childCount() != item->wantedChildren)
            markWrong(item);
    }
    if (top->childCount() != topCount)
        topWrong = true;
    if (!topWrong && wrong.empty())
        return;

    std::vector<QList<QTreeWidgetItem*>> lists(wrong.size());
    QList<QTreeWidgetItem*> topList;
    for (std::size_t i = 0; i < wrong.size(); ++i)
        static_cast<GridItem*>(wrong[i])->childList = static_cast<int>(i);
    walk([&](GridItem* item, GridItem* parent, int) {
        if (!parent) {
            if (topWrong)
                topList.push_back(item);
        } else if (parent->childList >= 0) {
            lists[static_cast<std::size_t>(parent->childList)].push_back(item);
        }
    });

    // Every parent gives up the children it is to lose before any is given new ones, since an
    // item joins a parent only while it has none.
    std::vector<Splice> splices(wrong.size());
    for (std::size_t i = 0; i < wrong.size(); ++i)
        splices[i] = TakeDifference(wrong[i], lists[i]);
    Splice topSplice;
    if (topWrong)
        topSplice = TakeDifference(top, topList);
    // Deepest parents first, so most children join items that are not yet in the widget.
    for (std::size_t i = wrong.size(); i-- > 0;)
        GiveDifference(wrong[i], lists[i], splices[i]);
    if (topWrong)
        GiveDifference(top, topList, topSplice);
}

void QtTreeGrid::UpdateNodeStates()
{
    for (GridItem* item : rows_->all()) {
        // A row whose change is being decided on keeps what the widget shows until it is.
        if (item->childCount() == 0 || item->pendingState >= 0)
            continue;
        if (item->isExpanded() != item->open)
            item->setExpanded(item->open);
    }
}

void QtTreeGrid::UpdateCurrent()
{
    if (tree_->currentItem() != current_)
        tree_->setCurrentItem(current_);
}

void QtTreeGrid::DispatchCurrentRowChange()
{
    if (!listener_)
        return;
    ++dispatching_;
    listener_->vfgTree_CurrentRowChange();
    if (--dispatching_ == 0)
        retired_.clear();
}

QtTreeGrid::Verdict QtTreeGrid::DispatchBeforeExpandCollapse(GridItem* item, int state)
{
    if (!listener_)
        return Verdict::GoAhead;
    bool cancel = false;
    ++dispatching_;
    const int outerState = item->pendingState;
    item->pendingState = state;
    listener_->vfgTree_BeforeExpandCollapse(IndexOf(item), state, cancel);
    item->pendingState = outerState;
    // Read before the item may be deleted below.
    const Verdict verdict =
        item->removed ? Verdict::Gone : (cancel ? Verdict::Cancelled : Verdict::GoAhead);
    if (--dispatching_ == 0)
        retired_.clear();
    return verdict;
}

void QtTreeGrid::OnCurrentItemChanged(QTreeWidgetItem* current)
{
    if (applying_ > 0)
        return;
    auto* item = static_cast<GridItem*>(current);
    if (item == current_)
        return;
    current_ = item;
    DispatchCurrentRowChange();
}

// The widget reports a user's open or close after the fact; the listener hears it as the moment
// before, and a cancel or a refusal puts the widget back.
void QtTreeGrid::OnItemExpandedOrCollapsed(QTreeWidgetItem* widgetItem, bool expanded)
{
    if (applying_ > 0)
        return;
    auto* item = static_cast<GridItem*>(widgetItem);
    if (item->node && item->open != expanded) {
        const Verdict verdict =
            DispatchBeforeExpandCollapse(item, expanded ? kNodeOpen : kNodeClosed);
        if (verdict == Verdict::Gone)
            return;
        if (verdict == Verdict::GoAhead)
            item->open = expanded;
    }
    nodeStatesDirty_ = true;
    Update();
}

} // namespace snapvale
