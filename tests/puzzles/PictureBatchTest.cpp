#include "puzzles/PictureBatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace kelvandor {
namespace {

// Paths "W H" load as 24-bit pictures of that size, reduced to half when a fit is given;
// "throw" throws; anything else fails.
int FakeLoad(const std::string& path, ImageSize fit, CDibImage& image, ImageSize& fullSize) {
    unsigned w = 0, h = 0;
    if (path == "throw") {
        throw std::runtime_error("reader gave up");
    }
    if (std::sscanf(path.c_str(), "%u %u", &w, &h) != 2) {
        return -2;
    }
    fullSize = {w, h};
    const bool reduce = fit.width != 0;
    return image.Create(24, reduce ? w / 2 : w, reduce ? h / 2 : h, 0) ? 0 : -3;
}

TEST(PictureBatchTest, LoadsEveryNamedSlotOnWorkerThreadsAndSaysSoOnce) {
    PicturePaths paths;
    paths[0] = "40 20";
    paths[3] = "10 10";
    paths[4] = "not a picture";
    paths[11] = "throw";
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::atomic<int> doneCalls{0};
    CPictureBatch batch(
        paths,
        [&](const std::string& path, ImageSize fit, CDibImage& image, ImageSize& full) {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            return FakeLoad(path, fit, image, full);
        },
        ImageSize{100, 100}, 3, [&] { ++doneCalls; });
    batch.Wait();
    EXPECT_TRUE(batch.Finished());
    EXPECT_EQ(doneCalls, 1);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
    LoadedPictures& pictures = batch.Pictures();
    EXPECT_EQ(pictures[0].code, 0);
    EXPECT_EQ(pictures[0].image.width, 20u);
    EXPECT_EQ(pictures[0].fullSize.width, 40u);
    EXPECT_EQ(pictures[3].code, 0);
    EXPECT_EQ(pictures[4].code, -2);
    EXPECT_EQ(pictures[11].code, -1);  // a throwing loader counts as a failed load
    EXPECT_TRUE(pictures[11].image.IsEmpty());
    EXPECT_EQ(pictures[1].code, -1);  // never asked for
}

TEST(PictureBatchTest, NothingToLoadIsDoneAtOnce) {
    int doneCalls = 0;
    CPictureBatch batch(PicturePaths{}, FakeLoad, ImageSize{}, 4, [&] { ++doneCalls; });
    EXPECT_EQ(doneCalls, 1);
    EXPECT_TRUE(batch.Finished());
    batch.Wait();
}

// A batch given up while a picture loads (the window closes during F5) waits for that load:
// its threads never outlive it.
TEST(PictureBatchTest, DestroyingABatchWaitsForTheLoadUnderWay) {
    PicturePaths paths;
    for (std::string& path : paths) {
        path = "8 8";
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false, release = false;
    std::atomic<int> loads{0};
    std::thread releaser;
    {
        CPictureBatch batch(
            paths,
            [&](const std::string& path, ImageSize fit, CDibImage& image, ImageSize& full) {
                ++loads;
                std::unique_lock lock(mutex);
                started = true;
                changed.notify_all();
                changed.wait(lock, [&] { return release; });
                return FakeLoad(path, fit, image, full);
            },
            ImageSize{}, 2, {});
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return started; });
        releaser = std::thread([&] {
            std::lock_guard inner(mutex);
            release = true;
            changed.notify_all();
        });
    }
    releaser.join();
    EXPECT_GE(loads.load(), 1);
}

// A load started at leisure on one thread: pictures carried over are not loaded again, a
// hurried batch takes the rest on more threads at once, and a cancelled one begins nothing.
TEST(PictureBatchTest, ReadySlotsStayHurryingAddsThreadsCancellingBeginsNothing) {
    PicturePaths paths;
    paths[0] = "40 20";
    paths[1] = "20 20";
    paths[2] = "60 60";
    paths[3] = "10 10";
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int waiting = 0;
    std::set<std::string> asked;
    const auto gated = [&](const std::string& path, ImageSize fit, CDibImage& image,
                           ImageSize& full) {
        std::unique_lock lock(mutex);
        asked.insert(path);
        ++waiting;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
        --waiting;
        return FakeLoad(path, fit, image, full);
    };
    const auto waitFor = [&](int count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return waiting == count; });
    };
    const auto openGate = [&] {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    };

    LoadedPictures ready;
    ready[2].code = 0;
    ASSERT_TRUE(ready[2].image.Create(24, 6, 6, 0));
    ready[2].stamp = FileStamp{};
    ready[3].code = 0;  // no stamp: not known to be current, loaded again
    std::atomic<int> doneCalls{0};
    {
        CPictureBatch batch(paths, gated, ImageSize{}, 1, [&] { ++doneCalls; }, std::move(ready));
        waitFor(1);
        batch.Hurry(8);  // two pictures not begun: two more threads, not seven
        waitFor(3);
        openGate();
        batch.Wait();
        EXPECT_EQ(doneCalls, 1);
        EXPECT_EQ(asked, (std::set<std::string>{"40 20", "20 20", "10 10"}));
        EXPECT_EQ(batch.Pictures()[2].image.width, 6u);
        EXPECT_EQ(batch.Pictures()[3].image.width, 10u);
        batch.Hurry(4);  // finished: nothing to start
        EXPECT_TRUE(batch.Finished());
    }

    open = false;
    asked.clear();
    doneCalls = 0;
    CPictureBatch cancelled(paths, gated, ImageSize{}, 1, [&] { ++doneCalls; });
    waitFor(1);
    cancelled.Cancel();
    cancelled.Hurry(4);
    openGate();
    cancelled.Wait();
    EXPECT_TRUE(cancelled.Finished());
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(doneCalls, 0);
}

TEST(PictureBatchTest, PicturesTakeTheirSlotsAndTheAspectOfTheirStoredSize) {
    PuzzleContent content;
    LoadedPictures pictures;
    // Loaded reduced to 50 x 10 from 400 x 100: the layout goes by 400 x 100.
    pictures[0].code = 0;
    ASSERT_TRUE(pictures[0].image.Create(24, 50, 10, 0));
    pictures[0].fullSize = {400, 100};
    // Failed part way: dropped.
    pictures[1].code = -4;
    ASSERT_TRUE(pictures[1].image.Create(24, 10, 10, 0));
    pictures[2].code = 0;
    ASSERT_TRUE(pictures[2].image.Create(24, 30, 30, 0));
    pictures[2].fullSize = {30, 30};
    TakePuzzlePictures(content, pictures);
    EXPECT_EQ(content.PictureAspect, 1024);
    EXPECT_TRUE(content.HasElementPictures);
    EXPECT_EQ(content.ElementPictures[0].width, 50u);
    EXPECT_EQ(content.PictureFullSize[0].width, 400u);
    EXPECT_TRUE(content.ElementPictures[1].IsEmpty());
    EXPECT_EQ(content.PictureFullSize[1].width, 0u);
    EXPECT_EQ(content.ElementPictures[2].width, 30u);
}

}  // namespace
}  // namespace kelvandor
