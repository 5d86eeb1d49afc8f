#pragma once
// The rules by which the game's input boxes turn typed text into values: the number box of
// "Nächstes Spiel", the COM-port box and the time-out box. Plain functions, so that the rules
// are tested without a dialog.

#include <cstdint>
#include <string_view>

namespace kelvandor {

// Reads the text of a number box: leading blanks and tabs skipped, optional sign, then
// decimal, or hexadecimal / octal / binary with a 0x / 0o / 0b prefix or an h / o / b
// suffix; text that is not a number reads as 0.
std::int32_t ParseNumberBoxText(std::string_view text);

// The COM-port box: the port index (0 = COM1) that the typed `text` selects. Only the first
// 31 bytes count. A leading "COM" (any case) is skipped; then blanks and tabs, an optional
// '-', and a number in decimal or with a 0x/0d/0o/0b prefix (either case). Text without
// digits, zero and negative numbers all select COM1.
std::uint32_t ComPortFromText(std::string_view text);

// The time-out box: the new Timeout for the entered number of seconds, or `current` when the
// entry is refused (120 and above, or negative). 1..19 are raised to 20.
std::uint32_t TimeoutFromEntry(std::int32_t seconds, std::uint32_t current);

}  // namespace kelvandor
