#include "qt/folder_watcher.h"

#include <algorithm>
#include <unordered_set>

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
    connect(
        &watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { ListSoon(kNoticeDelay); });
    connect(&listTimer_, &QTimer::timeout, this, [this] {
        if (!busy_)
            StartListing();
    });
    connect(&pollTimer_, &QTimer::timeout, this, [this] {
        if (!busy_)
            StartPoll();
    });
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
    listTimer_.stop();
    pollTimer_.stop();
    if (const QStringList watched = watcher_.directories(); !watched.isEmpty())
        watcher_.removePaths(watched);
    WatchFolder();
}

void FolderWatcher::Refresh()
{
    WatchFolder();
    ListSoon(Clock::duration::zero());
}

void FolderWatcher::WatchFolder()
{
    if (IsWatching() || folder_.empty() || !fs_.IsFolder(folder_))
        return;
    watcher_.addPath(WatchPath(folder_));
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
    pool_.start([this, generation = generation_, folder = folder_, shown = shown_, cancel = cancel_,
                    &fs = fs_, started] {
        // A watcher going away stops the listing at the next name; the result is dropped.
        std::vector<FolderFile> listing = fs.ListFolder(folder,
            [&cancel](std::string_view name) { return !*cancel && IsCataloguedName(name); });
        auto catalogue = std::make_shared<Catalogue>();
        BuildCatalogue(std::move(listing), *catalogue);
        CatalogueChanges changes = DiffCatalogues(*shown, *catalogue);
        const Clock::duration took = Clock::now() - started;
        QMetaObject::invokeMethod(
            this,
            [this, generation, catalogue = std::move(catalogue), changes = std::move(changes),
                took]() mutable {
                Listed(generation, std::move(catalogue), std::move(changes), took);
            },
            Qt::QueuedConnection);
    });
}

void FolderWatcher::Listed(unsigned generation, std::shared_ptr<const Catalogue> catalogue,
    CatalogueChanges changes, Clock::duration took)
{
    busy_ = false;
    if (generation == generation_) {
        nextListing_ = std::max(nextListing_, Clock::now() + took);
        shown_ = catalogue;
        std::vector<std::size_t> fresh = changes.newFiles;
        fresh.insert(fresh.end(), changes.changedFiles.begin(), changes.changedFiles.end());
        settling_.Listed(*catalogue, fresh, Clock::now());
        if (!changes.empty())
            emit Changed(catalogue, changes);
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
        // Reading the folder's names costs little beside the status of every file.
        std::vector<FolderFile> found = fs.ListFolder(folder,
            [&](std::string_view name) { return !*cancel && names.contains(std::string(name)); });
        QMetaObject::invokeMethod(
            this, [this, generation, found = std::move(found)] { Polled(generation, found); },
            Qt::QueuedConnection);
    });
}

void FolderWatcher::Polled(unsigned generation, const std::vector<FolderFile>& found)
{
    busy_ = false;
    if (generation == generation_) {
        const std::size_t settling = settling_.SettlingCount();
        if (settling_.Polled(found, Clock::now()))
            listingWanted_ = true;
        if (settling_.SettlingCount() < settling)
            emit Settled();
    }
    WorkDone();
}

void FolderWatcher::WorkDone()
{
    if (listingWanted_)
        ListSoon(Clock::duration::zero());
    if (settling_.empty())
        pollTimer_.stop();
    else if (!pollTimer_.isActive())
        pollTimer_.start();
}

} // namespace snapvale
