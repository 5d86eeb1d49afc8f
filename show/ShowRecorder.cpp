#include "show/ShowRecorder.h"

#include "show/RoundLog.h"
#include "show/ShowJournal.h"

namespace kelvandor {

CShowRecorder::CShowRecorder(CShowWriter& writer, ShowPaths paths, bool journalling,
                             WallClock clock)
    : writer_(writer), paths_(std::move(paths)), journalling_(journalling), clock_(std::move(clock)) {}

void CShowRecorder::Observe(const CKelvandorView& view) {
    const GameState& state = view.State();
    if (roundsSeen_ && state.RoundsEnded != *roundsSeen_) {
        // Between two calls only the last ended round is known; the shell calls on every
        // tick, and no two rounds can end within one.
        QueueLogLine(state.LastRound);
    }
    roundsSeen_ = state.RoundsEnded;

    ShowStanding standing = view.Standing();
    if (standing != lastStanding_) {
        QueueJournal(standing, true);
        lastStanding_ = std::move(standing);
    }
}

void CShowRecorder::Finish(const CKelvandorView& view, std::uint32_t now) {
    Observe(view);
    if (view.RoundInPlay()) {
        QueueLogLine(view.RecordRound(RoundEnding::Aborted, view.State().ActivePlayer, now));
    }
    QueueJournal(view.Standing(), false);
}

void CShowRecorder::QueueJournal(const ShowStanding& standing, bool running) {
    if (journalling_ && !paths_.journal.empty()) {
        writer_.ReplaceFile(paths_.journal, EncodeShowJournal({running, standing}));
    }
}

void CShowRecorder::QueueLogLine(const RoundRecord& round) {
    if (!paths_.log.empty()) {
        writer_.AppendLine(paths_.log, RoundLogHeader(), RoundLogLine(round, clock_()));
    }
}

}  // namespace kelvandor
