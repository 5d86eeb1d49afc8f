// Whole rounds on the simulated clock: dealing, solving, losing, time-outs and the start of
// the next round.

#include <algorithm>

#include "game/CommandTable.h"
#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

const char* const kRivers =
    "Ordne die Fl\xFCsse nach L\xE4nge\r\nNil|6650 km\r\nAmazonas|6400 km\r\nJangtse|6380 km\r\n"
    "Mississippi|6275 km\r\nJenissei|5539 km\r\n";

class RoundFlowTest : public ViewTest {
protected:
    // Plays the current round to its end the right way: every pool answer is moved into
    // the ordered column, brought into place and confirmed by the active player.
    void SolveRound() {
        for (int guard = 0; guard < 20 && view->State().PhaseCountdown == 0; ++guard) {
            ASSERT_TRUE(host.RunTicksUntil(400, [this] {
                return view->State().MovingCount == 0 && view->State().SelectCountdown == 0;
            }));
            const int sel = Selected();
            ASSERT_GE(sel, 0);
            ASSERT_EQ(view->State().ElementColumn[sel], kRightColumn);
            Key(ArrowKey::Left);
            Settle();
            for (int step = 0; step < 12; ++step) {
                const std::vector<int> left = Column(kLeftColumn);
                const auto pos = std::find(left.begin(), left.end(), sel) - left.begin();
                if (pos > 0 && left[pos - 1] > sel) {
                    Key(ArrowKey::Up);
                } else if (pos + 1 < static_cast<long>(left.size()) && left[pos + 1] < sel) {
                    Key(ArrowKey::Down);
                } else {
                    break;
                }
                Settle();
            }
            const CommandId stop =
                view->State().ActivePlayer == 0 ? CommandId::StopLeft : CommandId::StopRight;
            ASSERT_TRUE(view->OnCommand(stop));
        }
    }
};

TEST_F(RoundFlowTest, DealPutsOneAnswerLeftAndSelectsTheMiddleOfThePool) {
    CPuzzleFolder folder;
    folder.Write(1, kRivers);
    Create(folder.Path());
    ASSERT_TRUE(view->OnCommand(CommandId::NextPuzzle));
    EXPECT_EQ(view->State().GameNumber, 1);
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_EQ(view->ElementCount(), 5);
    EXPECT_EQ(view->State().ActivePlayer, 0u);
    EXPECT_EQ(view->State().StartingPlayer, 0u);
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{3, 0}));
    EXPECT_EQ(view->State().MovingCount, 5u);
    EXPECT_FALSE(view->State().MoveQueueLock.IsHeld());
    ASSERT_EQ(Column(kLeftColumn).size(), 1u);
    const int first = Column(kLeftColumn)[0];
    EXPECT_EQ(view->State().ElementSlot[first], 4);
    EXPECT_EQ(view->State().ElementState[first], kStatePlaced);
    std::vector<int> poolSlots;
    for (int e : Column(kRightColumn)) {
        poolSlots.push_back(view->State().ElementSlot[e]);
    }
    EXPECT_EQ(poolSlots, (std::vector<int>{1, 3, 5, 7}));
    // k = 5/2 + 1 = 3: the third answer of the pool, at slot 5.
    ASSERT_GE(Selected(), 0);
    EXPECT_EQ(view->State().ElementSlot[Selected()], 5);
    EXPECT_EQ(view->State().ElementColumn[Selected()], kRightColumn);
}

TEST_F(RoundFlowTest, WholePuzzleSolvedThenClearedAndTheNextStartsWithTheOtherPlayer) {
    CPuzzleFolder folder;
    folder.Write(1, kRivers);
    folder.Write(2, "Zwei\nA\nB\nC\n");
    Create(folder.Path(), 99);
    view->OnCommand(CommandId::NextPuzzle);
    SolveRound();
    EXPECT_EQ(view->State().PhaseCountdown, 10u);
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 0}));  // solving earns no star
    ASSERT_TRUE(host.RunTicksUntil(400, [this] {
        return view->State().PhaseCountdown == 1 && view->State().MovingCount == 0;
    }));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(view->State().ElementColumn[i], kLeftColumn);
        EXPECT_EQ(view->State().ElementSlot[i], 2 * i);
    }
    EXPECT_EQ(view->State().ActivePlayer, view->State().StartingPlayer);
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{0, 0}));

    EXPECT_FALSE(view->OnCommand(CommandId::NextPuzzle));  // a finished round must be cleared
    ASSERT_TRUE(view->OnCommand(CommandId::ClearBoard));
    EXPECT_EQ(view->State().Started, 0u);
    EXPECT_EQ(view->ElementCount(), 0);
    EXPECT_EQ(view->State().Puzzle.QuestionText, "");
    ASSERT_TRUE(view->OnCommand(CommandId::NextPuzzle));
    EXPECT_EQ(view->State().GameNumber, 2);
    EXPECT_EQ(view->State().ActivePlayer, 1u);
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{0, 4}));
}

