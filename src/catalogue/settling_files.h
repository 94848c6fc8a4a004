#pragma once

// Files that changed lately and may still be being written. A folder's change notices tell of
// names coming and going and of times being set, but not of a file growing while it is written,
// so each new or changed file is polled until it has kept one stamp for a while; a file found
// with a stamp other than the one last listed, once it has kept it for the quiet period, calls
// for the folder to be listed again, which brings the tree and the pictures up to date.

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/folder_scan.h"

namespace snapvale {

class SettlingFiles
{
public:
    using Clock = std::chrono::steady_clock;

    // How long a file keeps one stamp before it counts as written.
    static constexpr Clock::duration kQuietPeriod = std::chrono::milliseconds(300);
    // How long a file that kept its stamp is still polled: a writer may pause in the middle.
    static constexpr Clock::duration kWatchPeriod = std::chrono::seconds(5);

    // A listing of the folder, now `catalogue`, found the files at these indexes new or changed:
    // each is being written until a poll finds otherwise.
    void Listed(
        const Catalogue& catalogue, const std::vector<std::size_t>& files, Clock::time_point now);
    // Forgets every file, for a folder listed anew.
    void Clear() { files_.clear(); }

    bool empty() const { return files_.empty(); }
    // The names to poll.
    std::vector<std::string> Names() const;

    // What a poll at `now` found of the files of Names() (those still there, in any order). True
    // when the folder is to be listed again. Files that kept their stamp for the watch period, and
    // files no longer there, are polled no more.
    bool Polled(const std::vector<FolderFile>& found, Clock::time_point now);

    // Whether the file may still be being written: it was listed new or changed, and no poll has
    // seen it keep the stamp that was listed for the quiet period since.
    bool IsSettling(const std::string& name) const;
    // How many files IsSettling holds for.
    std::size_t SettlingCount() const;

private:
    struct File
    {
        FileStamp listed; // in the catalogue shown
        FileStamp seen; // at the last poll
        Clock::time_point seenSince;
        bool written = false; // kept the listed stamp for the quiet period
    };
    std::unordered_map<std::string, File> files_;
};

} // namespace snapvale
