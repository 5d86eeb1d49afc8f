#pragma once
// The time source of sound playback: the 32-bit millisecond tick count, which wraps after
// about 49.7 days and is compared only by unsigned subtraction, and a sleep on the calling
// thread. The player takes it as an interface so that tests and headless runs can drive the
// sound gate on a simulated clock.

#include <cstdint>
#include <memory>

namespace kelvandor {

class ISoundClock {
public:
    virtual ~ISoundClock() = default;

    // Milliseconds since an arbitrary origin, modulo 2^32. Safe to call from any thread.
    virtual std::uint32_t TickCount() = 0;

    // Blocks the calling thread for `ms` milliseconds of this clock's time.
    virtual void Sleep(std::uint32_t ms) = 0;
};

// The real monotonic clock of the machine (unaffected by changes of the wall-clock time).
std::shared_ptr<ISoundClock> MakeSystemSoundClock();

}  // namespace kelvandor
