#include <climits>
#include <ctime>

#include "os/local_time.h"

namespace snapvale {

std::optional<LocalDateTime> ToLocalDateTime(std::int64_t secondsSinceEpoch)
{
    const auto when = static_cast<std::time_t>(secondsSinceEpoch);
    if (static_cast<std::int64_t>(when) != secondsSinceEpoch)
        return std::nullopt;
    std::tm local{};
    // The year is held as years since 1900; past INT_MAX - 1900 it has no int of its own.
    if (!::localtime_r(&when, &local) || local.tm_year > INT_MAX - 1900)
        return std::nullopt;
    return LocalDateTime{ local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
        local.tm_min, local.tm_sec };
}

} // namespace snapvale
