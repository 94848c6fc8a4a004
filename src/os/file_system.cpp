#include "os/file_system.h"

#include <random>

namespace snapvale {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
#else
constexpr std::string_view kSeparators = "/";
#endif

} // namespace

std::string FolderOf(const std::string& path)
{
    const std::size_t last = path.find_last_of(kSeparators);
    if (last == std::string::npos)
        return ".";
    std::size_t end = last;
    // Separators written twice in a row belong to the same boundary.
    while (end > 0 && kSeparators.find(path[end - 1]) != std::string_view::npos)
        --end;
    if (end == 0)
        return path.substr(0, 1);
#ifdef _WIN32
    // "C:\" is a root; "C:" alone would mean the drive's working folder.
    if (path[end - 1] == ':')
        return path.substr(0, end + 1);
#endif
    return path.substr(0, end);
}

std::string UniqueSuffix()
{
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i)
        suffix += kLetters[pick(random)];
    return suffix;
}

} // namespace snapvale
