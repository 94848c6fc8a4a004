#pragma once

// The sort that orders the catalogue's distinct date keys, oldest first.

#include <string>
#include <vector>

namespace snapvale {

// Sorts entries lo to hi (inclusive) of `list` in place, ascending. Entries are date keys
// "YYYY/MM/DD", whose text order is their calendar order. Entries outside lo..hi are not touched,
// and an empty or one-entry range, or bounds outside the list, leave the list as it is. The
// running time is O(n log n) whatever the input order.
void QuickSortDates(std::vector<std::string>& list, int lo, int hi);

} // namespace snapvale
