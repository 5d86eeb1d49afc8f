// A long random run of keys, commands, remote buttons and ticks, checking after every step
// what must always hold of the game state.

#include <algorithm>
#include <map>

#include "game/CommandTable.h"
#include "puzzles/GameRandom.h"
#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

class InvariantTest : public ViewTest {
protected:
    // Returns an empty string when every invariant holds, else what broke.
    std::string Check(const std::array<std::uint8_t, 2>& starsBefore,
                      std::uint32_t sizeBefore) const {
        const GameState& v = view->State();
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
            if (v.Stars[p] != starsBefore[p] && v.StarSize == sizeBefore &&
                v.Stars[p] >= v.StarModulus) {
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
};

// An id the view does not handle: the frame's full-screen command (F10).
constexpr auto kFrameCommand = static_cast<CommandId>(32802);

TEST_F(InvariantTest, HoldsThroughout100000RandomSteps) {
    CPuzzleFolder folder;
    folder.Write(1, "Drei\nA\nB\nC\n");
    folder.Write(2, "Zw\xF6lf\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n");
    folder.Write(4, "Zwei\nA|a\nB|b\n");
    folder.Write(5, "Eins\nA\n");
    folder.Write(6, "Sieben\nA\nB\nC\nD\nE\nF\nG\n");
    store.WriteNumber("Timeout", 20);
    Create(folder.Path(), 12345);

    const CommandId commands[] = {
        CommandId::NextPuzzle,
        CommandId::NextPuzzle,
        CommandId::ClearBoard,
        CommandId::ClearBoard,
        CommandId::StopLeft,
        CommandId::StopRight,
        CommandId::StopLeftButton,
        CommandId::StopRightButton,
        CommandId::AddStarLeft,
        CommandId::AddStarRight,
        CommandId::RemoveStarLeft,
        CommandId::RemoveStarRight,
        CommandId::SwitchPlayer,
        CommandId::ToggleLeftPlayer,
        CommandId::ToggleRightPlayer,
        CommandId::AutoStars,
        CommandId::UseFormulas,
        CommandId::SmallStars,
        CommandId::TwoRowsOfStars,
        CommandId::LargeStars,
        CommandId::NextGameNumber,
        CommandId::SetTimeout,
        kFrameCommand,
    };
    const char* const answers[] = {"1", "0", "3", "25", "x", "-4", "999"};
    GameRandom random(20261206);
    for (int step = 0; step < 100000; ++step) {
        const auto starsBefore = view->State().Stars;
        const std::uint32_t sizeBefore = view->State().StarSize;
        const std::uint32_t r = random.NextRandom() % 100;
        if (r < 35) {
            Key(static_cast<ArrowKey>(0x25 + random.NextRandom() % 4));
        } else if (r < 55) {
            host.RunTicks(1 + random.NextRandom() % 30);
        } else if (r < 75) {
            host.PostRemoteButton(random.NextRandom() % 16);
            host.DeliverPosted();
        } else {
            const CommandId id = commands[random.NextRandom() % std::size(commands)];
            if (id == CommandId::NextGameNumber || id == CommandId::SetTimeout) {
                host.PrepareAnswer(answers[random.NextRandom() % std::size(answers)]);
            }
            view->OnCommand(id);
        }
        const std::string broken = Check(starsBefore, sizeBefore);
        ASSERT_EQ(broken, "") << "after step " << step;
    }
    // The run must have played real rounds, not idled.
    std::map<std::string, int> heard;
    for (const std::string& sound : host.Sounds()) {
        ++heard[sound];
    }
    for (const char* sound : {"TUCK", "ERROR", "WRONG", "CLING1", "CLING2", "TICK"}) {
        EXPECT_GT(heard[sound], 100) << sound;
    }
    EXPECT_GT(view->State().GameNumber, 0);
}

}  // namespace
}  // namespace kelvandor::test
