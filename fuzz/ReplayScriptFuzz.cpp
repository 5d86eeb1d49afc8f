// A replay script of arbitrary bytes, run headless. Frames are not written, and the ticks of
// one script are bounded so that a run ends in time; the screen may be at most 1024 pixels a
// side here (the tool allows 16384) so that memory stays within the fuzzer's limit.

#include <sstream>
#include <string>

#include "FuzzTarget.h"
#include "cli/ReplayScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out, err;
    kelvandor::cli::ReplayLimits limits;
    limits.writeFrames = false;
    limits.ticksLeft = 2000;
    limits.maxSide = 1024;
    kelvandor::cli::RunReplayScript(in, out, err, limits);
    return 0;
}
