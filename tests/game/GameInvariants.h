#pragma once
// What must always hold of the game state, checked after every step of the random runs (the
// invariant test and the long soak).

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/CommandIds.h"
#include "game/GameState.h"
#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "puzzles/GameRandom.h"

namespace kelvandor::test {

// An empty string when every invariant holds, else what broke. starsBefore and sizeBefore are
// the stars and the star size before the step.
inline std::string BrokenInvariant(const GameState& v, const std::array<std::uint8_t, 2>& starsBefore,
                                   std::uint32_t sizeBefore) {
    if (v.ElementCount() < 0 || v.ElementCount() > 12) {
        return "ElementCount " + std::to_string(v.ElementCount());
    }
    if (v.ActivePlayer > 2) {
        return "ActivePlayer " + std::to_string(v.ActivePlayer);
    }
    if (v.MoveQueueCount > 32) {
        return "MoveQueueCount " + std::to_string(v.MoveQueueCount);
    }
    for (int p = 0; p < 2; ++p) {
        // A star-size change may leave stars above the new limit until the next change.
        if (v.Stars[p] != starsBefore[p] && v.StarSize == sizeBefore && v.Stars[p] >= v.StarModulus) {
            return "Stars " + std::to_string(v.Stars[p]);
        }
    }
    int selected = 0;
    for (int column = 0; column < 2; ++column) {
        std::vector<int> slots;
        for (int i = 0; i < v.ElementCount(); ++i) {
            if (v.ElementColumn[i] == column) {
                slots.push_back(v.ElementSlot[i]);
            }
        }
        std::sort(slots.begin(), slots.end());
        for (std::size_t k = 1; k < slots.size(); ++k) {
            if (slots[k] - slots[k - 1] != 2) {
                return "slots of column " + std::to_string(column) + " not two apart";
            }
        }
        if (!slots.empty() && slots.back() > 2 * 12 + 2) {
            return "slot out of range: " + std::to_string(slots.back());
        }
    }
    for (int i = 0; i < v.ElementCount(); ++i) {
        selected += v.ElementState[i] == kStateSelected ? 1 : 0;
    }
    if (selected > 1) {
        return "more than one element selected";
    }
    return {};
}

// One random step as a quiz master and two players might take it: an arrow key, 1 to
// maxTicks ticks, a remote button, or a command (with an answer, sometimes a wrong one, for
// those that ask).
inline void TakeRandomStep(CKelvandorView& view, CHeadlessViewHost& host, GameRandom& random,
                           std::uint32_t maxTicks) {
    // An id the view does not handle: the frame's full-screen command (F10).
    constexpr auto kFrameCommand = static_cast<CommandId>(32802);
    static constexpr CommandId kCommands[] = {
        CommandId::NextPuzzle,       CommandId::NextPuzzle,        CommandId::ClearBoard,
        CommandId::ClearBoard,       CommandId::StopLeft,          CommandId::StopRight,
        CommandId::StopLeftButton,   CommandId::StopRightButton,   CommandId::AddStarLeft,
        CommandId::AddStarRight,     CommandId::RemoveStarLeft,    CommandId::RemoveStarRight,
        CommandId::SwitchPlayer,     CommandId::ToggleLeftPlayer,  CommandId::ToggleRightPlayer,
        CommandId::AutoStars,        CommandId::UseFormulas,       CommandId::SmallStars,
        CommandId::TwoRowsOfStars,   CommandId::LargeStars,        CommandId::NextGameNumber,
        CommandId::SetTimeout,       kFrameCommand,
    };
    static constexpr const char* kAnswers[] = {"1", "0", "3", "25", "x", "-4", "999"};
    const std::uint32_t r = random.NextRandom() % 100;
    if (r < 35) {
        view.OnKeyDown(0x25 + random.NextRandom() % 4);  // the arrow keys
    } else if (r < 55) {
        host.RunTicks(1 + random.NextRandom() % maxTicks);
    } else if (r < 75) {
        host.PostRemoteButton(random.NextRandom() % 16);
        host.DeliverPosted();
    } else {
        const CommandId id = kCommands[random.NextRandom() % std::size(kCommands)];
        if (id == CommandId::NextGameNumber || id == CommandId::SetTimeout) {
            host.PrepareAnswer(kAnswers[random.NextRandom() % std::size(kAnswers)]);
        }
        view.OnCommand(id);
    }
}

}  // namespace kelvandor::test
