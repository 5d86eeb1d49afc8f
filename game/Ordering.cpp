// Moving answers between and within the two columns, the move queue, judging a placement,
// the time-out and the star arithmetic.

#include <algorithm>

#include "game/KelvandorView.h"

namespace kelvandor {

namespace {

bool AreOpposite(std::uint8_t a, std::uint8_t b) {
    return (a ^ 1u) == b;
}

}  // namespace

void CKelvandorView::QueueMove(std::uint32_t direction) {
    if (direction > kMoveDown) {
        return;
    }
    // A loaded puzzle waiting for its deal holds the lock on this very thread, and the deal
    // empties the queue: a key pressed in between has nothing to act on.
    if (loadHoldsMoveQueueLock_) {
        return;
    }
    const auto dir = static_cast<std::uint8_t>(direction);
    state_.MoveQueueLock.Acquire();
    if (state_.MoveQueueCount == 0 && state_.MovingCount == 0) {
        MoveSelected(dir);
    } else if (state_.MoveQueueCount != 0 && state_.MoveQueueCount < kMoveQueueSize) {
        if (AreOpposite(state_.MoveQueue[state_.MoveQueueCount - 1], dir)) {
            --state_.MoveQueueCount;  // the two presses cancel
        } else {
            state_.MoveQueue[state_.MoveQueueCount++] = dir;
        }
    } else if (state_.MoveQueueCount == 0) {
        state_.MoveQueue[0] = dir;
        state_.MoveQueueCount = 1;
    }
    state_.MoveQueueLock.Release();
}

std::array<CKelvandorView::ColumnExtent, 2> CKelvandorView::MeasureColumns() const {
    std::array<ColumnExtent, 2> ext{};
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        ColumnExtent& e = ext[state_.ElementColumn[i] == kLeftColumn ? 0 : 1];
        ++e.count;
        e.min = std::min<std::int32_t>(e.min, state_.ElementSlot[i]);
        e.max = std::max<std::int32_t>(e.max, state_.ElementSlot[i]);
    }
    for (ColumnExtent& e : ext) {
        if (e.count == 0) {
            e.min = e.max = ElementCount();
        }
    }
    return ext;
}

void CKelvandorView::MoveSelected(std::uint32_t direction) {
    if (ElementCount() < 2 || state_.MovingCount != 0 || state_.PhaseCountdown != 0 ||
        state_.SelectCountdown != 0) {
        return;
    }
    std::int32_t selected = -1;
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (state_.ElementState[i] == kStateSelected) {
            selected = i;
            break;
        }
    }
    if (selected < 0) {
        return;
    }
    const auto sel = static_cast<std::uint32_t>(selected);
    const std::uint32_t now = host_.TickCount();
    switch (direction) {
        case kMoveRight:
        case kMoveLeft: {
            const std::uint8_t from = direction == kMoveRight ? kLeftColumn : kRightColumn;
            if (state_.ElementColumn[sel] != from) {
                Play("ERROR");
                return;
            }
            MoveAcrossColumns(sel, from == kLeftColumn ? kRightColumn : kLeftColumn, now);
            return;
        }
        case kMoveUp:
            MoveWithinColumn(sel, -2, now);
            return;
        case kMoveDown:
            MoveWithinColumn(sel, 2, now);
            return;
        default:
            return;
    }
}

void CKelvandorView::MoveAcrossColumns(std::uint32_t sel, std::uint8_t to, std::uint32_t now) {
    const std::array<ColumnExtent, 2> ext = MeasureColumns();
    std::int32_t s = state_.ElementSlot[sel];
    // Elements of one column stand on slots of one parity; step onto the other column's
    // parity so that the gap opens exactly where the mover lands.
    if (ext[0].count % 2 == ext[1].count % 2) {
        ++s;
    }
    const ColumnExtent& target = ext[to];
    std::int32_t landing = s;
    if (s < target.min) {
        landing = target.min - 1;
    } else if (s > target.max) {
        landing = target.max + 1;
    }
    for (std::int32_t j = 0; j < ElementCount(); ++j) {
        if (static_cast<std::uint32_t>(j) == sel) {
            continue;
        }
        const bool above = state_.ElementSlot[j] < s;
        if (state_.ElementColumn[j] == to) {
            state_.ElementSlot[j] = static_cast<std::uint8_t>(above ? state_.ElementSlot[j] - 1
                                                                    : state_.ElementSlot[j] + 1);
        } else {
            state_.ElementSlot[j] = static_cast<std::uint8_t>(above ? state_.ElementSlot[j] + 1
                                                                    : state_.ElementSlot[j] - 1);
        }
        state_.MoveStartTick[j] = now;
    }
    state_.ElementColumn[sel] = to;
    state_.ElementSlot[sel] = static_cast<std::uint8_t>(landing);
    state_.MoveStartTick[sel] = now;
    MarkDirty(kAllDirty);
    Play("TUCK");
}

