#include "catalogue/catalogue_changes.h"

#include <functional>
#include <map>

namespace snapvale {

CatalogueChanges DiffCatalogues(const Catalogue& before, const Catalogue& after)
{
    // The edits by date, newest first; only dates that change get an entry.
    std::map<std::string, DateEdit, std::greater<>> edits;
    const auto removeFrom = [&](std::size_t i) {
        DateEdit& edit = edits[before.FileDates[i]];
        edit.removedFiles.push_back(before.PlaceInDate(i));
    };
    const auto addTo = [&](std::size_t j) {
        DateEdit& edit = edits[after.FileDates[j]];
        edit.addedFiles.push_back(after.PlaceInDate(j));
    };

    CatalogueChanges changes;
    // Both catalogues hold their files in folder order, so one walk pairs them up by name.
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < before.FileNames.size() || j < after.FileNames.size()) {
        if (j == after.FileNames.size()
            || (i < before.FileNames.size()
                && ListedBefore(before.FileNames[i], after.FileNames[j]))) {
            removeFrom(i++);
        } else if (i == before.FileNames.size()
            || ListedBefore(after.FileNames[j], before.FileNames[i])) {
            changes.newFiles.push_back(j);
            addTo(j++);
        } else {
            if (before.FileDates[i] != after.FileDates[j]) {
                removeFrom(i);
                addTo(j);
            }
            if (before.FileStamps[i] != after.FileStamps[j])
                changes.changedFiles.push_back(j);
            ++i;
            ++j;
        }
    }

    // Within a date, the walk met its files in folder order, so the places already ascend.
    changes.dates.reserve(edits.size());
    for (auto& [date, edit] : edits) {
        edit.date = date;
        edit.added = before.FilesOf(date).empty();
        edit.removed = after.FilesOf(date).empty();
        changes.dates.push_back(std::move(edit));
    }
    return changes;
}

} // namespace snapvale
