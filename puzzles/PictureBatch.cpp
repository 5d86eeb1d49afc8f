#include "puzzles/PictureBatch.h"

#include <algorithm>

#include <sys/resource.h>

namespace kelvandor {

CPictureBatch::CPictureBatch(const PicturePaths& paths, FittingPictureLoader load, ImageSize fit,
                             unsigned threads, std::function<void()> done,
                             LoadedPictures ready)
    : paths_(paths), load_(std::move(load)), fit_(fit), done_(std::move(done)) {
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        if (paths_[i].empty()) {
            continue;
        }
        if (ready[i].stamp) {
            pictures_[i] = std::move(ready[i]);
        } else {
            order_.push_back(i);
        }
    }
    left_ = order_.size();
    if (order_.empty() || !load_) {
        left_ = 0;
        if (done_) {
            done_();
        }
        return;
    }
    AddThreads(std::max(threads, 1u));
}

void CPictureBatch::AddThreads(unsigned threads) {
    // More threads than pictures not begun yet (besides the ones being loaded) would idle.
    const std::size_t untaken = order_.size() - std::min(next_.load(), order_.size());
    const std::size_t wanted = std::min<std::size_t>(threads, threads_.size() + untaken);
    while (threads_.size() < wanted) {
        threads_.emplace_back([this] { Work(); });
    }
}

void CPictureBatch::Hurry(unsigned threads) {
    if (!stop_) {
        AddThreads(threads);
    }
}

CPictureBatch::~CPictureBatch() {
    stop_ = true;
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void CPictureBatch::Wait() {
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

void CPictureBatch::Work() {
    // Decoding yields to the user-interface thread, which keeps painting and hearing the
    // remote on a machine with few cores. (On Linux a thread's nice value is its own; where
    // it is not, the call changes nothing that matters and its failure is ignored.)
    setpriority(PRIO_PROCESS, 0, 4);
    for (;;) {
        const std::size_t taken = next_.fetch_add(1);
        if (taken >= order_.size()) {
            return;
        }
        const std::size_t slot = order_[taken];
        LoadedPicture& picture = pictures_[slot];
        if (!stop_) {
            // Looked at before reading, so that a file changed while it loads counts as
            // changed afterwards.
            picture.stamp = StampFile(paths_[slot]);
            try {
                picture.code = load_(paths_[slot], fit_, picture.image, picture.fullSize);
            } catch (...) {
                picture.code = -1;
                picture.image.Free();
            }
        }
        // The last one to finish says so. The owner may then Wait, which joins this thread
        // before the batch can go.
        if (left_.fetch_sub(1) == 1 && done_ && !stop_) {
            done_();
        }
    }
}

}  // namespace kelvandor