TEST_F(RoundFlowTest, CorrectPlacementPassesTheTurnAfterTwentyTicks) {
    Create();
    // A left, C selected below it in the left column, B and D in the pool.
    SetBoard({0, 1, 0, 1}, {2, 1, 4, 3}, {0, 1, 3, 1}, 0);
    view->JudgePlayer(0);
    EXPECT_EQ(view->State().ElementState[2], kStatePlaced);
    EXPECT_EQ(view->State().SelectCountdown, 20u);
    EXPECT_EQ(view->State().NextSelection,
              3u);  // pool sorted by slot: B(1), D(3); position 2/2 = 1
    EXPECT_EQ(Sounds(), std::vector<std::string>{"CLING1"});
    host.RunTicks(19);
    EXPECT_EQ(view->State().ActivePlayer, 0u);
    host.RunTicks(1);
    EXPECT_EQ(view->State().ActivePlayer, 1u);
    EXPECT_EQ(view->State().ElementState[3], kStateSelected);
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{0, 4}));
    EXPECT_EQ(Sounds(), std::vector<std::string>{"TUCK"});
}

TEST_F(RoundFlowTest, WrongPlacementGivesTheOpponentAStarAndShowsTheSolution) {
    Create();
    // B (index 1) stands above the selected A (index 0): wrong.
    SetBoard({0, 0, 1}, {3, 1, 2}, {3, 0, 1}, 0);
    view->JudgePlayer(0);
    EXPECT_EQ(view->State().ElementState[0], kStateWrong);
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 1}));
    EXPECT_EQ(view->State().PhaseCountdown, 30u);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"CLING1"});
    host.RunTicks(9);
    EXPECT_TRUE(Sounds().empty());
    host.RunTicks(1);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"WRONG"});
    host.RunTicks(17);  // 27 ticks: the countdown stands at 3, nothing laid out yet
    EXPECT_EQ(view->State().ElementColumn[2], kRightColumn);
    host.RunTicks(1);  // 28 ticks: the solution layout
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view->State().ElementColumn[i], kLeftColumn);
        EXPECT_EQ(view->State().ElementSlot[i], 2 * i);
    }
    EXPECT_TRUE(host.RunTicksUntil(400, [this] { return view->State().PhaseCountdown == 1; }));
    // F6 is enabled (the presser is latched) and ends the round.
    EXPECT_TRUE(view->OnCommand(CommandId::ClearBoard));
}

TEST_F(RoundFlowTest, WrongPlacementWithoutAutomaticPointsGivesNoStar) {
    Create();
    Setting("AutoStars", 0);
    SetBoard({0, 0, 1}, {3, 1, 2}, {3, 0, 1}, 1);
    view->JudgePlayer(1);
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 0}));
}

TEST_F(RoundFlowTest, SolutionWaitsWhileElementsStillMove) {
    Create();
    SetBoard({0, 0, 1}, {3, 1, 2}, {3, 0, 1}, 0);
    view->JudgePlayer(0);
    host.RunTicks(27);
    view->Poke().MovingCount = 1;  // something still animating when the countdown reaches 2
    host.RunTicks(1);
    EXPECT_EQ(view->State().PhaseCountdown, 3u);
    EXPECT_EQ(view->State().ElementColumn[2], kRightColumn);
}

