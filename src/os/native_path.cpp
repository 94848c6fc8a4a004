#include "os/native_path.h"

#ifdef _WIN32
#include "os/windows_text.h"
#endif

namespace snapvale {

std::filesystem::path NativePath(const std::string& path)
{
#ifdef _WIN32
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    return wide ? std::filesystem::path(*wide) : std::filesystem::path();
#else
    return std::filesystem::path(path);
#endif
}

std::string PathText(const std::filesystem::path& path)
{
#ifdef _WIN32
    return Utf8FromWide(path.native()).value_or(std::string());
#else
    return path.native();
#endif
}

} // namespace snapvale
