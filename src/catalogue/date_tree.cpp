#include "catalogue/date_tree.h"

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
    grid_.SetRedraw(kRedrawOff);
    grid_.SetRowCount(0);
    grid_.AddRow(kTreeRootText);
    grid_.SetCellPicture(0, RowPicture::Drive);
    grid_.SetNodeFlag(0, true);

    if (ScanFolder(imageFolder_, catalogue_) >= 0) {
        for (const std::string& date : catalogue_.DateList) {
            grid_.AddRow(date);
            const int dateRow = grid_.RowCount() - 1;
            grid_.SetRowData(dateRow, date);
            grid_.SetCellPicture(dateRow, RowPicture::Date);
            grid_.SetNodeFlag(dateRow, true);
            grid_.SetOutlineLevel(dateRow, 1);
            // An empty child gives the closed date its open button until it is filled.
            grid_.AddRow("");
            const int placeholder = grid_.RowCount() - 1;
            grid_.SetNodeFlag(placeholder, true);
            grid_.SetOutlineLevel(placeholder, 2);
        }
    }
    grid_.CollapseOutline(1);
    grid_.SetCurrentRow(0);
    grid_.SetRedraw(kRedrawOn);
}

void DateTree::ExpandRow(int row)
{
    grid_.SetRedraw(kRedrawOff);
    const std::string date = grid_.RowData(row);
    int pos = row + 1;
    const int level = grid_.OutlineLevel(row) + 1;
    for (const std::size_t i : catalogue_.FilesOf(date)) {
        const std::string& name = catalogue_.FileNames[i];
        grid_.AddRow(name, pos);
        grid_.SetOutlineLevel(pos, level);
        grid_.SetCellPicture(pos, RowPicture::File);
        grid_.SetRowData(pos, name);
        ++pos;
    }
    grid_.SetRedraw(kRedrawOn);
    grid_.SetCurrentRow(row);
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