TEST_F(RoundFlowTest, RevealedSolutionLaysTheAnswersOutInOrderWithoutJudging) {
    Create();
    SetBoard({0, 1, 1}, {1, 0, 2}, {0, 3, 1}, 1);
    view->RevealSolution();
    EXPECT_EQ(view->State().PhaseCountdown, kSolvedCountdownTicks);
    ASSERT_TRUE(host.RunTicksUntil(400, [this] {
        return view->State().PhaseCountdown == 1 && view->State().MovingCount == 0;
    }));
    EXPECT_EQ(Column(kLeftColumn), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_TRUE(Sounds().empty());
    // The round is over: revealing again starts nothing.
    view->RevealSolution();
    EXPECT_EQ(view->State().PhaseCountdown, 1u);
}

TEST_F(RoundFlowTest, ArrangedBoardInMotionBlocksMovesUntilItArrives) {
    Create();
    std::vector<ArrangedElement> board = {{kLeftColumn, 1, kStatePlaced},
                                          {kRightColumn, 0, kStateSelected},
                                          {kRightColumn, 2, kStateNormal}};
    board[1].fromColumn = kLeftColumn;  // on its way across the board
    view->ArrangeBoard(board, 0);
    EXPECT_EQ(view->State().MovingCount, 1u);
    Key(ArrowKey::Left);
    EXPECT_EQ(view->State().MoveQueueCount, 1u);  // queued, not done
    ASSERT_TRUE(host.RunTicksUntil(400, [this] { return view->State().MoveQueueCount == 0; }));
    EXPECT_EQ(view->State().ElementColumn[1], kLeftColumn);
}

TEST_F(RoundFlowTest, TimeOutOf30SecondsCountsDownTheLastTenSeconds) {
    CPuzzleFolder folder;
    folder.Write(1, kRivers);
    store.WriteNumber("Timeout", 30);
    Create(folder.Path());
    view->OnCommand(CommandId::NextPuzzle);
    const std::uint32_t start = view->State().TurnStartTick;
    std::vector<std::uint32_t> tickAt;  // elapsed ms of each "TICK"
    std::vector<std::uint32_t> digits;
    for (int k = 1; k <= 599; ++k) {
        host.RunTicks(1);
        for (const std::string& s : Sounds()) {
            if (s == "TICK") {
                tickAt.push_back(host.TickCount() - start);
                digits.push_back(view->State().CountdownDigit);
            }
        }
        if (host.TickCount() - start <= 20000) {
            ASSERT_EQ(view->State().CountdownDigit, 0u) << k;
        }
    }
    EXPECT_EQ(tickAt, (std::vector<std::uint32_t>{20050, 21000, 22000, 23000, 24000, 25000, 26000,
                                                  27000, 28000, 29000}));
    EXPECT_EQ(digits, (std::vector<std::uint32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(view->State().PhaseCountdown, 0u);
    host.RunTicks(1);  // 30 s
    EXPECT_EQ(Sounds(), std::vector<std::string>{"WRONG"});
    EXPECT_EQ(view->State().PhaseCountdown, 30u);
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{1, 1}));
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{1, 1}));
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 1}));
    for (int e : Column(kRightColumn)) {
        EXPECT_EQ(view->State().ElementState[e], kStateWrong);
    }
    host.RunTicks(1);
    EXPECT_EQ(view->State().CountdownDigit, 0u);
}

TEST_F(RoundFlowTest, TimeOutWithTheSelectionInTheLeftColumnJudgesIt) {
    Create();
    Setting("Timeout", 20);
    SetBoard({0, 1, 0, 1}, {2, 1, 4, 3}, {0, 1, 3, 1}, 1);
    host.RunTicks(400);
    EXPECT_EQ(view->State().ElementState[2], kStatePlaced);  // correct: judged like a press
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 1}));
    EXPECT_EQ(view->State().SelectCountdown, 20u);
    EXPECT_EQ(view->State().PhaseCountdown, 0u);

    SetBoard({0, 0, 1}, {3, 1, 2}, {3, 0, 1}, 0);
    host.RunTicks(400);
    EXPECT_EQ(view->State().ElementState[0], kStateWrong);
    EXPECT_EQ(view->State().WrongSoundDelay, 10u);
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{1, 0}));
}

TEST_F(RoundFlowTest, NothingLeftShowsTheMessageOrPlaysFormulas) {
    CPuzzleFolder folder;
    Create(folder.Path());
    Setting("UseFormular", 0);
    view->Poke().ActivePlayer = 0;
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().Puzzle.QuestionText, "Es sind keine R\xE4tsel mehr vorhanden ...");
    EXPECT_EQ(view->State().GameNumber, 10);
    EXPECT_EQ(view->State().ActivePlayer, kNobody);
    EXPECT_EQ(view->State().Started, 0u);
    EXPECT_EQ(view->ElementCount(), 0);

    Setting("UseFormular", 1);
    ASSERT_TRUE(view->OnCommand(CommandId::NextPuzzle));
    EXPECT_EQ(view->State().GameNumber, 20);
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_GT(view->ElementCount(), 1);
    EXPECT_GE(Selected(), 0);
}

