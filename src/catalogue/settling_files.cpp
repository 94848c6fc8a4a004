#include "catalogue/settling_files.h"

namespace snapvale {

void SettlingFiles::Listed(
    const Catalogue& catalogue, const std::vector<std::size_t>& files, Clock::time_point now)
{
    for (const std::size_t i : files) {
        const FileStamp stamp = catalogue.FileStamps[i];
        files_[catalogue.FileNames[i]] = { stamp, stamp, now };
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
        // A file is let go only once the tree knows its last stamp.
        if (now - file.seenSince < kWatchPeriod || file.seen != file.listed)
            still.emplace(entry.name, file);
    }
    files_ = std::move(still);
    return listAgain;
}

} // namespace snapvale
