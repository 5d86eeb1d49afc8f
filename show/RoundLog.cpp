#include "show/RoundLog.h"

#include <cstdio>

#include "base/TextCodec.h"

namespace kelvandor {
namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

const char* PlayerSide(std::uint32_t player) {
    return player == 0 ? "links" : player == 1 ? "rechts" : "";
}

std::string RoundLogHeader() {
    return std::string("Zeit,Spiel,Frage,Ausgang,Spieler,Sterne links,Sterne rechts,Dauer (s)") +
           kLineEnd;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string field = "\"";
    for (const char c : text) {
        field += c;
        if (c == '"') {
            field += '"';
        }
    }
    field += '"';
    return field;
}

const char* RoundEndingText(RoundEnding ending) {
    switch (ending) {
        case RoundEnding::Solved:
            return "gel\xC3\xB6st";
        case RoundEnding::Wrong:
            return "falsch";
        case RoundEnding::TimedOut:
            return "Zeit abgelaufen";
        case RoundEnding::Aborted:
            return "abgebrochen";
    }
    return "";
}

std::string RoundLogLine(const RoundRecord& round, std::time_t endedAt) {
    std::tm local{};
    localtime_r(&endedAt, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);

    // Ticks wrap at 32 bits; the difference does not.
    const std::uint32_t ms = round.EndTick - round.StartTick;
    const std::uint32_t seconds = (ms + 500) / 1000;

    std::string line = when;
    line += ',';
    line += round.Formula ? std::string("Formel") : std::to_string(round.GameNumber);
    line += ',';
    line += CsvField(Windows1252ToUtf8(round.Question));
    line += ',';
    line += RoundEndingText(round.Ending);
    line += ',';
    line += PlayerSide(round.Player);
    line += ',' + std::to_string(round.Stars[0]) + ',' + std::to_string(round.Stars[1]) + ',' +
            std::to_string(seconds) + kLineEnd;
    return line;
}

}  // namespace kelvandor
