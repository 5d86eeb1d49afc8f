// The quiz master's model follows a round from the game's const state and looks the next
// puzzle up without touching the game.

#include <gtest/gtest.h>

#include "show/ModeratorModel.h"
#include "tests/show/ShowFixture.h"

namespace kelvandor::test {
namespace {

class ModeratorModelTest : public ShowTest {
protected:
    ModeratorModel Model() { return BuildModeratorModel(view->State(), host.TickCount()); }
    std::vector<std::string> Statuses() {
        std::vector<std::string> out;
        for (const ModeratorAnswer& a : Model().answers) {
            out.push_back(a.status);
        }
        return out;
    }
};

TEST_F(ModeratorModelTest, FollowsARoundFromDealToSolution) {
    puzzles.Write(1, "Ordne, gro\xDF zuerst\nEins|erste L\xF6sung\nZwei\nDrei|dritte\n");
    puzzles.Write(3, "Danach\nA\nB\n");
    Create(puzzles.Path());
    Setting("Timeout", 30);
    EXPECT_EQ(Model().phase, "Bereit f\xC3\xBCr das n\xC3\xA4" "chste R\xC3\xA4tsel (F5)");
    EXPECT_EQ(LookUpNextPuzzle(view->State().PuzzlePath, 0, true).text,
              "Game001: Ordne, gro\xC3\x9F zuerst");

    view->OnCommand(CommandId::NextPuzzle);
    Settle();
    ModeratorModel m = Model();
    EXPECT_EQ(m.question, "Ordne, gro\xC3\x9F zuerst");
    ASSERT_EQ(m.answers.size(), 3u);
    // The correct order, whatever the shuffle did on the board.
    EXPECT_EQ(m.answers[0].answer, "Eins");
    EXPECT_EQ(m.answers[0].solution, "erste L\xC3\xB6sung");
    EXPECT_EQ(m.answers[2].answer, "Drei");
    EXPECT_EQ(m.phase, "Spieler links am Zug");
    EXPECT_EQ(m.activePlayer, 0u);
    ASSERT_TRUE(m.secondsLeft);
    EXPECT_EQ(*m.secondsLeft, 30u - (host.TickCount() - view->State().TurnStartTick) / 1000);
    // The next puzzle skips the missing folder 2, as F5 will.
    EXPECT_EQ(LookUpNextPuzzle(view->State().PuzzlePath, view->State().GameNumber, true).text,
              "Game003: Danach");

    // The selected answer goes into the ordered column and is judged right.
    const int selected = Selected();
    ASSERT_GE(selected, 0);
    Key(ArrowKey::Left);
    Settle();
    // The deal put one answer into the ordered column already; with this seed it stands
    // above the one just moved, in the right order.
    const std::vector<int> left = Column(kLeftColumn);
    ASSERT_EQ(left.size(), 2u);
    ASSERT_EQ(left[1], selected);
    EXPECT_EQ(Statuses()[static_cast<std::size_t>(selected)], "links, Platz 2");
    EXPECT_TRUE(Model().answers[static_cast<std::size_t>(selected)].selected);
    view->JudgePlayer(0);
    m = Model();
    EXPECT_EQ(m.answers[static_cast<std::size_t>(selected)].status, "richtig, Platz 2");
    EXPECT_TRUE(m.answers[static_cast<std::size_t>(selected)].placed);
    EXPECT_EQ(m.phase, "Richtig \xE2\x80\x93 gleich ist Spieler rechts am Zug");
    EXPECT_FALSE(m.secondsLeft);

    // The right player's placement is judged wrong: the opponent's star shows at once.
    host.RunTicks(21);
    ASSERT_EQ(view->State().ActivePlayer, 1u);
    SetBoard({0, 0, 1}, {2, 0, 2}, {0, 3, 1}, 1);
    view->JudgePlayer(1);
    m = Model();
    EXPECT_EQ(m.phase, "Falsch \xE2\x80\x93 die L\xC3\xB6sung folgt");
    EXPECT_EQ(m.stars, (std::array<std::uint8_t, 2>{1, 0}));
    EXPECT_TRUE(m.answers[1].wrong);
    EXPECT_EQ(m.answers[1].status, "falsch, Platz 1");

    ASSERT_TRUE(host.RunTicksUntil(400, [this] {
        return view->State().PhaseCountdown == 1 && view->State().MovingCount == 0;
    }));
    EXPECT_EQ(Model().phase, "Runde vorbei");
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"richtig, Platz 1", "falsch, Platz 2",
                                                    "links, Platz 3"}));
}

TEST_F(ModeratorModelTest, LookingUpTheNextPuzzleChangesNothing) {
    puzzles.Write(5, "F\xFCnf\nA\nB\n");
    Create(puzzles.Path());
    view->Poke().GameNumber = 4;
    const ShowStanding before = view->Standing();
    EXPECT_EQ(LookUpNextPuzzle(view->State().PuzzlePath, 4, false).text, "Game005: F\xC3\xBCnf");
    EXPECT_EQ(LookUpNextPuzzle(view->State().PuzzlePath, 5, false).text,
              "keine R\xC3\xA4tsel mehr");
    EXPECT_EQ(LookUpNextPuzzle(view->State().PuzzlePath, 5, true).text, "Formelr\xC3\xA4tsel");
    (void)BuildModeratorModel(view->State(), host.TickCount());
    EXPECT_EQ(view->Standing(), before);
    EXPECT_EQ(view->ElementCount(), 0);
}

TEST_F(ModeratorModelTest, ABuzzerPressBetweenRoundsIsNamed) {
    Create();
    view->JudgePlayer(1);
    EXPECT_EQ(Model().phase, "Spieler rechts hat gedr\xC3\xBC" "ckt");
}

}  // namespace
}  // namespace kelvandor::test
