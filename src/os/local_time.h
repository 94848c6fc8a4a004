#pragma once

// Calendar times in the local time zone, as the operating system converts them.

#include <cstdint>
#include <optional>

namespace snapvale {

struct LocalDateTime
{
    int year = 0; // four digits for the times the catalogue shows, e.g. 2004
    int month = 0; // 1 to 12
    int day = 0; // 1 to 31
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;
};

// `secondsSinceEpoch` (UTC) in the local time zone (on POSIX systems the TZ environment
// variable when set); nothing when the system cannot convert it.
std::optional<LocalDateTime> ToLocalDateTime(std::int64_t secondsSinceEpoch);

} // namespace snapvale
