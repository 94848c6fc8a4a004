#pragma once

// The date tree as an item model over the catalogue: one root row, "Lineageﾌｫﾙﾀﾞ"; under it one
// row per date, newest first; under each date its files in folder order. A date's files are
// counted from the catalogue but become rows only when a view first opens the date (fetchMore),
// so a folder of tens of thousands of files costs a row per date until the user looks inside.
// The folder's later changes come in as CatalogueChanges and reach the views as rows inserted and
// removed in place, so open dates, the current row and the scroll position stay where they were.
//
// What a row stands for is told by value (Choice); no caller reads a name out of a row's text.

#include <memory>
#include <string>
#include <vector>

#include <QAbstractItemModel>
#include <QIcon>

#include "catalogue/catalogue_changes.h"
#include "catalogue/date_tree.h"
#include "catalogue/folder_scan.h"

namespace snapvale {

class DateTreeModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The 16 x 16 row pictures: a drive for the root, a folder of pictures for a date, a camera
    // for a file.
    struct Icons
    {
        QIcon drive;
        QIcon date;
        QIcon file;
    };

    explicit DateTreeModel(Icons icons, QObject* parent = nullptr);
    ~DateTreeModel() override;

    // Shows `catalogue` from scratch: the root, then every date closed, none of its files fetched.
    void SetCatalogue(std::shared_ptr<const Catalogue> catalogue);
    // Brings the rows from the catalogue shown to `after`, which `changes` leads to from it
    // (DiffCatalogues): dates come and go in their places, fetched dates gain and lose file rows
    // in theirs, and every other row stays as it was.
    void ApplyChanges(std::shared_ptr<const Catalogue> after, const CatalogueChanges& changes);
    // The lists the tree shows, shared with whoever lists the folder again to compare.
    const std::shared_ptr<const Catalogue>& catalogue() const { return catalogue_; }

    // What the row at `index` stands for; Kind::None for an invalid index.
    TreeChoice Choice(const QModelIndex& index) const;
    QModelIndex RootIndex() const;
    // The row of `date`; invalid when the tree has no such date.
    QModelIndex DateIndex(const std::string& date) const;
    // The row of the file called `name`, its date's files fetched first when they were not;
    // invalid when the catalogue has no such file.
    QModelIndex FileIndex(const std::string& name);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct DateNode
    {
        std::string date;
        bool fetched = false;
        // The names the file rows show, once fetched: kept with the rows, so that each step of an
        // edit answers for the rows as they stand at that step.
        std::vector<std::string> files;
    };

    // An index's internal pointer is the node its row sits under: none for the root row,
    // &rootNode_ for a date row, the date's DateNode for a file row.
    enum class Level { Root, Date, File };
    Level LevelOf(const QModelIndex& index) const;
    DateNode* DateOf(const QModelIndex& index) const;
    // Where `date` stands, or would stand, among the dates (newest first).
    int DateRow(const std::string& date) const;
    void FetchFiles(int dateRow);
    void EditFiles(int dateRow, const DateEdit& edit);

    Icons icons_;
    std::shared_ptr<const Catalogue> catalogue_;
    // Node pointers stay put while dates come and go around them, as file rows' indexes hold them.
    std::vector<std::unique_ptr<DateNode>> dates_;
    const char rootNode_ = 0;
    // Set while the rows change: SetCatalogue, ApplyChanges, a date's files fetched.
    bool editing_ = false;
};

} // namespace snapvale
