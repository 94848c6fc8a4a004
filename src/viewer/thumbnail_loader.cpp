#include "viewer/thumbnail_loader.h"

#include <algorithm>

#include <QThread>

#include "os/native_path.h"
#include "qt/picture_image.h"
#include "tga/tga_loader.h"
#include "viewer/box_reduce.h"
#include "viewer/tray_geometry.h"

namespace snapvale {

QImage MakeThumbnail(const std::string& path, QSize size)
{
    std::optional<Picture> picture = LoadTGA(NativePath(path));
    if (!picture)
        return {};
    const PixelSize fitted =
        ThumbnailSize(picture->width(), picture->height(), size.width(), size.height());
    // Averaging whole blocks first leaves the smooth scale a picture of about twice the cell.
    const int factor = BoxFactor(picture->width(), picture->height(), fitted.width, fitted.height);
    if (factor > 1) {
        if (std::optional<Picture> reduced = BoxReduce(*picture, factor))
            picture = std::move(reduced);
    }
    return ToQImage(std::move(*picture))
        .scaled(QSize(fitted.width, fitted.height), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

ThumbnailLoader::ThumbnailLoader(QObject* parent, Maker make)
    : QObject(parent)
    , make_(std::move(make))
{
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

ThumbnailLoader::~ThumbnailLoader()
{
    queue_.clear();
    // Running jobs post their results to this object, which must outlive them.
    pool_.waitForDone();
}

void ThumbnailLoader::Queue(int cell, std::string path, QSize size)
{
    queue_.push_back({ nextId_++, cell, std::move(path), size });
    StartJobs();
}

void ThumbnailLoader::Clear()
{
    queue_.clear();
    running_.clear();
}

void ThumbnailLoader::Forget(int cell)
{
    std::erase_if(queue_, [cell](const Job& job) { return job.cell == cell; });
    std::erase_if(running_, [cell](const auto& job) { return job.second == cell; });
}

void ThumbnailLoader::Renumber(const std::function<int(int)>& renumber)
{
    for (Job& job : queue_)
        job.cell = renumber(job.cell);
    for (auto& job : running_)
        job.second = renumber(job.second);
    std::erase_if(queue_, [](const Job& job) { return job.cell < 0; });
    std::erase_if(running_, [](const auto& job) { return job.second < 0; });
}

bool ThumbnailLoader::IsPending(int cell) const
{
    return std::any_of(running_.begin(), running_.end(),
               [cell](const auto& job) { return job.second == cell; })
        || std::any_of(
            queue_.begin(), queue_.end(), [cell](const Job& job) { return job.cell == cell; });
}

void ThumbnailLoader::StartJobs()
{
    // The queue stays here until a worker is free, so it can still be reordered and dropped.
    while (!queue_.empty() && started_ < pool_.maxThreadCount()) {
        Job job = std::move(queue_.front());
        queue_.pop_front();
        running_.emplace_back(job.id, job.cell);
        ++started_;
        pool_.start([this, job = std::move(job)] {
            const QImage thumbnail = make_(job.path, job.size);
            QMetaObject::invokeMethod(
                this, [=, this] { Finished(job.id, thumbnail); }, Qt::QueuedConnection);
        });
    }
}

void ThumbnailLoader::Finished(unsigned id, const QImage& thumbnail)
{
    --started_;
    const auto running = std::find_if(
        running_.begin(), running_.end(), [id](const auto& job) { return job.first == id; });
    if (running != running_.end()) {
        const int cell = running->second;
        running_.erase(running);
        emit Loaded(cell, thumbnail);
    }
    StartJobs();
}

} // namespace snapvale
