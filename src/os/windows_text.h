#pragma once

// Text crossing into and out of the Windows API: the core holds UTF-8, the system's wide calls
// take UTF-16. Only the Windows implementation files use these.

#include <optional>
#include <string>
#include <string_view>

namespace snapvale {

// `utf8` as UTF-16; nothing when it is not valid UTF-8 or holds a NUL, which no path may.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);

// `wide` as UTF-8; nothing when it holds a lone surrogate, which has no UTF-8 form (such a name
// could not be found again from what the core would hold).
std::optional<std::string> Utf8FromWide(std::wstring_view wide);

// The system's own message for the error code `error` (a GetLastError value), in UTF-8 and in the
// user's language, without its closing line end; the code in hexadecimal where the system has no
// message for it.
std::string SystemErrorText(unsigned long error);

} // namespace snapvale
