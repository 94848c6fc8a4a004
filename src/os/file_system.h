#pragma once

// Reading a folder's file names and modification times from the operating system.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snapvale {

// A calendar time in the local time zone.
struct LocalDateTime
{
    int year = 0; // four digits for the times the catalogue shows, e.g. 2004
    int month = 0; // 1 to 12
    int day = 0; // 1 to 31
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;
};

struct FolderFile
{
    std::string name; // bare name, as the file system spells it
    std::int64_t modified = 0; // last modification, seconds since 1970-01-01 UTC
};

// The regular files directly in `folder` (with or without a trailing separator) whose names
// `accept` admits, with their modification times; a link counts as the file it points to, and
// sub-folders are not searched. `accept` sees every name before the file is looked at, so it
// keeps the status queries down. Entries that are not regular files, dangling links and files
// that vanish while the folder is read are left out. The order is the file system's own, which
// may be none at all. A folder that does not exist or cannot be read yields no files.
std::vector<FolderFile> ListFolderFiles(
    const std::string& folder, const std::function<bool(std::string_view)>& accept);

// `secondsSinceEpoch` in the local time zone (the TZ environment variable when set); nothing
// when the system cannot convert it.
std::optional<LocalDateTime> ToLocalDateTime(std::int64_t secondsSinceEpoch);

// The last modification time of the file at `path` (links followed), in local time; nothing
// when the file does not exist or cannot be queried.
std::optional<LocalDateTime> FileModificationTime(const std::string& path);

} // namespace snapvale
