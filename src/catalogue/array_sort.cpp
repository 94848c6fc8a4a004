#include "catalogue/array_sort.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace {

// Partitions lo..hi around the middle entry and returns the pivot's final place: entries
// strictly less than the pivot end up before it, the rest after it, in the order the forward
// pass leaves them.
int Partition(std::vector<std::string>& list, int lo, int hi)
{
    // The pivot waits in the first slot, whose entry takes the pivot's place, until the pass
    // has found where it belongs.
    std::swap(list[lo], list[lo + (hi - lo) / 2]);
    const std::string& pivot = list[lo];
    int last = lo;
    for (int i = lo + 1; i <= hi; ++i) {
        if (list[i] < pivot) {
            ++last;
            std::swap(list[last], list[i]);
        }
    }
    std::swap(list[lo], list[last]);
    return last;
}

void Sort(std::vector<std::string>& list, int lo, int hi, int budget)
{
    // Recurse into the smaller part and loop on the larger one, so the stack stays shallow.
    while (lo < hi) {
        if (budget-- == 0) {
            // A middle pivot can be driven to quadratic time by a crafted order. Equal keys are
            // indistinguishable, so any correct sort of the rest gives the very same list.
            std::sort(list.begin() + lo, list.begin() + hi + 1);
            return;
        }
        const int last = Partition(list, lo, hi);
        if (last - lo < hi - last) {
            Sort(list, lo, last - 1, budget);
            lo = last + 1;
        } else {
            Sort(list, last + 1, hi, budget);
            hi = last - 1;
        }
    }
}

} // namespace

namespace snapvale {

void QuickSortDates(std::vector<std::string>& list, int lo, int hi)
{
    if (lo >= hi || lo < 0 || static_cast<std::size_t>(hi) >= list.size())
        return;
    const auto length = static_cast<unsigned>(hi - lo) + 1;
    Sort(list, lo, hi, 4 * std::bit_width(length));
}

} // namespace snapvale
