#pragma once

// The date tree: a root row, one row per date of the image folder's TGA files (newest first),
// and under each date, once it is first opened, its files in folder order. Selecting a date puts
// it in the window caption, opens it and asks for the thumbnail tray; selecting any other row
// asks for the image view.

#include <memory>
#include <optional>
#include <string>

#include "base/captions.h"
#include "catalogue/catalogue_changes.h"
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
    // The same from a catalogue already made.
    void ShowCatalogue(std::shared_ptr<const Catalogue> catalogue);
    // Brings the tree from the catalogue it shows to `after`, which `changes` leads to from it
    // (DiffCatalogues), without a rebuild: dates come and go in their places, filled dates gain
    // and lose file rows in theirs, and every other row stays as it was, open or closed. The
    // current row stays on its row; if that row goes, a file that only moved to another date is
    // followed there (the date is filled and opened), and otherwise the root becomes current.
    // Raises no current-row event: what the window shows is the window's to bring up to date.
    void ApplyChanges(std::shared_ptr<const Catalogue> after, const CatalogueChanges& changes);
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

    // The lists the tree shows, shared with whoever lists the folder again to compare.
    const Catalogue& catalogue() const { return *catalogue_; }
    const std::shared_ptr<const Catalogue>& sharedCatalogue() const { return catalogue_; }

private:
    // A closed, unfilled date row (over its placeholder) at `row`.
    void InsertDate(int row, const std::string& date);
    // The file rows of the date in `row`, from the catalogue shown, right below it.
    void InsertFileRows(int row);
    // One file row, under its date, at `row`.
    void InsertFileRow(int row, const std::string& name);
    // Whether the date in `row` shows its file rows rather than its placeholder.
    bool IsFilled(int row) const;
    // The rows below the date in `row`, whose files are those of `date` in `catalogue`.
    int RowsBelow(int row, const Catalogue& catalogue, const std::string& date) const;

    TreeGrid& grid_;
    DateTreeHost& host_;
    const std::string& imageFolder_;
    std::shared_ptr<const Catalogue> catalogue_;
    // True only while a date's placeholder row is being removed.
    bool suppressRowChange_ = false;
};

} // namespace snapvale
