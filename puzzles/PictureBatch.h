#pragma once
// CPictureBatch: the pictures of one puzzle loaded on worker threads, so that the thread that
// asked for them (the user-interface thread) goes on working meanwhile. Each batch owns its
// threads; they end with the batch, and nothing is shared between batches.

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

#include "puzzles/LoadPuzzle.h"

namespace kelvandor {

class CPictureBatch {
public:
    // Starts loading every non-empty entry of `paths` with `load`, shown no larger than
    // `fit`, on up to `threads` worker threads (at least one; never more than there are
    // pictures). Slots of `ready` that hold a stamp are taken over as they are and not loaded
    // again. `done` is called exactly once, on the worker thread that finished the last
    // picture, or at once on the calling thread when there is nothing to load; it must not
    // destroy the batch. A picture whose loader throws counts as not loaded.
    CPictureBatch(const PicturePaths& paths, FittingPictureLoader load, ImageSize fit,
                  unsigned threads, std::function<void()> done, LoadedPictures ready = {});
    // Stops handing out pictures, waits for the loads under way and joins the threads.
    ~CPictureBatch();
    CPictureBatch(const CPictureBatch&) = delete;
    CPictureBatch& operator=(const CPictureBatch&) = delete;

    // Whether every picture has been loaded (or failed).
    bool Finished() const { return left_.load() == 0; }
    // Waits until Finished() and joins the threads.
    void Wait();
    // Lets up to `threads` worker threads in all take the pictures not begun yet: a batch
    // started at leisure on one thread is hurried once it is needed.
    void Hurry(unsigned threads);
    // Begins no further picture and never calls `done`; the loads under way finish, after
    // which Finished() holds and the batch can go without waiting.
    void Cancel() { stop_ = true; }

    const PicturePaths& Paths() const { return paths_; }
    ImageSize Fit() const { return fit_; }
    // The pictures, slot i for paths[i]; complete only after Wait().
    LoadedPictures& Pictures() { return pictures_; }

private:
    void Work();
    void AddThreads(unsigned threads);

    PicturePaths paths_;
    FittingPictureLoader load_;
    ImageSize fit_;
    std::function<void()> done_;
    LoadedPictures pictures_;
    std::vector<std::size_t> order_;     // the slots to load, in order
    std::atomic<std::size_t> next_{0};   // index into order_ of the next picture to take
    std::atomic<std::size_t> left_{0};   // pictures not finished yet
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

}  // namespace kelvandor
