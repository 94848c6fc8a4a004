#include "catalogue/settling_files.h"

#include <algorithm>

namespace snapvale {

void SettlingFiles::Listed(
    const Catalogue& catalogue, const std::vector<std::size_t>& files, Clock::time_point now)
{
    for (const std::size_t i : files) {
        const FileStamp stamp = catalogue.FileStamps[i];
        files_[catalogue.FileNames[i]] = { stamp, stamp, now, false };
    }
}

std::vector<std::string> SettlingFiles::Names() const
{
    std::vector<std::string> names;
    names.reserve(files_.size());
    for (const auto& [name, file] : files_)
        names.push_back(name);
    return names;
}

bool SettlingFiles::Polled(const std::vector<FolderFile>& found, Clock::time_point now)
{
    std::unordered_map<std::string, File> still;
    bool listAgain = false;
    for (const FolderFile& entry : found) {
        const auto tracked = files_.find(entry.name);
        if (tracked == files_.end())
            continue;
        File file = tracked->second;
        const FileStamp stamp = StampOf(entry);
        if (stamp != file.seen) {
            file.seen = stamp;
            file.seenSince = now;
        }
        const bool quiet = now - file.seenSince >= kQuietPeriod;
        if (quiet && file.seen != file.listed)
            listAgain = true;
        file.written = quiet && file.seen == file.listed;
        // A file is let go only once the tree knows its last stamp.
        if (now - file.seenSince < kWatchPeriod || file.seen != file.listed)
            still.emplace(entry.name, file);
    }
    files_ = std::move(still);
    return listAgain;
}

bool SettlingFiles::IsSettling(const std::string& name) const
{
    const auto tracked = files_.find(name);
    return tracked != files_.end() && !tracked->second.written;
}

std::size_t SettlingFiles::SettlingCount() const
{
    return static_cast<std::size_t>(std::count_if(
        files_.begin(), files_.end(), [](const auto& entry) { return !entry.second.written; }));
}

} // namespace snapvale
