// The view's loader: of requests made while one runs, only the newest is made and delivered,
// and Finish delivers the newest at once.

#include <atomic>
#include <future>
#include <vector>

#include <QTest>
#include <gtest/gtest.h>

#include "viewer/picture_loader.h"

namespace snapvale {
namespace {

QImage Numbered(int number)
{
    QImage picture(1, 1, QImage::Format_RGB32);
    picture.fill(qRgb(number, 0, 0));
    return picture;
}

TEST(PictureLoader, OnlyTheNewestRequestIsMadeAndDelivered)
{
    PictureLoader loader;
    std::vector<int> delivered;
    QObject::connect(&loader, &PictureLoader::Done,
        [&delivered](const QImage& picture) { delivered.push_back(qRed(picture.pixel(0, 0))); });
    std::atomic<int> made = 0;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // The first runs until released; the second and third wait, and the third takes the place
    // of the second.
    loader.Start([&] {
        released.wait();
        ++made;
        return Numbered(1);
    });
    loader.Start([&] {
        ++made;
        return Numbered(2);
    });
    loader.Start([&] {
        ++made;
        return Numbered(3);
    });
    EXPECT_TRUE(loader.IsBusy());
    release.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loader.IsBusy(); }, 60000));
    EXPECT_EQ(delivered, std::vector<int>{ 3 });
    EXPECT_EQ(made, 2) << "the superseded request never ran";

    // Finish does not wait for a request superseded: it makes the newest on this thread.
    std::promise<void> releaseAgain;
    std::shared_future<void> releasedAgain = releaseAgain.get_future().share();
    std::atomic<bool> superseded = false;
    loader.Start([&] {
        releasedAgain.wait();
        superseded = true;
        return Numbered(4);
    });
    loader.Start([] { return Numbered(5); });
    loader.Finish();
    EXPECT_FALSE(loader.IsBusy());
    EXPECT_EQ(delivered, (std::vector<int>{ 3, 5 }));
    // A request made now starts only once the superseded one has ended, and is delivered alone.
    loader.Start([] { return Numbered(6); });
    releaseAgain.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loader.IsBusy(); }, 60000));
    EXPECT_TRUE(superseded);
    EXPECT_EQ(delivered, (std::vector<int>{ 3, 5, 6 })) << "the superseded result is dropped";
}

} // namespace
} // namespace snapvale