TEST_F(RoundFlowTest, PuzzleWithLessThanTwoAnswersIsPassedOverLikeAMissingOne) {
    CPuzzleFolder folder;
    folder.Write(1, "Nur eine Frage\r\n");
    folder.Write(2, "Eine Antwort\nA\n");
    folder.Write(3, "Frage\nA\nB\nC\n");
    Create(folder.Path());
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().GameNumber, 3);
    EXPECT_FALSE(view->State().MoveQueueLock.IsHeld());
    EXPECT_EQ(view->ElementCount(), 3);
}

TEST_F(RoundFlowTest, TwoAnswersSelectTheOnlyPoolAnswer) {
    CPuzzleFolder folder;
    folder.Write(1, "Frage\nA\nB\n");
    Create(folder.Path());
    view->OnCommand(CommandId::NextPuzzle);
    const std::vector<int> pool = Column(kRightColumn);
    ASSERT_EQ(pool.size(), 1u);
    EXPECT_EQ(Selected(), pool[0]);
}

TEST_F(RoundFlowTest, BuzzBetweenRoundsDoesNotLatchIntoTheNextRound) {
    CPuzzleFolder folder;
    folder.Write(1, kRivers);
    store.WriteNumber("Timeout", 20);
    Create(folder.Path());
    host.PostRemoteButton(1);
    host.DeliverPosted();
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 1}));
    EXPECT_EQ(view->State().PanelColour[1], kPanelLatched);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"CLING2"});
    host.PostRemoteButton(0);  // the other player is latched: ignored, silently
    host.DeliverPosted();
    EXPECT_EQ(view->State().Latched[0], 0);
    EXPECT_TRUE(Sounds().empty());

    ASSERT_TRUE(view->OnCommand(CommandId::NextPuzzle));
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_TRUE(view->IsCommandEnabled(CommandId::StopRight));
    host.RunTicks(400);  // the turn clock runs: nobody is latched
    EXPECT_EQ(view->State().PhaseCountdown, 30u);
}

TEST_F(RoundFlowTest, NothingLeftMessageAlsoResetsALatchedPanel) {
    CPuzzleFolder folder;
    Create(folder.Path());
    Setting("UseFormular", 0);
    view->JudgePlayer(0);
    ASSERT_EQ(view->State().Latched[0], 1);
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_FALSE(view->IsCommandEnabled(CommandId::ClearBoard));
}

TEST_F(RoundFlowTest, LoadingTwiceBeforeTheDealDoesNotDeadlock) {
    CPuzzleFolder folder;
    folder.Write(1, kRivers);
    Create(folder.Path());
    ASSERT_TRUE(view->LoadPuzzle(1));
    ASSERT_TRUE(view->LoadPuzzle(1));
    EXPECT_TRUE(view->State().MoveQueueLock.IsHeld());
    Key(ArrowKey::Left);  // would wait forever on the view's own lock
    host.RunTicks(3);
    view->Poke().GameNumber = 0;
    ASSERT_TRUE(view->OnCommand(CommandId::NextPuzzle));
    EXPECT_FALSE(view->State().MoveQueueLock.IsHeld());
    Settle();
    Key(ArrowKey::Left);
    EXPECT_EQ(Sounds().back(), "TUCK");
}

TEST_F(RoundFlowTest, TicksWaitForASizeAndIgnoreOtherTimers) {
    Create();
    SetBoard({0, 1}, {1, 1}, {0, 3}, 0);
    view->Poke().SelectCountdown = 5;
    view->OnTimer(1);
    EXPECT_EQ(view->State().SelectCountdown, 5u);
    view->OnSize(0, 500);  // ignored: the old size stays
    EXPECT_EQ(view->Screen().ViewWidth, 1280);
    view->OnTimer(kGameTimerId);
    EXPECT_EQ(view->State().SelectCountdown, 4u);
}

TEST_F(RoundFlowTest, PointerIsParkedOnlyWhenZoomedFromAMaximisedWindow) {
    Create();
    host.SetViewScreenRect({0, 0, 1280, 720});
    host.SetCursor(ScreenPoint{100, 100});
    view->SetZoomMode(1);
    host.RunTicks(1);
    EXPECT_EQ(host.CursorPosition()->x, 100);
    view->SetZoomMode(2);
    host.RunTicks(1);
    EXPECT_EQ(host.CursorPosition()->x, 1279);
    EXPECT_EQ(host.CursorPosition()->y, 719);
}

}  // namespace
}  // namespace kelvandor::test
