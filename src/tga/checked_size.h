#pragma once

// Size arithmetic that says so instead of wrapping, for sizes taken from untrusted files.

#include <cstddef>
#include <limits>
#include <optional>

namespace snapvale {

inline std::optional<std::size_t> CheckedMultiply(std::size_t a, std::size_t b)
{
    if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a)
        return std::nullopt;
    return a * b;
}

} // namespace snapvale
