#include "qt/date_tree_model.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "qt/qt_text.h"

namespace snapvale {

namespace {

// Calls `edit(first, last)` for each run of neighbouring places in `places` (ascending), from the
// last run back to the first when `backwards`, so that the places of the runs still to come stay
// right while rows are removed.
template <typename Edit>
void ForEachRun(const std::vector<std::size_t>& places, bool backwards, Edit edit)
{
    std::vector<std::pair<int, int>> runs;
    for (std::size_t i = 0; i < places.size();) {
        std::size_t end = i + 1;
        while (end < places.size() && places[end] == places[end - 1] + 1)
            ++end;
        runs.emplace_back(static_cast<int>(places[i]), static_cast<int>(places[end - 1]));
        i = end;
    }
    if (backwards)
        std::reverse(runs.begin(), runs.end());
    for (const auto& [first, last] : runs)
        edit(first, last);
}

// Marks the model as being edited for as long as it lives.
class Editing
{
public:
    explicit Editing(bool& flag)
        : flag_(flag)
        , was_(std::exchange(flag, true))
    {
    }
    ~Editing() { flag_ = was_; }
    Editing(const Editing&) = delete;
    Editing& operator=(const Editing&) = delete;

private:
    bool& flag_;
    bool was_;
};

} // namespace

DateTreeModel::DateTreeModel(Icons icons, QObject* parent)
    : QAbstractItemModel(parent)
    , icons_(std::move(icons))
    , catalogue_(std::make_shared<Catalogue>())
{
}

DateTreeModel::~DateTreeModel() = default;

void DateTreeModel::SetCatalogue(std::shared_ptr<const Catalogue> catalogue)
{
    const Editing editing(editing_);
    beginResetModel();
    catalogue_ = std::move(catalogue);
    dates_.clear();
    dates_.reserve(catalogue_->DateList.size());
    for (const std::string& date : catalogue_->DateList)
        dates_.push_back(std::make_unique<DateNode>(DateNode{ date, false, {} }));
    endResetModel();
}

void DateTreeModel::ApplyChanges(
    std::shared_ptr<const Catalogue> after, const CatalogueChanges& changes)
{
    const Editing editing(editing_);
    catalogue_ = std::move(after);
    const QModelIndex root = RootIndex();
    for (const DateEdit& edit : changes.dates) {
        const int row = DateRow(edit.date);
        if (edit.added) {
            beginInsertRows(root, row, row);
            dates_.insert(
                dates_.begin() + row, std::make_unique<DateNode>(DateNode{ edit.date, false, {} }));
            endInsertRows();
        } else if (edit.removed) {
            beginRemoveRows(root, row, row);
            dates_.erase(dates_.begin() + row);
            endRemoveRows();
        } else if (dates_[static_cast<std::size_t>(row)]->fetched) {
            EditFiles(row, edit);
        }
    }
}

void DateTreeModel::EditFiles(int dateRow, const DateEdit& edit)
{
    DateNode& node = *dates_[static_cast<std::size_t>(dateRow)];
    const QModelIndex parent = index(dateRow, 0, RootIndex());
    ForEachRun(edit.removedFiles, true, [&](int first, int last) {
        beginRemoveRows(parent, first, last);
        node.files.erase(node.files.begin() + first, node.files.begin() + last + 1);
        endRemoveRows();
    });
    const std::vector<std::size_t>& files = catalogue_->FilesOf(node.date);
    ForEachRun(edit.addedFiles, false, [&](int first, int last) {
        std::vector<std::string> names;
        for (int place = first; place <= last; ++place)
            names.push_back(catalogue_->FileNames[files[static_cast<std::size_t>(place)]]);
        beginInsertRows(parent, first, last);
        node.files.insert(node.files.begin() + first, std::make_move_iterator(names.begin()),
            std::make_move_iterator(names.end()));
        endInsertRows();
    });
}

TreeChoice DateTreeModel::Choice(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    switch (LevelOf(index)) {
    case Level::Root:
        return { TreeChoice::Kind::Root, {}, {} };
    case Level::Date:
        return { TreeChoice::Kind::Date, dates_[static_cast<std::size_t>(index.row())]->date, {} };
    case Level::File: {
        const DateNode& node = *DateOf(index);
        return { TreeChoice::Kind::File, node.date,
            node.files[static_cast<std::size_t>(index.row())] };
    }
    }
    return {};
}

QModelIndex DateTreeModel::RootIndex() const { return createIndex(0, 0, nullptr); }

QModelIndex DateTreeModel::DateIndex(const std::string& date) const
{
    const int row = DateRow(date);
    if (row >= static_cast<int>(dates_.size())
        || dates_[static_cast<std::size_t>(row)]->date != date)
        return {};
    return index(row, 0, RootIndex());
}

QModelIndex DateTreeModel::FileIndex(const std::string& name)
{
    const std::optional<std::size_t> file = catalogue_->Find(name);
    if (!file)
        return {};
    const QModelIndex date = DateIndex(catalogue_->FileDates[*file]);
    if (!date.isValid())
        return {};
    FetchFiles(date.row());
    return index(static_cast<int>(catalogue_->PlaceInDate(*file)), 0, date);
}

DateTreeModel::Level DateTreeModel::LevelOf(const QModelIndex& index) const
{
    if (!index.constInternalPointer())
        return Level::Root;
    return index.constInternalPointer() == &rootNode_ ? Level::Date : Level::File;
}

DateTreeModel::DateNode* DateTreeModel::DateOf(const QModelIndex& index) const
{
    return static_cast<DateNode*>(index.internalPointer());
}

int DateTreeModel::DateRow(const std::string& date) const
{
    const auto at = std::lower_bound(dates_.begin(), dates_.end(), date,
        [](const std::unique_ptr<DateNode>& node, const std::string& key) {
            return node->date > key;
        });
    return static_cast<int>(at - dates_.begin());
}

void DateTreeModel::FetchFiles(int dateRow)
{
    DateNode& node = *dates_[static_cast<std::size_t>(dateRow)];
    if (node.fetched || editing_)
        return;
    const Editing editing(editing_);
    node.fetched = true;
    const std::vector<std::size_t>& files = catalogue_->FilesOf(node.date);
    if (files.empty())
        return;
    beginInsertRows(index(dateRow, 0, RootIndex()), 0, static_cast<int>(files.size()) - 1);
    node.files.reserve(files.size());
    for (const std::size_t file : files)
        node.files.push_back(catalogue_->FileNames[file]);
    endInsertRows();
}

QModelIndex DateTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return RootIndex();
    switch (LevelOf(parent)) {
    case Level::Root:
        return createIndex(row, column, &rootNode_);
    case Level::Date:
        return createIndex(row, column, dates_[static_cast<std::size_t>(parent.row())].get());
    case Level::File:
        break;
    }
    return {};
}

