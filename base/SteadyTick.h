#pragma once
// The machine's steady clock in the form the game counts time: milliseconds as a 32-bit tick
// count that wraps around after 49.7 days and is compared by unsigned subtraction. Every real
// clock of the program reads this one; tests put simulated clocks in its place.

#include <cstdint>

namespace kelvandor {

// Milliseconds of the steady clock, truncated to 32 bits.
std::uint32_t SteadyTickCount();

// Milliseconds of the steady clock, not truncated: for deadlines that must not wrap.
std::int64_t SteadyMilliseconds();

}  // namespace kelvandor
