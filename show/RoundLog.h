#pragma once
// The log of the show: one CSV line (UTF-8, RFC 4180) per round that ended, solved, wrong,
// timed out or aborted.

#include <ctime>
#include <string>
#include <string_view>

#include "game/GameState.h"

namespace kelvandor {

// The first line of a new log file.
std::string RoundLogHeader();

// One field, quoted when it holds a comma, a quote or a line break (quotes doubled).
std::string CsvField(std::string_view text);

// How the round ended, in the log's words: "gelöst", "falsch", "Zeit abgelaufen",
// "abgebrochen".
const char* RoundEndingText(RoundEnding ending);

// The side of player 0 or 1, "links" or "rechts"; "" for nobody.
const char* PlayerSide(std::uint32_t player);

// The line of `round`, which ended at local time `endedAt`, ending in CRLF.
std::string RoundLogLine(const RoundRecord& round, std::time_t endedAt);

}  // namespace kelvandor
