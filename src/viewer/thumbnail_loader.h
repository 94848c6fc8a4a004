#pragma once

// Makes thumbnails on worker threads: each file decoded and scaled to its cell off the UI
// thread, the result handed back on the UI thread. The work waits in a queue of the loader's own
// and at most one job a worker runs at a time, so work that is no longer wanted (a date no longer
// shown, a cell scrolled out of sight) is dropped before it starts, and ending the loader waits
// only for the few jobs already running, never for the queue.
//
// The decodes in flight share a memory budget whatever the number of workers: a job whose
// picture does not fit beside those being made waits for room on its worker, and the jobs after
// it wait behind it. A picture larger than the whole budget is made alone.

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>

namespace snapvale {

// Room for about two pictures of the largest size the decoder takes (8192 x 8192).
inline constexpr std::size_t kThumbnailMemoryBudget = std::size_t{ 512 } << 20;

// The picture of the TGA file at `path` scaled smoothly to `size` (aspect not kept), as
// Format_RGB32; a null image when the file gives no picture. Safe on any thread.
QImage MakeThumbnail(const std::string& path, QSize size);
// The most memory MakeThumbnail holds for the file at `path` at once: its picture and the
// picture's box reduction, at the size the file's header claims; 0 when the header claims no
// picture the decoder takes. Reads only the header. Safe on any thread.
std::size_t ThumbnailMemory(const std::string& path);

class ThumbnailLoader : public QObject
{
    Q_OBJECT

public:
    // What makes one thumbnail, on a worker, and what tells the memory that takes beforehand:
    // MakeThumbnail and ThumbnailMemory, or what a test puts in their place.
    using Maker = std::function<QImage(const std::string& path, QSize size)>;
    using Measure = std::function<std::size_t(const std::string& path)>;

    explicit ThumbnailLoader(
        QObject* parent = nullptr, Maker make = MakeThumbnail, Measure measure = ThumbnailMemory);
    // Drops the queue and the jobs waiting for room, and waits for the jobs making pictures.
    ~ThumbnailLoader() override;

    // Queues the thumbnail of cell `cell` after what is queued.
    void Queue(int cell, std::string path, QSize size);
    // Drops every queued cell for which `drop` is true.
    template <typename Predicate> void DropQueued(Predicate drop);
    // Drops the queue and forgets the jobs running: their results are never delivered. For a new
    // set of cells.
    void Clear();
    // Drops the cell's queued work and forgets its running job, whose file has changed.
    void Forget(int cell);
    // The cells were numbered anew: cell `c` is now `renumber(c)`, or gone when that is negative.
    // Queued and running work follows its cell; a running job of a cell gone is forgotten.
    void Renumber(const std::function<int(int)>& renumber);

    // Whether the cell is queued or its job is running (and will be delivered).
    bool IsPending(int cell) const;
    bool IsIdle() const { return queue_.empty() && running_.empty(); }
    // The jobs handed to the workers and not yet finished, forgotten ones included: never more
    // than Workers(), which is what ending the loader may wait for.
    int Running() const { return started_; }
    int Workers() const { return pool_.maxThreadCount(); }

signals:
    // On the UI thread: the cell's thumbnail, null when its file gives no picture.
    void Loaded(int cell, const QImage& thumbnail);

private:
    struct Job
    {
        unsigned id;
        int cell;
        std::string path;
        QSize size;
    };
    struct RunningJob
    {
        unsigned id;
        int cell;
        // Cleared when the job's result is no longer wanted; a job still waiting for room then
        // makes nothing.
        std::shared_ptr<std::atomic<bool>> wanted;
    };
    class Budget;

    void StartJobs();
    void Finished(unsigned id, const QImage& thumbnail);
    // Stops waiting for the jobs running_ no longer holds.
    void Drop(RunningJob& job);

    Maker make_;
    Measure measure_;
    std::unique_ptr<Budget> budget_;
    QThreadPool pool_;
    std::deque<Job> queue_;
    std::vector<RunningJob> running_; // jobs still wanted
    int started_ = 0; // jobs handed to the pool and not finished
    unsigned nextId_ = 0;
};

template <typename Predicate> void ThumbnailLoader::DropQueued(Predicate drop)
{
    std::erase_if(queue_, [&drop](const Job& job) { return drop(job.cell); });
}

} // namespace snapvale
