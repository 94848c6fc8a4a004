#pragma once

// Keeps a catalogue of the image folder up to date while the program runs. The system tells of
// names coming and going and of times being set in the folder (Qt's file-system watcher); the
// folder is then listed again on a worker thread, the listing compared with the catalogue last
// told, and the changes told on the UI thread. A burst of notices is taken in one listing, and
// listings follow each other no faster than a few times a second, so the UI thread only ever
// applies a small edit. Files that changed lately are polled until they have stopped changing
// (SettlingFiles), since a file growing as it is written raises no notice.
//
// Notices do not tell everything: none comes for a file written over in place (Qt watches a
// folder for names and times only), for the folder itself renamed away, from a share that sends
// none, or at all when the system refuses the watch (its quota used up). So, while the window is
// shown, the folder's path is also looked at every half second and the folder listed every few
// seconds, both on the worker. When the folder goes away (deleted, renamed, unmounted) Gone is
// told, and its path is looked at every few seconds; once a folder is there again it is watched
// and listed, and Back tells its files.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

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
    // How often the path is looked at while the folder is there, and while it is missing.
    static constexpr std::chrono::milliseconds kPresenceInterval{ 500 };
    static constexpr std::chrono::milliseconds kMissingInterval{ 2000 };
    // How long the folder goes unlisted at most, notices or none.
    static constexpr std::chrono::milliseconds kFallbackInterval{ 3000 };

    // `fs` must outlive the watcher. When `parent` is a widget, the looks that no notice asks for
    // run only while its window is shown (not hidden, not minimised).
    explicit FolderWatcher(FileSystem& fs = FileSystem::Default(), QObject* parent = nullptr);
    // Stops a listing under way and waits for it, which takes no longer than reading the
    // folder's names.
    ~FolderWatcher() override;

    // Watches `folder` (ending in a separator) from now on, whose files `shown` lists; changes are
    // told against it. Work for the folder watched before is dropped. When no folder is at the
    // path, the path is looked at until one is.
    void Watch(const std::string& folder, std::shared_ptr<const Catalogue> shown);
    // Lists the folder again now, and asks the system anew to watch it: a watch it refused
    // before, or one left on a folder renamed away from the path, is asked for again.
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
    // On the UI thread: the folder went away; its catalogue is empty from now on.
    void Gone();
    // On the UI thread: a folder is at the path again (or for the first time since Watch), and
    // these are its files; later changes are told against them.
    void Back(const std::shared_ptr<const Catalogue>& catalogue);
    // On the UI thread: files that were being written have since kept their stamps, or went.
    void Settled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Clock = std::chrono::steady_clock;

    void WatchFolder();
    void Unwatch();
    // Lists the folder once the notice delay or the listing interval has passed.
    void ListSoon(Clock::duration delay);
    void StartListing();
    void Listed(unsigned generation, bool present, std::shared_ptr<const Catalogue> catalogue,
        CatalogueChanges changes, Clock::duration took);
    void StartPoll();
    void Polled(unsigned generation, bool present, const std::vector<FolderFile>& found);
    void StartCheck();
    void Checked(unsigned generation, bool present);
    // Drops the folder's work and files, and tells so.
    void GoneAway();
    // After a listing, a poll or a check: what waits to run next.
    void WorkDone();
    // Runs the looks that no notice asks for while the window is shown, at the pace for a folder
    // there or missing.
    void FollowWindow();

    FileSystem& fs_;
    QFileSystemWatcher watcher_;
    QTimer listTimer_;
    QTimer pollTimer_;
    QTimer presenceTimer_;
    QTimer fallbackTimer_;
    QPointer<QWidget> window_;
    std::string folder_;
    std::shared_ptr<const Catalogue> shown_;
    SettlingFiles settling_;
    // Work for another folder than the one watched now, or started before it went, is dropped
    // when it comes back.
    unsigned generation_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool present_ = false; // a folder was at the path at the last look
    bool busy_ = false; // a listing, a poll or a check runs on the worker
    bool listingWanted_ = false;
    bool checkWanted_ = false;
    Clock::time_point nextListing_{};
    // One worker: listings, polls and checks run one at a time.
    QThreadPool pool_;
};

} // namespace snapvale
