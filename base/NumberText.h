#pragma once
// The pieces every reader of typed numbers shares: what a digit is worth and how a run of
// digits adds up without overflowing. The rules of each box (signs, prefixes, suffixes, what
// counts as no number) stay with the box.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvandor {

// The value of a digit in bases up to 36: '0'-'9', then 'a'-'z' and 'A'-'Z' from 10. Any
// other character is worth 99, which no base accepts.
int DigitValue(char c);

struct DigitRun {
    std::uint64_t value = 0;  // saturated at the cap
    std::size_t length = 0;   // digits read
};

// Reads the digits of `base` (2..36) at the start of `text`, up to the first character that
// is not one. The value stops growing at `cap`, so that a long run stays large instead of
// wrapping around to a small, plausible number.
DigitRun ReadDigitRun(std::string_view text, int base, std::uint64_t cap);

}  // namespace kelvandor
