#pragma once
// A simulated sound clock for tests and headless runs: its time moves only when Advance is
// called, and a thread in Sleep stays blocked until the clock has been advanced past the end
// of its sleep.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>

#include "sound/SoundClock.h"

namespace kelvandor {

class CManualSoundClock : public ISoundClock {
public:
    explicit CManualSoundClock(std::uint32_t start = 0) : now_(start) {}

    std::uint32_t TickCount() override;

    // Blocks until Advance has moved the clock at least `ms` past the moment of the call.
    // A sleep of 0 returns at once.
    void Sleep(std::uint32_t ms) override;

    // Moves the clock forward by `ms` and releases every sleeper whose time has come. A
    // released sleeper no longer counts in SleeperCount, even before its thread has run on.
    void Advance(std::uint32_t ms);

    // Threads blocked in Sleep that Advance has not released yet.
    std::size_t SleeperCount() const;

    // Milliseconds from now until the earliest sleeper is due; empty when nobody sleeps.
    std::optional<std::uint32_t> TimeToNextWake() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable woken_;
    std::uint64_t now_;                          // not wrapped, so that wake times compare simply
    std::multiset<std::uint64_t> pendingWakes_;  // of the sleepers not yet released
};

}  // namespace kelvandor