void CKelvandorView::MoveWithinColumn(std::uint32_t sel, std::int32_t delta, std::uint32_t now) {
    const std::int32_t wanted = state_.ElementSlot[sel] + delta;
    std::int32_t neighbour = -1;
    for (std::int32_t j = 0; j < ElementCount(); ++j) {
        if (state_.ElementColumn[j] == state_.ElementColumn[sel] &&
            state_.ElementSlot[j] == wanted) {
            neighbour = j;
            break;
        }
    }
    if (neighbour < 0) {
        Play("ERROR");
        return;
    }
    const auto other = static_cast<std::uint32_t>(neighbour);
    if (state_.ElementColumn[sel] == kLeftColumn) {
        std::swap(state_.ElementSlot[sel], state_.ElementSlot[other]);
        state_.MoveStartTick[sel] = now;
        state_.MoveStartTick[other] = now;
    } else {
        state_.ElementState[other] = kStateSelected;
        state_.ElementState[sel] = kStateNormal;
    }
    MarkDirty((1u << sel) | (1u << other));
    Play("TUCK");
}

bool CKelvandorView::LeftColumnInOrder() const {
    std::int32_t previous = -1;
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (state_.ElementColumn[i] != kLeftColumn) {
            continue;
        }
        if (state_.ElementSlot[i] <= previous) {
            return false;
        }
        previous = state_.ElementSlot[i];
    }
    return true;
}

void CKelvandorView::JudgePlayer(std::uint32_t player) {
    if (player >= 2 || state_.Latched[player ^ 1u] != 0) {
        return;  // the first press of a turn wins
    }
    if (state_.ActivePlayer != kNobody) {
        if (player != state_.ActivePlayer) {
            Play("ERROR");
            return;
        }
        if (state_.Started != 0) {
            std::int32_t selected = -1;
            for (std::int32_t i = 0; i < ElementCount(); ++i) {
                if (state_.ElementState[i] == kStateSelected &&
                    state_.ElementColumn[i] == kLeftColumn) {
                    selected = i;
                    break;
                }
            }
            if (selected < 0) {
                Play("ERROR");  // the selection is still in the pool
                return;
            }
            MarkDirty(1u << selected);
            if (!LeftColumnInOrder()) {
                state_.ElementState[selected] = kStateWrong;
                if (state_.AutoStars != 0) {
                    AddStar(state_.ActivePlayer ^ 1u);
                }
                state_.PhaseCountdown = kFailureCountdownTicks;
                state_.WrongSoundDelay = kWrongSoundDelayTicks;
                NoteRoundEnd(judgingTimeOut_ ? RoundEnding::TimedOut : RoundEnding::Wrong,
                             state_.ActivePlayer);
            } else {
                state_.ElementState[selected] = kStatePlaced;
                std::array<std::uint8_t, kMaxElements> pool{};
                std::int32_t poolCount = 0;
                for (std::int32_t i = 0; i < ElementCount(); ++i) {
                    if (state_.ElementColumn[i] == kRightColumn) {
                        pool[poolCount++] = static_cast<std::uint8_t>(i);
                    }
                }
                if (poolCount == 0) {
                    state_.PhaseCountdown = kSolvedCountdownTicks;
                    NoteRoundEnd(RoundEnding::Solved, state_.ActivePlayer);
                } else {
                    std::sort(pool.begin(), pool.begin() + poolCount,
                              [this](std::uint8_t a, std::uint8_t b) {
                                  return state_.ElementSlot[a] < state_.ElementSlot[b];
                              });
                    state_.NextSelection = pool[poolCount / 2];
                    state_.SelectCountdown = kSelectDelayTicks;
                }
            }
        }
    }
    state_.Latched[player] = 1;
    state_.PanelColour[player] = kPanelLatched;
    Play(player == 0 ? "CLING1" : "CLING2");
}

void CKelvandorView::TimeOut() {
    if (state_.Latched[0] != 0 || state_.Latched[1] != 0 || state_.Started == 0) {
        return;
    }
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (state_.ElementState[i] == kStateSelected && state_.ElementColumn[i] == kLeftColumn) {
            // The answer already stands in the ordered column: judge it as if the active
            // player had pressed his button.
            judgingTimeOut_ = true;
            JudgePlayer(state_.ActivePlayer);
            judgingTimeOut_ = false;
            if (state_.Latched[0] != 0 || state_.Latched[1] != 0) {
                return;
            }
            break;
        }
    }
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (state_.ElementColumn[i] == kRightColumn) {
            state_.ElementState[i] = kStateWrong;
        }
    }
    // With nobody active there is no opponent to reward.
    if (state_.AutoStars != 0 && state_.ActivePlayer < 2) {
        AddStar(state_.ActivePlayer ^ 1u);
    }
    state_.Latched = {1, 1};
    state_.PanelColour = {kPanelLatched, kPanelLatched};
    MarkDirty(kAllDirty);
    state_.PhaseCountdown = kFailureCountdownTicks;
    NoteRoundEnd(RoundEnding::TimedOut, state_.ActivePlayer);
    Play("WRONG");
}

void CKelvandorView::AddStar(std::uint32_t player) {
    if (player >= 2) {
        return;
    }
    state_.Stars[player] =
        static_cast<std::uint8_t>((state_.Stars[player] + 1u) % state_.StarModulus);
}

void CKelvandorView::RemoveStar(std::uint32_t player) {
    if (player >= 2) {
        return;
    }
    state_.Stars[player] = static_cast<std::uint8_t>(
        (state_.Stars[player] + state_.StarModulus - 1u) % state_.StarModulus);
}

}  // namespace kelvandor
