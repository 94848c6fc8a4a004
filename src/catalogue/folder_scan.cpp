#include "catalogue/folder_scan.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "base/ascii_case.h"
#include "catalogue/array_sort.h"
#include "os/local_time.h"

namespace {

constexpr std::string_view kExtension = ".tga";

// Years outside 0..9999 would give keys of another width, which no longer sort as text.
bool HasFourDigitYear(const snapvale::LocalDateTime& time)
{
    return time.year >= 0 && time.year <= 9999;
}

} // namespace

namespace snapvale {

bool IsCataloguedName(std::string_view name)
{
    if (name.size() < kExtension.size() || name.front() == '.')
        return false;
    const std::string_view tail = name.substr(name.size() - kExtension.size());
    return EqualIgnoringAsciiCase(tail, kExtension);
}

std::string DateKey(const LocalDateTime& time)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", time.year, time.month, time.day);
    return text;
}

std::string DateTimeText(const LocalDateTime& time)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", time.year, time.month,
        time.day, time.hour, time.minute, time.second);
    return text;
}

std::optional<std::string> FileDateTimeText(const std::string& path, FileSystem& fs)
{
    const std::optional<std::int64_t> modified = fs.ModificationTime(path);
    if (!modified)
        return std::nullopt;
    const std::optional<LocalDateTime> time = ToLocalDateTime(*modified);
    if (!time)
        return std::nullopt;
    return DateTimeText(*time);
}

FileStamp StampOf(const FolderFile& file)
{
    return { file.modified, file.modifiedNanoseconds, file.size };
}

bool ListedBefore(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(AsciiUpper(a[i]));
        const auto y = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::optional<std::size_t> Catalogue::Find(std::string_view name) const
{
    const auto found = std::lower_bound(FileNames.begin(), FileNames.end(), name,
        [](const std::string& file, std::string_view wanted) {
            return ListedBefore(file, wanted);
        });
    if (found == FileNames.end() || *found != name)
        return std::nullopt;
    return static_cast<std::size_t>(found - FileNames.begin());
}

const std::vector<std::size_t>& Catalogue::FilesOf(const std::string& date) const
{
    static const std::vector<std::size_t> none;
    const auto files = FilesByDate.find(date);
    return files == FilesByDate.end() ? none : files->second;
}

std::size_t Catalogue::PlaceInDate(std::size_t file) const
{
    const std::vector<std::size_t>& files = FilesOf(FileDates[file]);
    return static_cast<std::size_t>(
        std::lower_bound(files.begin(), files.end(), file) - files.begin());
}

int BuildCatalogue(std::vector<FolderFile> files, Catalogue& catalogue)
{
    catalogue.FileNames.clear();
    catalogue.FileDates.clear();
    catalogue.FileStamps.clear();
    catalogue.FilesByDate.clear();

    // The order of ListedBefore: Windows lists a folder by name ignoring letter case, folded to
    // capitals as NTFS compares names (so "_" sorts after the letters); the exact text breaks
    // ties. The folded names are made once, so the sort compares plain bytes.
    struct Entry
    {
        std::string folded;
        FolderFile* file;
    };
    std::vector<Entry> order;
    order.reserve(files.size());
    for (FolderFile& file : files) {
        std::string folded = file.name;
        for (char& c : folded)
            c = AsciiUpper(c);
        order.push_back({ std::move(folded), &file });
    }
    std::sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) {
        if (const int byFolded = a.folded.compare(b.folded))
            return byFolded < 0;
        return a.file->name < b.file->name;
    });

    catalogue.FileNames.reserve(files.size());
    catalogue.FileDates.reserve(files.size());
    catalogue.FileStamps.reserve(files.size());
    for (const Entry& entry : order) {
        FolderFile& file = *entry.file;
        const std::optional<LocalDateTime> time = ToLocalDateTime(file.modified);
        if (!time || !HasFourDigitYear(*time))
            continue;
        catalogue.FileStamps.push_back(StampOf(file));
        catalogue.FileNames.push_back(std::move(file.name));
        catalogue.FileDates.push_back(DateKey(*time));
    }
    if (catalogue.FileNames.empty())
        return -1;

    // Distinct keys in order of first appearance, then oldest first, then newest first.
    std::vector<std::string> dates;
    for (std::size_t i = 0; i < catalogue.FileDates.size(); ++i) {
        std::vector<std::size_t>& ofDate = catalogue.FilesByDate[catalogue.FileDates[i]];
        if (ofDate.empty())
            dates.push_back(catalogue.FileDates[i]);
        ofDate.push_back(i);
    }
    QuickSortDates(dates, 0, static_cast<int>(dates.size()) - 1);
    std::reverse(dates.begin(), dates.end());
    catalogue.DateList = std::move(dates);
    return static_cast<int>(catalogue.FileNames.size()) - 1;
}

int ScanFolder(const std::string& imageFolder, Catalogue& catalogue, FileSystem& fs)
{
    return BuildCatalogue(fs.ListFolder(imageFolder, IsCataloguedName), catalogue);
}

} // namespace snapvale
