#include "qt/folder_watcher.h"

#include <algorithm>
#include <unordered_set>

#include <QEvent>

#include "qt/qt_text.h"

namespace snapvale {

namespace {

// The folder as the system's watcher names it: without its trailing separator, except a root.
QString WatchPath(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return PathToQString(path);
}

} // namespace

FolderWatcher::FolderWatcher(FileSystem& fs, QObject* parent)
    : QObject(parent)
    , fs_(fs)
    , cancel_(std::make_shared<std::atomic<bool>>(false))
{
    pool_.setMaxThreadCount(1);
    listTimer_.setSingleShot(true);
    pollTimer_.setInterval(kPollInterval);
    fallbackTimer_.setInterval(kFallbackInterval);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        // The system drops its watch when the folder itself goes: deleted, or its file system
        // unmounted.
        if (present_ && !IsWatching())
            GoneAway();
        else
            ListSoon(kNoticeDelay);
    });
    connect(&listTimer_, &QTimer::timeout, this, [this] {
        if (!busy_)
            StartListing();
    });
    connect(&pollTimer_, &QTimer::timeout, this, [this] {
        if (!busy_)
            StartPoll();
    });
    connect(&presenceTimer_, &QTimer::timeout, this, [this] {
        checkWanted_ = true;
        if (!busy_)
            StartCheck();
    });
    connect(&fallbackTimer_, &QTimer::timeout, this, [this] { ListSoon(Clock::duration::zero()); });
    if (auto* widget = qobject_cast<QWidget*>(parent)) {
        window_ = widget->window();
        window_->installEventFilter(this);
    }
}

FolderWatcher::~FolderWatcher()
{
    *cancel_ = true;
    // The running job posts its result to this object, which must outlive it.
    pool_.waitForDone();
}

void FolderWatcher::Watch(const std::string& folder, std::shared_ptr<const Catalogue> shown)
{
    ++generation_;
    *cancel_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    folder_ = folder;
    shown_ = std::move(shown);
    settling_.Clear();
    listingWanted_ = false;
    checkWanted_ = false;
    listTimer_.stop();
    pollTimer_.stop();
    Unwatch();
    present_ = !folder_.empty() && fs_.IsFolder(folder_);
    WatchFolder();
    FollowWindow();
}

void FolderWatcher::Refresh()
{
    Unwatch();
    WatchFolder();
    ListSoon(Clock::duration::zero());
}

void FolderWatcher::WatchFolder()
{
    if (IsWatching() || folder_.empty() || !fs_.IsFolder(folder_))
        return;
    watcher_.addPath(WatchPath(folder_));
}

void FolderWatcher::Unwatch()
{
    if (const QStringList watched = watcher_.directories(); !watched.isEmpty())
        watcher_.removePaths(watched);
}

void FolderWatcher::ListSoon(Clock::duration delay)
{
    listingWanted_ = true;
    // A listing under way is followed by another when it ends.
    if (busy_)
        return;
    const Clock::time_point at = std::max(Clock::now() + delay, nextListing_);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now());
    const int ms = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
    // A listing already due keeps its time; a notice never puts it off.
    if (!listTimer_.isActive() || listTimer_.remainingTime() > ms)
        listTimer_.start(ms);
}

void FolderWatcher::StartListing()
{
    busy_ = true;
    listingWanted_ = false;
    const Clock::time_point started = Clock::now();
    nextListing_ = started + kListingInterval;
    // The slow listing is due only once the folder has gone unlisted for its interval.
    if (fallbackTimer_.isActive())
        fallbackTimer_.start();
    // A listing that finds nothing new leaves its catalogue on the worker, unless the folder
    // comes back with it.
    const bool keepSame = present_;
    pool_.start([this, generation = generation_, folder = folder_, shown = shown_, cancel = cancel_,
                    &fs = fs_, started, keepSame] {
        std::shared_ptr<Catalogue> catalogue;
        CatalogueChanges changes;
        const bool present = fs.IsFolder(folder);
        if (present) {
            // A watcher going away stops the listing at the next name; the result is dropped.
            std::vector<FolderFile> listing = fs.ListFolder(folder,
                [&cancel](std::string_view name) { return !*cancel && IsCataloguedName(name); });
            catalogue = std::make_shared<Catalogue>();
            BuildCatalogue(std::move(listing), *catalogue);
            changes = DiffCatalogues(*shown, *catalogue);
            if (keepSame && changes.empty())
                catalogue.reset();
        }
        const Clock::duration took = Clock::now() - started;
        QMetaObject::invokeMethod(
            this,
            [this, generation, present, catalogue = std::move(catalogue),
                changes = std::move(changes), took]() mutable {
                Listed(generation, present, std::move(catalogue), std::move(changes), took);
            },
            Qt::QueuedConnection);
    });
}

