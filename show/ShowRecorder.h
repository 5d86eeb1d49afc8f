#pragma once
// Keeps the show's records from the game view's const state: the journal whenever the
// standing changes and a log line for every round that ended. It is fed after anything may
// have changed the game (the shell does so on every tick) and only queues work for the
// writer thread, so it costs the tick a comparison and, rarely, a few hundred bytes.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "game/KelvandorView.h"
#include "show/ShowFiles.h"
#include "show/ShowWriter.h"

namespace kelvandor {

class CShowRecorder {
public:
    using WallClock = std::function<std::time_t()>;

    // `journalling` is false for a game started while another one runs: the journal belongs
    // to the first, so this one only logs its rounds. A path left empty is not written.
    CShowRecorder(CShowWriter& writer, ShowPaths paths, bool journalling,
                  WallClock clock = [] { return std::time(nullptr); });

    // Takes note of the view's state: queues the journal when the standing differs from the
    // one last queued (the first call always does), and a log line when a round ended since
    // the last call. Rounds that ended before the first call are not logged.
    void Observe(const CKelvandorView& view);

    // The normal end of the program: a round still in play is logged as aborted (at tick
    // `now`) and the journal is written without its running mark.
    void Finish(const CKelvandorView& view, std::uint32_t now);

    // The newest write failure not taken yet, in one line.
    std::optional<std::string> TakeProblem() { return writer_.TakeError(); }

private:
    void QueueJournal(const ShowStanding& standing, bool running);
    void QueueLogLine(const RoundRecord& round);

    CShowWriter& writer_;
    ShowPaths paths_;
    bool journalling_;
    WallClock clock_;
    std::optional<ShowStanding> lastStanding_;
    std::optional<std::uint32_t> roundsSeen_;
};

}  // namespace kelvandor
