#include "game/MoveQueueLock.h"

namespace kelvandor {

void CMoveQueueLock::Acquire() {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [this] { return available_; });
    available_ = false;
}

bool CMoveQueueLock::TryAcquire() {
    std::lock_guard lock(mutex_);
    if (!available_) {
        return false;
    }
    available_ = false;
    return true;
}

void CMoveQueueLock::Release() {
    {
        std::lock_guard lock(mutex_);
        available_ = true;
    }
    freed_.notify_one();
}

bool CMoveQueueLock::IsHeld() const {
    std::lock_guard lock(mutex_);
    return !available_;
}

}  // namespace kelvandor
