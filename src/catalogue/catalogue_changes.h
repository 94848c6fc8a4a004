#pragma once

// What changed between two catalogues of the same folder, in the terms the date tree and the tray
// are edited in: per date, which of its files went and which came, by their places among the
// date's files; and which files kept their name and date but not their contents.

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/folder_scan.h"

namespace snapvale {

struct DateEdit
{
    std::string date;
    bool added = false; // the date is new
    bool removed = false; // the date has no file left
    // Places among the date's files before the change, ascending: these files went (all of them
    // when the date is removed). A file whose time moved it to another date goes from its old
    // date and comes into the new one.
    std::vector<std::size_t> removedFiles;
    // Places among the date's files after the change, ascending: these files came (all of them
    // when the date is added). Removing the first list and then inserting the second, each in
    // ascending order, turns the date's files before into its files after.
    std::vector<std::size_t> addedFiles;
};

struct CatalogueChanges
{
    // Only the dates that changed, newest first.
    std::vector<DateEdit> dates;
    // Indexes into the later catalogue's FileNames, ascending: the files it lists that the
    // earlier one did not, and the files listed in both whose stamps differ (a picture made from
    // one of these may be out of date).
    std::vector<std::size_t> newFiles;
    std::vector<std::size_t> changedFiles;

    bool empty() const { return dates.empty() && changedFiles.empty(); }
};

CatalogueChanges DiffCatalogues(const Catalogue& before, const Catalogue& after);

} // namespace snapvale
