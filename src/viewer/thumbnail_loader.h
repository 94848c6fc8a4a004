#pragma once

// Makes thumbnails on worker threads: each file decoded and scaled to its cell off the UI
// thread, the result handed back on the UI thread. The work waits in a queue of the loader's own
// and at most one job a worker runs at a time, so work that is no longer wanted (a date no longer
// shown, a cell scrolled out of sight) is dropped before it starts, and ending the loader waits
// only for the few jobs already running, never for the queue.

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>

namespace snapvale {

// The picture of the TGA file at `path` scaled smoothly into a cell of `size`: the whole cell
// when its shape is close to the cell's, else in its own shape (ThumbnailSize), as Format_RGB32;
// a null image when the file gives no picture. Safe on any thread.
QImage MakeThumbnail(const std::string& path, QSize size);

class ThumbnailLoader : public QObject
{
    Q_OBJECT

public:
    // What makes one thumbnail, on a worker: MakeThumbnail, or what a test puts in its place.
    using Maker = std::function<QImage(const std::string& path, QSize size)>;

    explicit ThumbnailLoader(QObject* parent = nullptr, Maker make = MakeThumbnail);
    // Drops the queue and waits for the jobs already running.
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

    void StartJobs();
    void Finished(unsigned id, const QImage& thumbnail);

    Maker make_;
    QThreadPool pool_;
    std::deque<Job> queue_;
    std::vector<std::pair<unsigned, int>> running_; // job and cell, for jobs still wanted
    int started_ = 0; // jobs handed to the pool and not finished
    unsigned nextId_ = 0;
};

template <typename Predicate> void ThumbnailLoader::DropQueued(Predicate drop)
{
    std::erase_if(queue_, [&drop](const Job& job) { return drop(job.cell); });
}

} // namespace snapvale
