#include "sound/ManualSoundClock.h"

namespace kelvandor {

std::uint32_t CManualSoundClock::TickCount() {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(now_);
}

void CManualSoundClock::Sleep(std::uint32_t ms) {
    if (ms == 0) {
        return;
    }
    std::unique_lock lock(mutex_);
    const std::uint64_t wake = now_ + ms;
    pendingWakes_.insert(wake);
    woken_.wait(lock, [&] { return now_ >= wake; });
}

void CManualSoundClock::Advance(std::uint32_t ms) {
    {
        std::lock_guard lock(mutex_);
        now_ += ms;
        pendingWakes_.erase(pendingWakes_.begin(), pendingWakes_.upper_bound(now_));
    }
    woken_.notify_all();
}

std::size_t CManualSoundClock::SleeperCount() const {
    std::lock_guard lock(mutex_);
    return pendingWakes_.size();
}

std::optional<std::uint32_t> CManualSoundClock::TimeToNextWake() const {
    std::lock_guard lock(mutex_);
    if (pendingWakes_.empty()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*pendingWakes_.begin() - now_);
}

}  // namespace kelvandor
