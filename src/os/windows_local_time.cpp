#include <cstdint>
#include <windows.h>

#include "os/local_time.h"

namespace snapvale {

namespace {

// Windows counts in 100-nanosecond steps from 1601-01-01 UTC.
constexpr std::int64_t kEpochDifference = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

} // namespace

std::optional<LocalDateTime> ToLocalDateTime(std::int64_t secondsSinceEpoch)
{
    // Before 1601 no file time exists, and the system converts none past the year 30827.
    if (secondsSinceEpoch < -kEpochDifference
        || secondsSinceEpoch > INT64_MAX / kTicksPerSecond - kEpochDifference)
        return std::nullopt;
    const auto ticks = static_cast<std::uint64_t>(secondsSinceEpoch + kEpochDifference)
        * static_cast<std::uint64_t>(kTicksPerSecond);
    const FILETIME when{ static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
    SYSTEMTIME utc{};
    if (!::FileTimeToSystemTime(&when, &utc))
        return std::nullopt;
    // The zone's rules for that year (the system keeps them per year), so a picture from a summer
    // with other daylight-saving dates keeps its hour and its day. Most of a folder's files share
    // a year, so the rules of the last year asked for are kept at hand.
    thread_local WORD rulesYear = 0;
    thread_local TIME_ZONE_INFORMATION rules{};
    if (rulesYear != utc.wYear) {
        if (!::GetTimeZoneInformationForYear(utc.wYear, nullptr, &rules)) {
            rulesYear = 0;
            return std::nullopt;
        }
        rulesYear = utc.wYear;
    }
    SYSTEMTIME local{};
    if (!::SystemTimeToTzSpecificLocalTime(&rules, &utc, &local))
        return std::nullopt;
    return LocalDateTime{ local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
        local.wSecond };
}

} // namespace snapvale
