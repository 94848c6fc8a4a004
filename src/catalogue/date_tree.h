#pragma once

// The date tree: a root row, one row per date of the image folder's TGA files (newest first),
// and under each date, once it is first opened, its files in folder order. Selecting a date puts
// it in the window caption, opens it and asks for the thumbnail tray; selecting any other row
// asks for the image view.

#include <optional>
#include <string>

#include "base/captions.h"
#include "catalogue/folder_scan.h"
#include "catalogue/tree_grid.h"

namespace snapvale {

// The window side of the date tree.
class DateTreeHost
{
public:
    virtual void SetCaption(const std::string& caption) = 0;
    // Fill the tray from the file rows below the grid's current row, which is a date row.
    virtual void ShowThumbnails() = 0;
    // Show the file that the grid's current row's data names (none for empty data).
    virtual void ShowImage() = 0;

protected:
    ~DateTreeHost() = default;
};

inline constexpr char kCaptionPrefix[] = "Snapvale - ";

// A step from the file shown to another file of its date.
enum class FileStep { Next, Previous, First, Last };

class DateTree final : public TreeGridListener
{
public:
    // Drives `grid` and becomes its listener. `imageFolder` (ending in a separator) is read at
    // every rebuild, so the owner may change it between rebuilds. All three must outlive the
    // tree.
    DateTree(TreeGrid& grid, DateTreeHost& host, const std::string& imageFolder);
    ~DateTree();
    DateTree(const DateTree&) = delete;
    DateTree& operator=(const DateTree&) = delete;

    // Puts the grid into its fixed one-column shape with no rows. Called right before ShowDates.
    void SetupTree();
    // Rebuilds the whole tree from a fresh scan: the root, then every date closed and not yet
    // filled; the root becomes the current row.
    void ShowDates();
    // Inserts the files of the date in `row` below it, from the last scan, and makes the date
    // the current row.
    void ExpandRow(int row);

    void vfgTree_BeforeExpandCollapse(int row, int state, bool& cancel) override;
    void vfgTree_CurrentRowChange() override;

    // The file row that `step` leads to from the file row `row`, among the files of the same
    // date; nothing when `row` is not a file row or the step would leave the date, since a
    // day's files end at its first and last (no wrap into the next date).
    std::optional<int> StepFile(int row, FileStep step) const;
    // The date row whose files include the file row `row`; nothing for any other row.
    std::optional<int> DateRowOf(int row) const;

    // The lists of the last scan.
    const Catalogue& catalogue() const { return catalogue_; }

private:
    TreeGrid& grid_;
    DateTreeHost& host_;
    const std::string& imageFolder_;
    Catalogue catalogue_;
    // True only while a date's placeholder row is being removed.
    bool suppressRowChange_ = false;
};

} // namespace snapvale
