// Moving answers: the parity rule, the half-row shifts of both columns, refusals, and the
// move queue that collects arrow keys while the board animates.

#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

class OrderingTest : public ViewTest {
protected:
    void SetUp() override { Create(); }
    std::vector<int> Slots(int column) const {
        std::vector<int> out;
        for (int e : Column(column)) {
            out.push_back(view->State().ElementSlot[e]);
        }
        return out;
    }
};

TEST_F(OrderingTest, MovingLeftAndBackOpensAndClosesGapsWhenCountsDifferInParity) {
    // The board as dealt for five answers: e0 left at 4, the pool at 1, 3, 5, 7 with e3 selected.
    SetBoard({0, 1, 1, 1, 1}, {4, 1, 3, 5, 7}, {0, 1, 1, 3, 1});
    view->MoveSelected(kMoveLeft);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"TUCK"});
    EXPECT_EQ(view->State().ElementColumn[3], kLeftColumn);
    EXPECT_EQ(Slots(kLeftColumn), (std::vector<int>{3, 5}));
    EXPECT_EQ(view->State().ElementSlot[3], 5);
    EXPECT_EQ(Slots(kRightColumn), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(view->Screen().DirtyMask, kAllDirty);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(view->State().MoveStartTick[i], host.TickCount());
    }

    view->Poke().MovingCount = 0;
    view->MoveSelected(kMoveRight);
    EXPECT_EQ(Slots(kLeftColumn), (std::vector<int>{4}));
    EXPECT_EQ(Slots(kRightColumn), (std::vector<int>{1, 3, 5, 7}));
    EXPECT_EQ(view->State().ElementSlot[3], 5);
}

TEST_F(OrderingTest, EqualParityStepsOneSlotDownAndClampsToTheColumn) {
    // Four answers as dealt: e0 left at 3; pool at 1, 3, 5, the one at 5 selected.
    SetBoard({0, 1, 1, 1}, {3, 1, 3, 5}, {0, 1, 1, 3});
    view->MoveSelected(kMoveLeft);
    // s = 5 + 1 = 6 lies below the left column (2..4): the mover lands at 4.
    EXPECT_EQ(view->State().ElementSlot[3], 4);
    EXPECT_EQ(Slots(kLeftColumn), (std::vector<int>{2, 4}));
    EXPECT_EQ(Slots(kRightColumn), (std::vector<int>{2, 4}));
}

TEST_F(OrderingTest, IntoAnEmptyLeftColumnLandsNearTheCentre) {
    SetBoard({1, 1, 1}, {0, 2, 4}, {1, 1, 3});
    view->MoveSelected(kMoveLeft);
    EXPECT_EQ(view->State().ElementColumn[2], kLeftColumn);
    EXPECT_GE(view->State().ElementSlot[2], 2);
    EXPECT_LE(view->State().ElementSlot[2], 4);
    EXPECT_EQ(Slots(kRightColumn), (std::vector<int>{1, 3}));
}

TEST_F(OrderingTest, UpAndDownSwapInTheLeftColumnAndChangeTheSelectionInThePool) {
    SetBoard({0, 0, 1, 1}, {2, 4, 1, 3}, {0, 3, 1, 1});
    view->MoveSelected(kMoveUp);
    EXPECT_EQ(view->State().ElementSlot[1], 2);
    EXPECT_EQ(view->State().ElementSlot[0], 4);
    EXPECT_EQ(view->State().MoveStartTick[0], host.TickCount());
    EXPECT_EQ(Sounds(), std::vector<std::string>{"TUCK"});
    view->MoveSelected(kMoveUp);  // nothing above
    EXPECT_EQ(Sounds(), std::vector<std::string>{"ERROR"});
    EXPECT_EQ(view->State().ElementSlot[1], 2);

    SetBoard({0, 1, 1, 1}, {3, 1, 3, 5}, {0, 1, 3, 1});
    view->Poke().MoveStartTick.fill(7);
    view->MoveSelected(kMoveDown);
    EXPECT_EQ(Selected(), 3);
    EXPECT_EQ(view->State().ElementState[2], kStateNormal);
    EXPECT_EQ(view->State().ElementSlot[2], 3);  // the pool does not move
    EXPECT_EQ(view->State().MoveStartTick[3], 7u);
    view->MoveSelected(kMoveDown);
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"TUCK", "ERROR"}));
}

