#pragma once

// The order of a date's screenshots: by name, as the folder lists them, or by the time each was
// written, and how that choice is kept in the settings file.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace snapvale {

struct Catalogue;

enum class DayOrder {
    Name, // the folder's order (ListedBefore)
    Written, // oldest first by modification time, to the fraction of a second the system keeps
};

// The settings key's values, in any letter case; anything else, or nothing, reads as Name.
inline constexpr char kDayOrderName[] = "NAME";
inline constexpr char kDayOrderWritten[] = "TIME";

DayOrder DayOrderFromSetting(std::string_view value);
const char* DayOrderSetting(DayOrder order);

// The indexes into the catalogue's lists of the files of `date`, in `order`; files written at
// the same moment keep their name order.
std::vector<std::size_t> FilesInOrder(
    const Catalogue& catalogue, const std::string& date, DayOrder order);

} // namespace snapvale
