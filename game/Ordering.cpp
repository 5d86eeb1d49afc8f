// Moving answers between and within the two columns, the move queue, judging a placement,
// the time-out and the star arithmetic.

#include <algorithm>

#include "game/KelvandorView.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kFailureCountdownTicks = 30;
constexpr std::uint32_t kSolvedCountdownTicks = 10;
constexpr std::uint32_t kWrongSoundDelayTicks = 10;
constexpr std::uint32_t kSelectDelayTicks = 20;

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
    MoveQueueLock.Acquire();
    if (MoveQueueCount == 0 && MovingCount == 0) {
        MoveSelected(dir);
    } else if (MoveQueueCount != 0 && MoveQueueCount < kMoveQueueSize) {
        if (AreOpposite(MoveQueue[MoveQueueCount - 1], dir)) {
            --MoveQueueCount;  // the two presses cancel
        } else {
            MoveQueue[MoveQueueCount++] = dir;
        }
    } else if (MoveQueueCount == 0) {
        MoveQueue[0] = dir;
        MoveQueueCount = 1;
    }
    MoveQueueLock.Release();
}

std::array<CKelvandorView::ColumnExtent, 2> CKelvandorView::MeasureColumns() const {
    std::array<ColumnExtent, 2> ext{};
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        ColumnExtent& e = ext[ElementColumn[i] == kLeftColumn ? 0 : 1];
        ++e.count;
        e.min = std::min<std::int32_t>(e.min, ElementSlot[i]);
        e.max = std::max<std::int32_t>(e.max, ElementSlot[i]);
    }
    for (ColumnExtent& e : ext) {
        if (e.count == 0) {
            e.min = e.max = ElementCount();
        }
    }
    return ext;
}

void CKelvandorView::MoveSelected(std::uint32_t direction) {
    if (ElementCount() < 2 || MovingCount != 0 || PhaseCountdown != 0 || SelectCountdown != 0) {
        return;
    }
    std::int32_t selected = -1;
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (ElementState[i] == kStateSelected) {
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
            if (ElementColumn[sel] != from) {
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
    std::int32_t s = ElementSlot[sel];
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
        const bool above = ElementSlot[j] < s;
        if (ElementColumn[j] == to) {
            ElementSlot[j] =
                static_cast<std::uint8_t>(above ? ElementSlot[j] - 1 : ElementSlot[j] + 1);
        } else {
            ElementSlot[j] =
                static_cast<std::uint8_t>(above ? ElementSlot[j] + 1 : ElementSlot[j] - 1);
        }
        MoveStartTick[j] = now;
    }
    ElementColumn[sel] = to;
    ElementSlot[sel] = static_cast<std::uint8_t>(landing);
    MoveStartTick[sel] = now;
    DirtyMask = kAllDirty;
    Play("TUCK");
}

void CKelvandorView::MoveWithinColumn(std::uint32_t sel, std::int32_t delta, std::uint32_t now) {
    const std::int32_t wanted = ElementSlot[sel] + delta;
    std::int32_t neighbour = -1;
    for (std::int32_t j = 0; j < ElementCount(); ++j) {
        if (ElementColumn[j] == ElementColumn[sel] && ElementSlot[j] == wanted) {
            neighbour = j;
            break;
        }
    }
    if (neighbour < 0) {
        Play("ERROR");
        return;
    }
    const auto other = static_cast<std::uint32_t>(neighbour);
    if (ElementColumn[sel] == kLeftColumn) {
        std::swap(ElementSlot[sel], ElementSlot[other]);
        MoveStartTick[sel] = now;
        MoveStartTick[other] = now;
    } else {
        ElementState[other] = kStateSelected;
        ElementState[sel] = kStateNormal;
    }
    DirtyMask |= (1u << sel) | (1u << other);
    Play("TUCK");
}

bool CKelvandorView::LeftColumnInOrder() const {
    std::int32_t previous = -1;
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (ElementColumn[i] != kLeftColumn) {
            continue;
        }
        if (ElementSlot[i] <= previous) {
            return false;
        }
        previous = ElementSlot[i];
    }
    return true;
}

void CKelvandorView::JudgePlayer(std::uint32_t player) {
    if (player >= 2 || Latched[player ^ 1u] != 0) {
        return;  // the first press of a turn wins
    }
    if (ActivePlayer != kNobody) {
        if (player != ActivePlayer) {
            Play("ERROR");
            return;
        }
        if (Started != 0) {
            std::int32_t selected = -1;
            for (std::int32_t i = 0; i < ElementCount(); ++i) {
                if (ElementState[i] == kStateSelected && ElementColumn[i] == kLeftColumn) {
                    selected = i;
                    break;
                }
            }
            if (selected < 0) {
                Play("ERROR");  // the selection is still in the pool
                return;
            }
            DirtyMask |= 1u << selected;
            if (!LeftColumnInOrder()) {
                ElementState[selected] = kStateWrong;
                if (AutoStars != 0) {
                    AddStar(ActivePlayer ^ 1u);
                }
                PhaseCountdown = kFailureCountdownTicks;
                WrongSoundDelay = kWrongSoundDelayTicks;
            } else {
                ElementState[selected] = kStatePlaced;
                std::array<std::uint8_t, kMaxElements> pool{};
                std::int32_t poolCount = 0;
                for (std::int32_t i = 0; i < ElementCount(); ++i) {
                    if (ElementColumn[i] == kRightColumn) {
                        pool[poolCount++] = static_cast<std::uint8_t>(i);
                    }
                }
                if (poolCount == 0) {
                    PhaseCountdown = kSolvedCountdownTicks;
                } else {
                    std::sort(pool.begin(), pool.begin() + poolCount,
                              [this](std::uint8_t a, std::uint8_t b) {
                                  return ElementSlot[a] < ElementSlot[b];
                              });
                    NextSelection = pool[poolCount / 2];
                    SelectCountdown = kSelectDelayTicks;
                }
            }
        }
    }
    Latched[player] = 1;
    PanelColour[player] = kPanelLatched;
    Play(player == 0 ? "CLING1" : "CLING2");
}

void CKelvandorView::TimeOut() {
    if (Latched[0] != 0 || Latched[1] != 0 || Started == 0) {
        return;
    }
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (ElementState[i] == kStateSelected && ElementColumn[i] == kLeftColumn) {
            // The answer already stands in the ordered column: judge it as if the active
            // player had pressed his button.
            JudgePlayer(ActivePlayer);
            if (Latched[0] != 0 || Latched[1] != 0) {
                return;
            }
            break;
        }
    }
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (ElementColumn[i] == kRightColumn) {
            ElementState[i] = kStateWrong;
        }
    }
    // With nobody active there is no opponent to reward.
    if (AutoStars != 0 && ActivePlayer < 2) {
        AddStar(ActivePlayer ^ 1u);
    }
    Latched = {1, 1};
    PanelColour = {kPanelLatched, kPanelLatched};
    DirtyMask = kAllDirty;
    PhaseCountdown = kFailureCountdownTicks;
    Play("WRONG");
}

void CKelvandorView::AddStar(std::uint32_t player) {
    if (player >= 2) {
        return;
    }
    Stars[player] = static_cast<std::uint8_t>((Stars[player] + 1u) % StarModulus);
}

void CKelvandorView::RemoveStar(std::uint32_t player) {
    if (player >= 2) {
        return;
    }
    Stars[player] = static_cast<std::uint8_t>((Stars[player] + StarModulus - 1u) % StarModulus);
}

}  // namespace kelvandor
