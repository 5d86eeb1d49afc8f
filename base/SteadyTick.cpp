#include "base/SteadyTick.h"

#include <chrono>

namespace kelvandor {

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::uint32_t SteadyTickCount() {
    return static_cast<std::uint32_t>(SteadyMilliseconds());
}

}  // namespace kelvandor
