#include "catalogue/array_sort.h"

#include <algorithm>

namespace snapvale {

void QuickSortDates(std::vector<std::string>& list, int lo, int hi)
{
    if (lo >= hi || lo < 0 || static_cast<std::size_t>(hi) >= list.size())
        return;
    // Equal keys are indistinguishable, so any correct sort gives the very list a quicksort would.
    std::sort(list.begin() + lo, list.begin() + hi + 1);
}

} // namespace snapvale
