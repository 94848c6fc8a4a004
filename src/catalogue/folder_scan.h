#pragma once

// The catalogue of the image folder: its TGA files, the date key of each, and the distinct
// dates, newest first.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "os/file_system.h"

namespace snapvale {

struct LocalDateTime;

// What tells one version of a file from another without reading it.
struct FileStamp
{
    std::int64_t modified = 0; // seconds since 1970-01-01 UTC
    std::int32_t nanoseconds = 0; // below the second, where the system keeps them
    std::int64_t size = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp StampOf(const FolderFile& file);

struct Catalogue
{
    std::vector<std::string> FileNames; // bare names, in folder order
    std::vector<std::string> FileDates; // FileDates[i] is the date key of FileNames[i]
    std::vector<FileStamp> FileStamps; // FileStamps[i]: FileNames[i] as it was listed
    std::vector<std::string> DateList; // distinct date keys, newest first
    // The indexes into FileNames of each date's files, in folder order, so that opening a date
    // touches only its own files.
    std::unordered_map<std::string, std::vector<std::size_t>> FilesByDate;

    // The indexes of the files of `date`; none for a date without files.
    const std::vector<std::size_t>& FilesOf(const std::string& date) const;
    // The index of the file called `name`, exactly as spelt; nothing when there is none.
    std::optional<std::size_t> Find(std::string_view name) const;
    // Where the file `file` (an index into FileNames) stands among the files of its date.
    std::size_t PlaceInDate(std::size_t file) const;
};

// Whether the folder lists a file called `a` before one called `b`: by name with ASCII letters
// folded to capitals, compared as bytes, the exact text breaking ties, as Windows lists a folder.
bool ListedBefore(std::string_view a, std::string_view b);

// Whether a directory entry name is catalogued: it ends in ".tga" in any letter case and is not
// hidden (does not start with ".").
bool IsCataloguedName(std::string_view name);

// "YYYY/MM/DD", always with "/" whatever the locale.
std::string DateKey(const LocalDateTime& time);

// "yyyy/mm/dd hh:mm:ss" on the 24-hour clock.
std::string DateTimeText(const LocalDateTime& time);

// The modification date and time of the file at `path` as DateTimeText; nothing when the file
// cannot be queried (for example deleted since the scan).
std::optional<std::string> FileDateTimeText(
    const std::string& path, FileSystem& fs = FileSystem::Default());

// Replaces FileNames, FileDates, FileStamps and FilesByDate with the files of a folder listing,
// in any order, their local-time date keys, their stamps and the index by date. The files are put
// in folder order (ListedBefore). A file whose time cannot be written as a four-digit year is
// left out.
// Returns the last index (number of files - 1), or -1 when no file is left; DateList is replaced
// only when a file was left and is otherwise left as it was.
int BuildCatalogue(std::vector<FolderFile> listing, Catalogue& catalogue);

// BuildCatalogue on the catalogued regular files directly in `imageFolder` (ending in a
// separator). A folder that does not exist gives -1.
int ScanFolder(
    const std::string& imageFolder, Catalogue& catalogue, FileSystem& fs = FileSystem::Default());

} // namespace snapvale
