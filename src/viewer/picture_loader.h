#pragma once

// Makes one picture at a time on a worker thread and hands it back on the UI thread: decoding the
// file a view is to show, or scaling a picture for display. Only the newest request counts: a
// request made while another runs waits for that one to end, taking the place of any request
// still waiting, and the result of a request superseded is dropped. So stepping quickly through
// large files decodes the file reached, not every file passed, and never holds more than two
// pictures in the making.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <QImage>
#include <QObject>
#include <QThreadPool>

namespace snapvale {

// Lets go of `picture` on a worker thread: freeing the memory of a very large picture takes the
// system long enough to hold up the window.
void ReleaseOffThread(QImage picture);

class PictureLoader : public QObject
{
    Q_OBJECT

public:
    // What one request makes, on the worker: it must touch nothing the UI thread changes.
    using Job = std::function<QImage()>;

    explicit PictureLoader(QObject* parent = nullptr);
    // Drops the waiting request and waits for the running one.
    ~PictureLoader() override;

    // Makes `job`'s picture, superseding every earlier request.
    void Start(Job job);
    // Drops every request: nothing more is delivered until the next Start.
    void Cancel();
    // Whether the newest request is still to be delivered.
    bool IsBusy() const { return wanted_ != delivered_; }
    // Delivers the newest request now, waiting for it on this thread if it is running and making
    // it here if it has not started: for the few callers that cannot go on without it.
    void Finish();

signals:
    // On the UI thread: the picture of the newest request.
    void Done(const QImage& picture);

private:
    // A request's result, which the worker fills and the UI thread may wait for.
    struct Result
    {
        std::mutex mutex;
        std::condition_variable ready;
        bool done = false;
        QImage picture;
    };
    struct Request
    {
        unsigned id;
        Job job;
    };

    void Run(Request request);
    void Finished(unsigned id);
    void Deliver(unsigned id, const QImage& picture);

    QThreadPool pool_;
    unsigned nextId_ = 0;
    unsigned wanted_ = 0; // the newest request
    unsigned delivered_ = 0; // the request delivered last, or cancelled
    unsigned running_ = 0; // the request on the worker, 0 for none
    std::shared_ptr<Result> runningResult_;
    std::optional<Request> waiting_;
};

} // namespace snapvale
