#include "sound/SoundPlayer.h"

#include <atomic>
#include <exception>
#include <string>
#include <thread>

namespace kelvandor {

// Everything a player thread touches; the threads hold it, so it lives until the last of
// them has ended even when the player itself is gone.
struct CSoundPlayer::State {
    std::shared_ptr<ISoundClock> clock;
    std::shared_ptr<ISoundOutput> output;

    // The tick count at which the last gated sound started. Read and written without a lock:
    // concurrent gated requests may each compute their wait from the same last start, which
    // only means that they start together.
    std::atomic<std::uint32_t> lastGatedStart{0};
    // Whether any gated sound has started yet. Without it the first sound would wait when the
    // tick count happens to lie within 280 ms after 0 (just after boot or a wrap-around).
    std::atomic<bool> gateUsed{false};

    mutable std::mutex pendingMutex;
    mutable std::condition_variable pendingChanged;
    std::size_t pending = 0;

    void Play(const std::string& name);
    void Finished();
};

bool IsUngatedSound(std::string_view name) {
    return name.starts_with("CLING");
}

void CSoundPlayer::State::Play(const std::string& name) {
    if (!IsUngatedSound(name)) {
        const std::uint32_t now = clock->TickCount();
        if (gateUsed.load(std::memory_order_acquire)) {
            // Unsigned subtraction keeps the difference right across the wrap-around of the
            // 32-bit tick count.
            const std::uint32_t elapsed = now - lastGatedStart.load(std::memory_order_relaxed);
            if (elapsed < kSoundGateMs) {
                clock->Sleep(kSoundGateMs - elapsed);
            }
        }
        // The clock is read again: the start is when the sleep ended, not when it began.
        lastGatedStart.store(clock->TickCount(), std::memory_order_relaxed);
        gateUsed.store(true, std::memory_order_release);
    }
    output->StartClip(name);
}

void CSoundPlayer::State::Finished() {
    {
        std::lock_guard lock(pendingMutex);
        --pending;
    }
    pendingChanged.notify_all();
}

CSoundPlayer::CSoundPlayer(std::shared_ptr<ISoundClock> clock, std::shared_ptr<ISoundOutput> output)
    : state_(std::make_shared<State>()) {
    state_->clock = std::move(clock);
    state_->output = std::move(output);
}

void CSoundPlayer::Request(std::string_view name) {
    {
        std::lock_guard lock(state_->pendingMutex);
        ++state_->pending;
    }
    try {
        std::thread([state = state_, name = std::string(name)] {
            state->Play(name);
            state->Finished();
        }).detach();
    } catch (const std::exception&) {
        // No thread, no sound; the caller is not told.
        state_->Finished();
    }
}

std::size_t CSoundPlayer::PendingCount() const {
    std::lock_guard lock(state_->pendingMutex);
    return state_->pending;
}

bool CSoundPlayer::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->pendingMutex);
    return state_->pendingChanged.wait_for(lock, timeout, [&] { return state_->pending == 0; });
}

}  // namespace kelvandor
