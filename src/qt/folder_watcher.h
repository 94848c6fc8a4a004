#pragma once

// Keeps a catalogue of the image folder up to date while the program runs. The system tells of
// names coming and going and of times being set in the folder (Qt's file-system watcher); the
// folder is then listed again on a worker thread, the listing compared with the catalogue last
// told, and the changes told on the UI thread. A burst of notices is taken in one listing, and
// listings follow each other no faster than a few times a second, so the UI thread only ever
// applies a small edit. Files that changed lately are polled until they have stopped changing
// (SettlingFiles), since a file growing as it is written raises no notice.
//
// When the folder goes away, the listing finds nothing and the system stops watching it; Watch
// and Refresh watch it again once it is back.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include "catalogue/catalogue_changes.h"
#include "catalogue/folder_scan.h"
#include "catalogue/settling_files.h"
#include "os/file_system.h"

namespace snapvale {

class FolderWatcher : public QObject
{
    Q_OBJECT

public:
    // How soon after the first notice of a burst the folder is listed.
    static constexpr std::chrono::milliseconds kNoticeDelay{ 100 };
    // The least time from the start of one listing to the start of the next; a listing that took
    // long waits twice its own time, so the worker is idle at least half the time.
    static constexpr std::chrono::milliseconds kListingInterval{ 250 };
    // How often files that changed lately are looked at.
    static constexpr std::chrono::milliseconds kPollInterval{ 150 };

    // `fs` must outlive the watcher.
    explicit FolderWatcher(FileSystem& fs = FileSystem::Default(), QObject* parent = nullptr);
    // Stops a listing under way and waits for it, which takes no longer than reading the
    // folder's names.
    ~FolderWatcher() override;

    // Watches `folder` (ending in a separator) from now on, whose files `shown` lists; changes are
    // told against it. Work for the folder watched before is dropped.
    void Watch(const std::string& folder, std::shared_ptr<const Catalogue> shown);
    // Lists the folder again now, watching it again first if it had gone and is back.
    void Refresh();

    // Whether the system is watching the folder.
    bool IsWatching() const { return !watcher_.directories().isEmpty(); }
    // Whether the folder's file `name` may still be being written (SettlingFiles::IsSettling).
    bool IsSettling(const std::string& name) const { return settling_.IsSettling(name); }

signals:
    // On the UI thread: the folder's files are now `catalogue`, to which `changes` leads from the
    // catalogue told before (or given to Watch). Not raised for a listing that found no change.
    void Changed(
        const std::shared_ptr<const Catalogue>& catalogue, const CatalogueChanges& changes);
    // On the UI thread: files that were being written have since kept their stamps, or went.
    void Settled();

private:
    using Clock = std::chrono::steady_clock;

    void WatchFolder();
    // Lists the folder once the notice delay or the listing interval has passed.
    void ListSoon(Clock::duration delay);
    void StartListing();
    void Listed(unsigned generation, std::shared_ptr<const Catalogue> catalogue,
        CatalogueChanges changes, Clock::duration took);
    void StartPoll();
    void Polled(unsigned generation, const std::vector<FolderFile>& found);
    // After a listing or a poll: what waits to run next.
    void WorkDone();

    FileSystem& fs_;
    QFileSystemWatcher watcher_;
    QTimer listTimer_;
    QTimer pollTimer_;
    std::string folder_;
    std::shared_ptr<const Catalogue> shown_;
    SettlingFiles settling_;
    // Work for another folder than the one watched now is dropped when it comes back.
    unsigned generation_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool busy_ = false; // a listing or a poll runs on the worker
    bool listingWanted_ = false;
    Clock::time_point nextListing_{};
    // One worker: listings and polls run one at a time.
    QThreadPool pool_;
};

} // namespace snapvale
