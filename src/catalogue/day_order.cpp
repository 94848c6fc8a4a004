#include "catalogue/day_order.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "catalogue/folder_scan.h"

namespace snapvale {

DayOrder DayOrderFromSetting(std::string_view value)
{
    return EqualIgnoringAsciiCase(value, kDayOrderWritten) ? DayOrder::Written : DayOrder::Name;
}

const char* DayOrderSetting(DayOrder order)
{
    return order == DayOrder::Written ? kDayOrderWritten : kDayOrderName;
}

std::vector<std::size_t> FilesInOrder(
    const Catalogue& catalogue, const std::string& date, DayOrder order)
{
    // A date's files are kept in name order, which the stable sort keeps among equal times.
    std::vector<std::size_t> files = catalogue.FilesOf(date);
    if (order == DayOrder::Written)
        std::stable_sort(files.begin(), files.end(), [&catalogue](std::size_t a, std::size_t b) {
            const FileStamp& x = catalogue.FileStamps[a];
            const FileStamp& y = catalogue.FileStamps[b];
            return x.modified != y.modified ? x.modified < y.modified
                                            : x.nanoseconds < y.nanoseconds;
        });
    return files;
}

} // namespace snapvale