TEST_F(OrderingTest, MovesOutOfTheWrongColumnAreRefused) {
    SetBoard({0, 1, 1}, {2, 1, 3}, {0, 3, 1});
    const auto slots = view->State().ElementSlot;
    view->MoveSelected(kMoveRight);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"ERROR"});
    EXPECT_EQ(view->State().ElementSlot, slots);
    view->MoveSelected(kMoveLeft);
    view->Poke().MovingCount = 0;
    view->MoveSelected(kMoveLeft);
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"TUCK", "ERROR"}));
}

TEST_F(OrderingTest, MovesWhileCountingDownOrWithoutASelectionAreDroppedSilently) {
    SetBoard({0, 1, 1}, {2, 1, 3}, {0, 3, 1});
    const auto slots = view->State().ElementSlot;
    view->Poke().SelectCountdown = 5;
    view->MoveSelected(kMoveLeft);
    view->Poke().SelectCountdown = 0;
    view->Poke().PhaseCountdown = 12;
    view->MoveSelected(kMoveLeft);
    view->Poke().PhaseCountdown = 0;
    view->Poke().ElementState[1] = kStateNormal;
    view->MoveSelected(kMoveLeft);
    EXPECT_TRUE(Sounds().empty());
    EXPECT_EQ(view->State().ElementSlot, slots);
}

TEST_F(OrderingTest, QueuedMovesRunOnePerTickOnceTheAnimationEnds) {
    SetBoard({0, 1, 1, 1, 1}, {4, 1, 3, 5, 7}, {0, 1, 1, 3, 1});
    view->Poke().MovingCount = 1;  // an animation is running
    Key(ArrowKey::Left);
    Key(ArrowKey::Up);
    Key(ArrowKey::Down);  // cancels the Up
    Key(ArrowKey::Down);
    EXPECT_EQ(view->State().MoveQueueCount, 2u);
    EXPECT_EQ(view->State().MoveQueue[0], kMoveLeft);
    EXPECT_EQ(view->State().MoveQueue[1], kMoveDown);
    EXPECT_TRUE(Sounds().empty());

    view->Poke().MovingCount = 0;
    host.RunTicks(1);  // nothing moves: the first queued move runs at once
    EXPECT_EQ(view->State().ElementColumn[3], kLeftColumn);
    EXPECT_EQ(view->State().MoveQueueCount, 1u);
    host.RunTicks(1);  // the move just started is animating: the second waits
    EXPECT_EQ(view->State().MoveQueueCount, 1u);
    EXPECT_GT(view->State().MovingCount, 0u);
    ASSERT_TRUE(host.RunTicksUntil(400, [this] { return view->State().MoveQueueCount == 0; }));
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"TUCK", "ERROR"}));  // nothing below e3
}

TEST_F(OrderingTest, TheQueueHoldsAtMost32Moves) {
    SetBoard({0, 1, 1}, {2, 1, 3}, {0, 3, 1});
    view->Poke().MovingCount = 1;
    for (int i = 0; i < 40; ++i) {
        Key(ArrowKey::Up);
    }
    EXPECT_EQ(view->State().MoveQueueCount, 32u);
    Key(ArrowKey::Down);  // the queue is full: even a cancelling press is dropped
    EXPECT_EQ(view->State().MoveQueueCount, 32u);
    view->OnKeyDown(0x41);  // not an arrow key
    EXPECT_EQ(view->State().MoveQueueCount, 32u);
}

TEST_F(OrderingTest, StopButtonRulesOfATurn) {
    SetBoard({0, 1, 1}, {2, 1, 3}, {0, 3, 1}, 0);
    view->JudgePlayer(1);  // not his turn
    EXPECT_EQ(Sounds(), std::vector<std::string>{"ERROR"});
    EXPECT_EQ(view->State().PanelColour[1], 0);
    view->JudgePlayer(0);  // the selection is still in the pool
    EXPECT_EQ(Sounds(), std::vector<std::string>{"ERROR"});
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 0}));
    view->JudgePlayer(2);
    EXPECT_TRUE(Sounds().empty());

    // Between rounds with the left player still active, only he can buzz.
    view->Poke().Started = 0;
    view->JudgePlayer(1);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"ERROR"});
    view->JudgePlayer(0);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"CLING1"});
    EXPECT_EQ(view->State().PanelColour[0], kPanelLatched);
    view->Poke().ActivePlayer = kNobody;
    view->JudgePlayer(1);  // the left player was first
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(OrderingTest, LastAnswerPlacedCorrectlySolvesThePuzzle) {
    SetBoard({0, 0, 0}, {0, 2, 4}, {0, 3, 0}, 1);
    view->JudgePlayer(1);
    EXPECT_EQ(view->State().PhaseCountdown, 10u);
    EXPECT_EQ(view->State().SelectCountdown, 0u);
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 0}));
}

}  // namespace
}  // namespace kelvandor::test
