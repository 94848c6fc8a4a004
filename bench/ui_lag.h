#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <QMetaObject>
#include <QObject>

namespace snapvale::bench {

// The longest the UI thread keeps an event waiting: another thread posts one every millisecond,
// stamped with the time it was posted, and the UI thread notes how late each is handled. That is
// how long a key press or a click would have waited: the longest stretch the thread was busy.
class UiLag : public QObject
{
public:
    UiLag()
        : probe_([this] {
            while (!stop_) {
                const auto posted = std::chrono::steady_clock::now();
                QMetaObject::invokeMethod(
                    this,
                    [this, posted] {
                        const std::chrono::duration<double, std::milli> late =
                            std::chrono::steady_clock::now() - posted;
                        longest = std::max(longest, late.count());
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        })
    {
    }
    ~UiLag() override
    {
        stop_ = true;
        probe_.join();
    }
    double longest = 0; // milliseconds

private:
    std::atomic<bool> stop_ = false;
    std::thread probe_;
};

} // namespace snapvale::bench
