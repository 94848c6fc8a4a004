#include "viewer/picture_loader.h"

namespace snapvale {

void ReleaseOffThread(QImage picture)
{
    if (picture.isNull())
        return;
    QThreadPool::globalInstance()->start(
        [picture = std::move(picture)]() mutable { picture = QImage(); });
}

PictureLoader::PictureLoader(QObject* parent)
    : QObject(parent)
{
    pool_.setMaxThreadCount(1);
}

PictureLoader::~PictureLoader()
{
    waiting_.reset();
    // The running job posts its end to this object, which must outlive it.
    pool_.waitForDone();
}

void PictureLoader::Start(Job job)
{
    Request request{ ++nextId_, std::move(job) };
    wanted_ = request.id;
    if (running_ != 0)
        waiting_ = std::move(request);
    else
        Run(std::move(request));
}

void PictureLoader::Cancel()
{
    waiting_.reset();
    delivered_ = wanted_;
}

void PictureLoader::Run(Request request)
{
    running_ = request.id;
    runningResult_ = std::make_shared<Result>();
    pool_.start([this, id = request.id, job = std::move(request.job), result = runningResult_] {
        QImage picture = job();
        {
            const std::lock_guard lock(result->mutex);
            result->picture = std::move(picture);
            result->done = true;
        }
        result->ready.notify_all();
        QMetaObject::invokeMethod(
            this, [this, id] { Finished(id); }, Qt::QueuedConnection);
    });
}

void PictureLoader::Finished(unsigned id)
{
    // Finish may have taken this result already.
    if (id != running_)
        return;
    const std::shared_ptr<Result> result = std::move(runningResult_);
    running_ = 0;
    if (std::optional<Request> next = std::move(waiting_)) {
        waiting_.reset();
        Run(std::move(*next));
    }
    Deliver(id, result->picture);
}

void PictureLoader::Deliver(unsigned id, const QImage& picture)
{
    if (id != wanted_ || delivered_ == wanted_)
        return;
    delivered_ = id;
    emit Done(picture);
}

void PictureLoader::Finish()
{
    if (!IsBusy())
        return;
    if (running_ == wanted_) {
        const std::shared_ptr<Result> result = runningResult_;
        std::unique_lock lock(result->mutex);
        result->ready.wait(lock, [&result] { return result->done; });
        lock.unlock();
        Finished(running_);
        return;
    }
    if (waiting_ && waiting_->id == wanted_) {
        const Request request = std::move(*waiting_);
        waiting_.reset();
        Deliver(request.id, request.job());
    }
}

} // namespace snapvale
