#pragma once
// An output that plays nothing and remembers which clips were started, and when: for tests
// and for headless runs that report the sounds of a game instead of playing them.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sound/SoundClock.h"
#include "sound/SoundOutput.h"

namespace kelvandor {

class CRecordingSoundOutput : public ISoundOutput {
public:
    struct Start {
        std::string name;
        std::uint32_t tick = 0;  // the clock's tick count at the start; 0 without a clock

        bool operator==(const Start&) const = default;
    };

    // With a clock, every start is stamped with its tick count. The output shares the clock.
    explicit CRecordingSoundOutput(std::shared_ptr<ISoundClock> clock = nullptr)
        : clock_(std::move(clock)) {}

    void StartClip(std::string_view name) override;

    // Every start so far, in the order the clips were started.
    std::vector<Start> Starts() const;

    // The names started since the previous call, in order; the record is emptied.
    std::vector<std::string> TakeNames();

    // Waits (in real time, at most `timeout`) until at least `count` starts are recorded.
    // Returns whether they are.
    bool WaitForStarts(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    std::shared_ptr<ISoundClock> clock_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Start> starts_;
};

}  // namespace kelvandor
