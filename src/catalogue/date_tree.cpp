#include "catalogue/date_tree.h"

#include <algorithm>

namespace {

bool IsDateData(const std::string& data) { return data.find('/') != std::string::npos; }

// File rows carry their name; date rows their date key; the root and placeholders nothing.
bool IsFileData(const std::string& data) { return !data.empty() && !IsDateData(data); }

} // namespace

namespace snapvale {

DateTree::DateTree(TreeGrid& grid, DateTreeHost& host, const std::string& imageFolder)
    : grid_(grid)
    , host_(host)
    , imageFolder_(imageFolder)
    , catalogue_(std::make_shared<Catalogue>())
{
    grid_.SetListener(this);
}

DateTree::~DateTree() { grid_.SetListener(nullptr); }

void DateTree::SetupTree()
{
    grid_.SetColumnCount(1);
    grid_.SetRowCount(0);
    grid_.SetRedraw(kRedrawOn);
}

void DateTree::ShowDates()
{
    auto catalogue = std::make_shared<Catalogue>();
    ScanFolder(imageFolder_, *catalogue);
    ShowCatalogue(std::move(catalogue));
}

void DateTree::ShowCatalogue(std::shared_ptr<const Catalogue> catalogue)
{
    catalogue_ = std::move(catalogue);
    grid_.SetRedraw(kRedrawOff);
    grid_.SetRowCount(0);
    grid_.AddRow(kTreeRootText);
    grid_.SetCellPicture(0, RowPicture::Drive);
    grid_.SetNodeFlag(0, true);
    for (const std::string& date : catalogue_->DateList)
        InsertDate(grid_.RowCount(), date);
    grid_.CollapseOutline(1);
    grid_.SetCurrentRow(0);
    grid_.SetRedraw(kRedrawOn);
}

void DateTree::InsertDate(int row, const std::string& date)
{
    grid_.AddRow(date, row);
    grid_.SetRowData(row, date);
    grid_.SetCellPicture(row, RowPicture::Date);
    grid_.SetNodeFlag(row, true);
    grid_.SetOutlineLevel(row, 1);
    // An empty child gives the closed date its open button until it is filled.
    grid_.AddRow("", row + 1);
    grid_.SetNodeFlag(row + 1, true);
    grid_.SetOutlineLevel(row + 1, 2);
}

void DateTree::ExpandRow(int row)
{
    grid_.SetRedraw(kRedrawOff);
    InsertFileRows(row);
    grid_.SetRedraw(kRedrawOn);
    grid_.SetCurrentRow(row);
}

void DateTree::InsertFileRows(int row)
{
    int pos = row + 1;
    for (const std::size_t i : catalogue_->FilesOf(grid_.RowData(row)))
        InsertFileRow(pos++, catalogue_->FileNames[i]);
}

void DateTree::InsertFileRow(int row, const std::string& name)
{
    grid_.AddRow(name, row);
    grid_.SetOutlineLevel(row, 2);
    grid_.SetCellPicture(row, RowPicture::File);
    grid_.SetRowData(row, name);
}

bool DateTree::IsFilled(int row) const { return !grid_.CellText(row + 1, 0).empty(); }

int DateTree::RowsBelow(int row, const Catalogue& catalogue, const std::string& date) const
{
    return IsFilled(row) ? static_cast<int>(catalogue.FilesOf(date).size()) : 1;
}

void DateTree::ApplyChanges(std::shared_ptr<const Catalogue> after, const CatalogueChanges& changes)
{
    // The old lists stay alive while the rows that show them are edited.
    const std::shared_ptr<const Catalogue> beforeHeld = std::move(catalogue_);
    const Catalogue& before = *beforeHeld;
    catalogue_ = std::move(after);
    if (changes.dates.empty())
        return;

    grid_.SetRedraw(kRedrawOff);
    suppressRowChange_ = true;
    // The current row is followed through the edits by its number.
    int current = grid_.CurrentRow();
    const std::string currentData = grid_.RowData(current);
    bool currentGone = false;
    const auto remove = [&](int row, int count) {
        grid_.RemoveRows(row, count);
        if (current >= row + count)
            current -= count;
        else if (current >= row)
            currentGone = true;
    };
    const auto inserted = [&](int row, int count) {
        if (!currentGone && current >= row)
            current += count;
    };

    // The date rows stand in the order of the old date list; `row` walks them.
    int row = 1;
    std::size_t k = 0;
    for (const DateEdit& edit : changes.dates) {
        for (; k < before.DateList.size() && before.DateList[k] > edit.date; ++k)
            row += 1 + RowsBelow(row, before, before.DateList[k]);
        if (edit.added) {
            InsertDate(row, edit.date);
            grid_.SetNodeState(row, kNodeClosed);
            inserted(row, 2);
            row += 2;
            continue;
        }
        ++k; // the old list's entry for this date
        if (edit.removed) {
            remove(row, 1 + RowsBelow(row, before, edit.date));
            continue;
        }
        if (IsFilled(row)) {
            const std::vector<std::size_t>& gone = edit.removedFiles;
            // From the bottom up, a run of neighbours at a time, so the places above stay right.
            for (std::size_t end = gone.size(); end > 0;) {
                std::size_t start = end - 1;
                while (start > 0 && gone[start - 1] + 1 == gone[start])
                    --start;
                remove(row + 1 + static_cast<int>(gone[start]), static_cast<int>(end - start));
                end = start;
            }
            const std::vector<std::size_t>& files = catalogue_->FilesOf(edit.date);
            for (const std::size_t place : edit.addedFiles) {
                const int at = row + 1 + static_cast<int>(place);
                InsertFileRow(at, catalogue_->FileNames[files[place]]);
                inserted(at, 1);
            }
        }
        row += 1 + RowsBelow(row, *catalogue_, edit.date);
    }

    if (currentGone) {
        int target = 0;
        const std::optional<std::size_t> moved =
            IsFileData(currentData) ? catalogue_->Find(currentData) : std::nullopt;
        if (moved) {
            const std::string& date = catalogue_->FileDates[*moved];
            int dateRow = 1;
            for (const std::string& d : catalogue_->DateList) {
                if (d == date)
                    break;
                dateRow += 1 + RowsBelow(dateRow, *catalogue_, d);
            }
            if (!IsFilled(dateRow)) {
                grid_.RemoveRow(dateRow + 1);
                InsertFileRows(dateRow);
            }
            grid_.SetNodeState(dateRow, kNodeOpen);
            const std::vector<std::size_t>& files = catalogue_->FilesOf(date);
            target = dateRow + 1
                + static_cast<int>(
                    std::lower_bound(files.begin(), files.end(), *moved) - files.begin());
        }
        grid_.SetCurrentRow(target);
    }
    grid_.SetRedraw(kRedrawOn);
    suppressRowChange_ = false;
}

void DateTree::vfgTree_BeforeExpandCollapse(int row, int state, bool& cancel)
{
    // The program's own rebuilds open and close nodes while the switch reads off.
    if (grid_.Redraw() == kRedrawOff)
        return;
    if (row < 0) {
        cancel = true;
        return;
    }
    if (state == kNodeClosed || !grid_.NodeFlag(row))
        return;
    // A node with no row below it (the root of an empty folder, the last row) has nothing to
    // fill; one whose next row shows text was filled before, or is the root.
    if (row + 1 >= grid_.RowCount() || !grid_.CellText(row + 1, 0).empty())
        return;
    suppressRowChange_ = true;
    grid_.RemoveRow(row + 1);
    suppressRowChange_ = false;
    ExpandRow(row);
}

void DateTree::vfgTree_CurrentRowChange()
{
    if (suppressRowChange_)
        return;
    const int row = grid_.CurrentRow();
    const std::string data = grid_.RowData(row);
    if (IsDateData(data)) {
        host_.SetCaption(kCaptionPrefix + data);
        grid_.SetNodeState(row, kNodeOpen);
        host_.ShowThumbnails();
    } else {
        host_.ShowImage();
    }
}

std::optional<int> DateTree::StepFile(int row, FileStep step) const
{
    if (!IsFileData(grid_.RowData(row)))
        return std::nullopt;
    const auto isFile = [this](int r) { return IsFileData(grid_.RowData(r)); };
    switch (step) {
    case FileStep::Next:
        return isFile(row + 1) ? std::optional<int>(row + 1) : std::nullopt;
    case FileStep::Previous:
        return isFile(row - 1) ? std::optional<int>(row - 1) : std::nullopt;
    case FileStep::First:
        while (isFile(row - 1))
            --row;
        return row;
    case FileStep::Last:
        while (isFile(row + 1))
            ++row;
        return row;
    }
    return std::nullopt;
}

std::optional<int> DateTree::DateRowOf(int row) const
{
    const std::optional<int> first = StepFile(row, FileStep::First);
    if (!first || !IsDateData(grid_.RowData(*first - 1)))
        return std::nullopt;
    return *first - 1;
}

} // namespace snapvale
