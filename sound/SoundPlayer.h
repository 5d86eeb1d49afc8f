#pragma once
// Asynchronous playback of the game's feedback sounds with the sound gate.
//
// Every request runs on a short-lived thread of its own, so the caller (the user-interface
// thread or the remote reader) never waits. Before a gated sound starts, the thread waits
// until 280 ms have passed since the start of the previous gated sound, so that a click
// followed at once by a tick is heard as two sounds. Chimes (names beginning with "CLING")
// are ungated: they start at once and neither wait for nor move the gate. There is no queue:
// the output cuts short whatever plays when the next clip starts, so of several gated
// requests made within one 280 ms window, which all start together at its end, one is heard.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "sound/SoundClock.h"
#include "sound/SoundOutput.h"

namespace kelvandor {

// The shortest time between the starts of two gated sounds, in milliseconds.
constexpr std::uint32_t kSoundGateMs = 280;

// True for the sounds that bypass the gate: those whose name begins with "CLING".
bool IsUngatedSound(std::string_view name);

class CSoundPlayer {
public:
    // The player shares the clock and the output with its threads, which may outlive it.
    CSoundPlayer(std::shared_ptr<ISoundClock> clock, std::shared_ptr<ISoundOutput> output);

    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;

    // Requests one sound and returns at once; the name is copied. Reports nothing: when no
    // thread can be started, the sound is not played.
    void Request(std::string_view name);

    // Requests whose thread has not yet started its clip (sleeping in the gate or about to
    // start). For tests and tools that need to know when all requests have played out.
    std::size_t PendingCount() const;

    // Waits in real time, at most `timeout`, until no request is pending. Returns whether
    // none is.
    bool WaitUntilIdle(std::chrono::milliseconds timeout) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace kelvandor
