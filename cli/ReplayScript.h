#pragma once
// The replay script runner on streams, for `kelvandor-tool replay` and for the fuzz target
// that feeds it arbitrary scripts.

#include <cstdint>
#include <istream>
#include <ostream>

namespace kelvandor::cli {

// The widest and tallest screen a script may ask for: 16384 x 16384 at 24 bits is 768 MB.
inline constexpr std::int64_t kMaxReplaySide = 16384;

// What a run may do beyond the game itself.
struct ReplayLimits {
    bool writeFrames = true;                   // false: a frame line fails the script
    std::uint64_t ticksLeft = UINT64_MAX;      // ticks the whole script may run
    std::int64_t maxSide = kMaxReplaySide;     // the largest screen side a size line may ask
};

// Runs the script read from `in`: the state dumps go to `out`, messages to `err`. Returns 0
// when the script ran, 1 when a line's work failed (a frame that could not be written, more
// ticks than allowed), 2 for a line that is not understood.
int RunReplayScript(std::istream& in, std::ostream& out, std::ostream& err, ReplayLimits limits);

}  // namespace kelvandor::cli
