#include "viewer/thumbnail_loader.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <mutex>

#include <QThread>

#include "os/native_path.h"
#include "qt/picture_image.h"
#include "tga/tga_loader.h"
#include "viewer/box_reduce.h"

namespace snapvale {

QImage MakeThumbnail(const std::string& path, QSize size)
{
    std::optional<Picture> picture = LoadTGA(NativePath(path));
    if (!picture)
        return {};
    // Averaging whole blocks first leaves the smooth scale a picture of about twice the cell.
    const int factor = BoxFactor(picture->width(), picture->height(), size.width(), size.height());
    if (factor > 1) {
        if (std::optional<Picture> reduced = BoxReduce(*picture, factor))
            picture = std::move(reduced);
    }
    return ToQImage(std::move(*picture))
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

std::size_t ThumbnailMemory(const std::string& path)
{
    std::array<std::uint8_t, kTGAHeaderSize> bytes{};
    std::ifstream file(NativePath(path), std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), bytes.size()))
        return 0;
    const std::optional<TGAHeader> header = ReadTGAHeader(bytes);
    if (!header || !CheckHeader(*header))
        return 0;
    // Both sides are positive 16-bit numbers, so this cannot overflow.
    const auto pixels = static_cast<std::size_t>(header->Width) * header->Height;
    if (pixels > kMaxPicturePixels)
        return 0;
    // Four bytes a pixel, and a box reduction of at most a quarter of that.
    return pixels * 5;
}

// The memory of the decodes in flight, shared with the workers. Jobs take their room in the order
// they ask for it, so a large picture is not passed again and again by small ones.
class ThumbnailLoader::Budget
{
public:
    // Waits until `bytes` fit beside the decodes in flight (or none is in flight) and this job is
    // the first still waiting; false, without taking room, once `wanted` is cleared.
    bool Take(std::size_t bytes, const std::atomic<bool>& wanted)
    {
        std::unique_lock lock(mutex_);
        const std::uint64_t ticket = nextTicket_++;
        waiting_.push_back(ticket);
        changed_.wait(lock, [&] {
            return !wanted
                || (waiting_.front() == ticket
                    && (running_ == 0 || inUse_ + bytes <= kThumbnailMemoryBudget));
        });
        waiting_.erase(std::find(waiting_.begin(), waiting_.end(), ticket));
        // The next in line may fit too.
        changed_.notify_all();
        if (!wanted)
            return false;
        inUse_ += bytes;
        ++running_;
        return true;
    }
    void Give(std::size_t bytes)
    {
        const std::lock_guard lock(mutex_);
        inUse_ -= bytes;
        --running_;
        changed_.notify_all();
    }
    // A job's `wanted` was cleared: it stops waiting.
    void Wake()
    {
        const std::lock_guard lock(mutex_);
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint64_t> waiting_; // tickets in the order they were given
    std::uint64_t nextTicket_ = 0;
    std::size_t inUse_ = 0;
    int running_ = 0;
};

ThumbnailLoader::ThumbnailLoader(QObject* parent, Maker make, Measure measure)
    : QObject(parent)
    , make_(std::move(make))
    , measure_(std::move(measure))
    , budget_(std::make_unique<Budget>())
{
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

ThumbnailLoader::~ThumbnailLoader()
{
    queue_.clear();
    for (RunningJob& job : running_)
        Drop(job);
    // Running jobs post their results to this object, which must outlive them.
    pool_.waitForDone();
}

void ThumbnailLoader::Queue(int cell, std::string path, QSize size)
{
    queue_.push_back({ nextId_++, cell, std::move(path), size });
    StartJobs();
}

void ThumbnailLoader::Drop(RunningJob& job)
{
    *job.wanted = false;
    budget_->Wake();
}

void ThumbnailLoader::Clear()
{
    queue_.clear();
    for (RunningJob& job : running_)
        Drop(job);
    running_.clear();
}

void ThumbnailLoader::Forget(int cell)
{
    std::erase_if(queue_, [cell](const Job& job) { return job.cell == cell; });
    std::erase_if(running_, [this, cell](RunningJob& job) {
        if (job.cell != cell)
            return false;
        Drop(job);
        return true;
    });
}

void ThumbnailLoader::Renumber(const std::function<int(int)>& renumber)
{
    for (Job& job : queue_)
        job.cell = renumber(job.cell);
    for (RunningJob& job : running_)
        job.cell = renumber(job.cell);
    std::erase_if(queue_, [](const Job& job) { return job.cell < 0; });
    std::erase_if(running_, [this](RunningJob& job) {
        if (job.cell >= 0)
            return false;
        Drop(job);
        return true;
    });
}

bool ThumbnailLoader::IsPending(int cell) const
{
    return std::any_of(running_.begin(), running_.end(),
               [cell](const RunningJob& job) { return job.cell == cell; })
        || std::any_of(
            queue_.begin(), queue_.end(), [cell](const Job& job) { return job.cell == cell; });
}

void ThumbnailLoader::StartJobs()
{
    // The queue stays here until a worker is free, so it can still be reordered and dropped.
    while (!queue_.empty() && started_ < pool_.maxThreadCount()) {
        Job job = std::move(queue_.front());
        queue_.pop_front();
        auto wanted = std::make_shared<std::atomic<bool>>(true);
        running_.push_back({ job.id, job.cell, wanted });
        ++started_;
        pool_.start([this, job = std::move(job), wanted] {
            QImage thumbnail;
            const std::size_t bytes = *wanted ? measure_(job.path) : 0;
            if (budget_->Take(bytes, *wanted)) {
                thumbnail = make_(job.path, job.size);
                budget_->Give(bytes);
            }
            QMetaObject::invokeMethod(
                this, [=, this] { Finished(job.id, thumbnail); }, Qt::QueuedConnection);
        });
    }
}

void ThumbnailLoader::Finished(unsigned id, const QImage& thumbnail)
{
    --started_;
    const auto running = std::find_if(
        running_.begin(), running_.end(), [id](const RunningJob& job) { return job.id == id; });
    if (running != running_.end()) {
        const int cell = running->cell;
        running_.erase(running);
        emit Loaded(cell, thumbnail);
    }
    StartJobs();
}

} // namespace snapvale