void FolderWatcher::Listed(unsigned generation, bool present,
    std::shared_ptr<const Catalogue> catalogue, CatalogueChanges changes, Clock::duration took)
{
    busy_ = false;
    if (generation == generation_) {
        nextListing_ = std::max(nextListing_, Clock::now() + took);
        if (!present) {
            if (present_)
                GoneAway();
        } else if (!present_) {
            present_ = true;
            shown_ = catalogue;
            settling_.Clear();
            FollowWindow();
            emit Back(catalogue);
        } else if (catalogue) {
            shown_ = catalogue;
            std::vector<std::size_t> fresh = changes.newFiles;
            fresh.insert(fresh.end(), changes.changedFiles.begin(), changes.changedFiles.end());
            settling_.Listed(*catalogue, fresh, Clock::now());
            if (!changes.empty())
                emit Changed(catalogue, changes);
        }
    }
    WorkDone();
}

void FolderWatcher::StartPoll()
{
    if (settling_.empty()) {
        pollTimer_.stop();
        return;
    }
    busy_ = true;
    const std::vector<std::string> names = settling_.Names();
    pool_.start([this, generation = generation_, folder = folder_,
                    names = std::unordered_set<std::string>(names.begin(), names.end()),
                    cancel = cancel_, &fs = fs_] {
        const bool present = fs.IsFolder(folder);
        // Reading the folder's names costs little beside the status of every file.
        std::vector<FolderFile> found;
        if (present)
            found = fs.ListFolder(folder, [&](std::string_view name) {
                return !*cancel && names.contains(std::string(name));
            });
        QMetaObject::invokeMethod(
            this,
            [this, generation, present, found = std::move(found)] {
                Polled(generation, present, found);
            },
            Qt::QueuedConnection);
    });
}

void FolderWatcher::Polled(unsigned generation, bool present, const std::vector<FolderFile>& found)
{
    busy_ = false;
    if (generation == generation_) {
        if (!present) {
            if (present_)
                GoneAway();
        } else {
            const std::size_t settling = settling_.SettlingCount();
            if (settling_.Polled(found, Clock::now()))
                listingWanted_ = true;
            if (settling_.SettlingCount() < settling)
                emit Settled();
        }
    }
    WorkDone();
}

void FolderWatcher::StartCheck()
{
    busy_ = true;
    checkWanted_ = false;
    pool_.start([this, generation = generation_, folder = folder_, &fs = fs_] {
        const bool present = fs.IsFolder(folder);
        QMetaObject::invokeMethod(
            this, [this, generation, present] { Checked(generation, present); },
            Qt::QueuedConnection);
    });
}

void FolderWatcher::Checked(unsigned generation, bool present)
{
    busy_ = false;
    if (generation == generation_) {
        if (present_ && !present) {
            GoneAway();
        } else if (!present_ && present) {
            // Watched before it is listed, so that no file written meanwhile is missed.
            WatchFolder();
            ListSoon(Clock::duration::zero());
        }
    }
    WorkDone();
}

void FolderWatcher::GoneAway()
{
    ++generation_;
    *cancel_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    present_ = false;
    Unwatch();
    shown_ = std::make_shared<const Catalogue>();
    settling_.Clear();
    listingWanted_ = false;
    checkWanted_ = false;
    listTimer_.stop();
    pollTimer_.stop();
    FollowWindow();
    emit Gone();
}

void FolderWatcher::WorkDone()
{
    if (checkWanted_ && !busy_)
        StartCheck();
    if (listingWanted_)
        ListSoon(Clock::duration::zero());
    if (settling_.empty())
        pollTimer_.stop();
    else if (!pollTimer_.isActive())
        pollTimer_.start();
}

void FolderWatcher::FollowWindow()
{
    const bool shown = !window_ || (window_->isVisible() && !window_->isMinimized());
    if (folder_.empty() || !shown) {
        presenceTimer_.stop();
        fallbackTimer_.stop();
        return;
    }
    const int presence =
        static_cast<int>((present_ ? kPresenceInterval : kMissingInterval).count());
    if (!presenceTimer_.isActive() || presenceTimer_.interval() != presence)
        presenceTimer_.start(presence);
    if (!present_)
        fallbackTimer_.stop();
    else if (!fallbackTimer_.isActive())
        fallbackTimer_.start();
}

bool FolderWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_
        && (event->type() == QEvent::Show || event->type() == QEvent::Hide
            || event->type() == QEvent::WindowStateChange)) {
        // Asked once the window has taken its new state.
        QMetaObject::invokeMethod(this, &FolderWatcher::FollowWindow, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace snapvale
