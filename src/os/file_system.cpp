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

std::string TemporaryPathBeside(const std::string& target)
{
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr std::size_t kSuffixLength = 7; // "." and six letters and digits
    const std::size_t last = target.find_last_of(kSeparators);
    const std::size_t nameStart = last == std::string::npos ? 0 : last + 1;
    std::size_t nameEnd = target.size();
    if (nameEnd - nameStart > kMaxTemporaryNameLength - kSuffixLength) {
        nameEnd = nameStart + kMaxTemporaryNameLength - kSuffixLength;
        // Not inside a character: UTF-8 continuation bytes are 10xxxxxx.
        while (nameEnd > nameStart && (static_cast<unsigned char>(target[nameEnd]) & 0xC0) == 0x80)
            --nameEnd;
    }

    thread_local std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string path = target.substr(0, nameEnd);
    path += '.';
    for (std::size_t i = 1; i < kSuffixLength; ++i)
        path += kLetters[pick(random)];
    return path;
}

} // namespace snapvale
