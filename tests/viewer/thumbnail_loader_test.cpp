#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <QTest>
#include <gtest/gtest.h>

#include "viewer/thumbnail_loader.h"
#include "viewer/thumbnail_tray.h"

namespace snapvale {
namespace {

constexpr int kDeadlineMs = 15000;

// Holds the pictures being made until the test lets them go, one at a time or all at once.
class Gate
{
public:
    // Called by a maker: waits for a pass.
    void Pass()
    {
        std::unique_lock lock(mutex_);
        open_.wait(lock, [this] { return passes_ > 0 || opened_; });
        if (!opened_)
            --passes_;
    }
    void LetOneThrough()
    {
        const std::lock_guard lock(mutex_);
        ++passes_;
        open_.notify_all();
    }
    void Open()
    {
        const std::lock_guard lock(mutex_);
        opened_ = true;
        open_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable open_;
    int passes_ = 0;
    bool opened_ = false;
};

// A file written over while its old picture is still being made: the old picture is never shown,
// and the new one is made.
TEST(ThumbnailLoading, FileChangedWhileItsPictureIsMadeShowsOnlyTheNewPicture)
{
    Gate gate;
    std::atomic<QRgb> file = qRgb(10, 0, 0);
    std::atomic<int> started = 0;
    // Each picture is the colour of the file when its making starts, as a decode reads it then.
    const auto make = [&](const std::string&, QSize size) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(file.load());
        ++started;
        gate.Pass();
        return picture;
    };
    QWidget pane;
    pane.resize(644, 484);
    ThumbnailTray tray(TrayGeometry::ForPane(9600, 7200, 255, 255), &pane, make);
    // The workers must be let go before the tray waits for them.
    struct OpenAtEnd
    {
        Gate& gate;
        ~OpenAtEnd() { gate.Open(); }
    } openAtEnd{ gate };
    std::vector<QRgb> shown;
    QObject::connect(&tray, &ThumbnailTray::CellLoaded,
        [&](int cell) { shown.push_back(tray.Thumbnail(cell).pixel(0, 0)); });
    tray.SetCells({ { "p.tga", "p.tga" } });
    tray.RequestPictures({ { 0, "p.tga" } });
    ASSERT_TRUE(QTest::qWaitFor([&] { return started == 1; }, kDeadlineMs));

    file = qRgb(20, 0, 0);
    tray.Reload(0);
    tray.RequestPictures({ { 0, "p.tga" } });
    gate.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return started == 2 && !tray.IsLoading(); }, kDeadlineMs));
    EXPECT_EQ(tray.Thumbnail(0).pixel(0, 0), qRgb(20, 0, 0));
    EXPECT_EQ(shown, std::vector<QRgb>{ qRgb(20, 0, 0) });
}

// Whatever the number of workers, the pictures being made never claim more memory together than
// the budget; a picture larger than the whole budget is still made, alone. Each picture is let go
// only once every worker that can has taken a job, so that any overlap shows.
TEST(ThumbnailLoading, PicturesInTheMakingStayWithinTheMemoryBudget)
{
    constexpr std::size_t kMB = std::size_t{ 1 } << 20;
    const std::map<std::string, std::size_t> memory = { { "a", 300 * kMB }, { "b", 300 * kMB },
        { "c", 100 * kMB }, { "huge", 600 * kMB }, { "d", 100 * kMB }, { "e", 200 * kMB } };
    const std::vector<std::string> order = { "a", "b", "c", "huge", "d", "e" };

    Gate gate;
    std::mutex mutex;
    std::size_t claimed = 0; // by the pictures being made
    int making = 0;
    std::atomic<int> measured = 0;
    // What each picture found when its making started: the memory claimed with it, and how many
    // were being made with it.
    std::vector<std::pair<std::size_t, int>> starts;
    const auto make = [&](const std::string& path, QSize size) {
        {
            const std::lock_guard lock(mutex);
            claimed += memory.at(path);
            starts.emplace_back(claimed, ++making);
        }
        gate.Pass();
        const std::lock_guard lock(mutex);
        claimed -= memory.at(path);
        --making;
        return QImage(size, QImage::Format_RGB32);
    };
    const auto measure = [&](const std::string& path) {
        ++measured;
        return memory.at(path);
    };
    int delivered = 0;
    {
        ThumbnailLoader loader(nullptr, make, measure);
        struct OpenAtEnd
        {
            Gate& gate;
            ~OpenAtEnd() { gate.Open(); }
        } openAtEnd{ gate };
        QObject::connect(&loader, &ThumbnailLoader::Loaded, [&delivered] { ++delivered; });
        for (std::size_t i = 0; i < order.size(); ++i)
            loader.Queue(static_cast<int>(i), order[i], QSize(8, 8));
        const int total = static_cast<int>(order.size());
        for (int done = 0; done < total; ++done) {
            const int takenUp = std::min(total, done + loader.Workers());
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    const std::lock_guard lock(mutex);
                    return measured >= takenUp && making > 0;
                },
                kDeadlineMs))
                << done << " made";
            gate.LetOneThrough();
            ASSERT_TRUE(QTest::qWaitFor([&] { return delivered == done + 1; }, kDeadlineMs));
        }
    }
    EXPECT_EQ(delivered, static_cast<int>(order.size()));
    ASSERT_EQ(starts.size(), order.size());
    for (const auto& [claimedThen, makingThen] : starts)
        EXPECT_TRUE(claimedThen <= kThumbnailMemoryBudget || makingThen == 1)
            << claimedThen / kMB << " MB claimed by " << makingThen << " pictures";
}

} // namespace
} // namespace snapvale
