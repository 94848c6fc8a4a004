#include "os/windows_text.h"

#include <climits>
#include <cstdio>
#include <windows.h>

namespace snapvale {

std::optional<std::wstring> WideFromUtf8(std::string_view utf8)
{
    if (utf8.empty())
        return std::wstring();
    if (utf8.size() > INT_MAX || utf8.find('\0') != std::string_view::npos)
        return std::nullopt;
    const int length = static_cast<int>(utf8.size());
    const int wanted =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wanted <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(wanted), L'\0');
    if (::MultiByteToWideChar(
            CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), wanted)
        != wanted)
        return std::nullopt;
    return wide;
}

std::optional<std::string> Utf8FromWide(std::wstring_view wide)
{
    if (wide.empty())
        return std::string();
    if (wide.size() > INT_MAX)
        return std::nullopt;
    const int length = static_cast<int>(wide.size());
    const int wanted = ::WideCharToMultiByte(
        CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (wanted <= 0)
        return std::nullopt;
    std::string utf8(static_cast<std::size_t>(wanted), '\0');
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, utf8.data(),
            wanted, nullptr, nullptr)
        != wanted)
        return std::nullopt;
    return utf8;
}

std::string SystemErrorText(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring_view message(text, text ? length : 0);
    while (!message.empty()
        && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.remove_suffix(1);
    std::optional<std::string> utf8 = Utf8FromWide(message);
    ::LocalFree(text);
    if (utf8 && !utf8->empty())
        return *utf8;
    char code[32];
    std::snprintf(code, sizeof code, "system error 0x%08lX", error);
    return code;
}

} // namespace snapvale
