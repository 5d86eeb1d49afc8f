#pragma once
// A semaphore with initial and maximum count 1. Unlike a mutex it may be released by whoever
// holds the game's turn to do so (loading a puzzle takes it, dealing the board gives it back),
// and a release while nobody holds it changes nothing.

#include <condition_variable>
#include <mutex>

namespace kelvandor {

class CMoveQueueLock {
public:
    // Waits without limit until the count is 1, then takes it.
    void Acquire();
    // Takes the count if it is 1; returns whether it did.
    bool TryAcquire();
    // Gives the count back; the count never exceeds 1.
    void Release();
    // Whether somebody holds it (for checks and tests; racy by nature on other threads).
    bool IsHeld() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    bool available_ = true;
};

}  // namespace kelvandor