QModelIndex DateTreeModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    switch (LevelOf(index)) {
    case Level::Root:
        return {};
    case Level::Date:
        return RootIndex();
    case Level::File:
        return createIndex(DateRow(DateOf(index)->date), 0, &rootNode_);
    }
    return {};
}

int DateTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    switch (LevelOf(parent)) {
    case Level::Root:
        return static_cast<int>(dates_.size());
    case Level::Date:
        return static_cast<int>(dates_[static_cast<std::size_t>(parent.row())]->files.size());
    case Level::File:
        break;
    }
    return 0;
}

int DateTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool DateTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return true;
    if (parent.column() != 0)
        return false;
    switch (LevelOf(parent)) {
    case Level::Root:
        return !dates_.empty();
    case Level::Date:
        // A date has files whether or not they are rows yet: it shows its open button.
        return true;
    case Level::File:
        break;
    }
    return false;
}

QVariant DateTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const std::size_t row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole) {
        switch (LevelOf(index)) {
        case Level::Root:
            return QString::fromUtf8(kTreeRootText);
        case Level::Date:
            return TextToQString(dates_[row]->date);
        case Level::File:
            return PathToQString(DateOf(index)->files[row]);
        }
    } else if (role == Qt::DecorationRole) {
        switch (LevelOf(index)) {
        case Level::Root:
            return icons_.drive;
        case Level::Date:
            return icons_.date;
        case Level::File:
            return icons_.file;
        }
    }
    return {};
}

Qt::ItemFlags DateTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return LevelOf(index) == Level::File ? flags | Qt::ItemNeverHasChildren : flags;
}

bool DateTreeModel::canFetchMore(const QModelIndex& parent) const
{
    // A view that reacts to the rows of an edit by asking for a date's files waits until the
    // edit is done: rows inserted inside another insertion or a reset throw the views out.
    return !editing_ && parent.isValid() && LevelOf(parent) == Level::Date
        && !dates_[static_cast<std::size_t>(parent.row())]->fetched;
}

void DateTreeModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        FetchFiles(parent.row());
}

} // namespace snapvale
