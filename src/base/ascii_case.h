#pragma once

// Letter case as Windows file and settings names treat it: the ASCII letters fold, every other
// byte (including the bytes of multi-byte characters) stays as it is.

#include <string_view>

namespace snapvale {

inline constexpr char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

} // namespace snapvale
