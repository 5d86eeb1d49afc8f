// The round log: one line per ended round with how it ended, who, the stars and the duration;
// RFC 4180 quoting; a full disk reported, never fatal.

#include <gtest/gtest.h>

#include <vector>

#include "show/RoundLog.h"
#include "tests/show/ShowFixture.h"

namespace kelvandor::test {
namespace {

class RoundLogTest : public ShowTest {
protected:
    // Starts puzzle 1 (asked with `question`), three answers, with the left player to play.
    void StartRound(const std::string& question = "Frage") {
        puzzles.Write(1, question + "\nA\nB\nC\n");
        StartShow();
        view->OnCommand(CommandId::NextPuzzle);
        Settle();
        ASSERT_EQ(view->State().ActivePlayer, 0u);
    }

    std::vector<std::string> Lines() {
        writer.Flush();
        std::vector<std::string> lines;
        const std::string text = ReadFile(Paths().log);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            lines.push_back(text.substr(start, end - start));
        }
        EXPECT_EQ(start, text.size()) << "the log ends in a torn line";
        return lines;
    }
};

TEST_F(RoundLogTest, ASolvedRound) {
    StartRound();
    host.Advance(12400);
    // The last answer placed in the right order.
    SetBoard({0, 0, 0}, {0, 2, 4}, {0, 0, 3}, 0);
    host.Advance(2600);
    view->JudgePlayer(0);
    Record();
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           RoundLogHeader().substr(0, RoundLogHeader().size() - 2),
                           "2023-11-14 22:13:20,1,Frage,gel\xC3\xB6st,links,0,0,3"}));
}

TEST_F(RoundLogTest, AWrongJudgementGivesTheOpponentHisStarInTheLine) {
    StartRound();
    SetBoard({0, 0, 1}, {2, 0, 2}, {1, 3, 1}, 0);  // B above A
    view->JudgePlayer(0);
    Record();
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1], "2023-11-14 22:13:20,1,Frage,falsch,links,0,1,0");
}

TEST_F(RoundLogTest, ATimeOutAlsoWhenItJudgesAWrongPlacement) {
    StartRound();
    Setting("Timeout", 20);
    host.RunTicks(20 * 20 + 2);
    Record();
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1], "2023-11-14 22:13:20,1,Frage,Zeit abgelaufen,links,0,1,20");

    // The next round runs out with a wrong answer already in the ordered column.
    ASSERT_TRUE(host.RunTicksUntil(400, [this] {
        return view->State().PhaseCountdown == 1 && view->State().MovingCount == 0;
    }));
    view->OnCommand(CommandId::ClearBoard);
    puzzles.Write(2, "Zwei\nA\nB\nC\n");
    view->OnCommand(CommandId::NextPuzzle);
    Settle();
    SetBoard({0, 0, 1}, {2, 0, 2}, {1, 3, 1}, 1);
    host.RunTicks(20 * 20 + 2);
    Record();
    ASSERT_EQ(Lines().size(), 3u);
    EXPECT_EQ(Lines()[2], "2023-11-14 22:13:20,2,Zwei,Zeit abgelaufen,rechts,1,1,20");
}

TEST_F(RoundLogTest, AnAbortedRoundAndARoundLeftInPlayAtTheEnd) {
    StartRound();
    SetBoard({0, 1, 1}, {2, 1, 3}, {3, 1, 1}, 0);
    view->JudgePlayer(0);  // correct, the turn is about to pass
    view->OnCommand(CommandId::ClearBoard);
    Record();
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1], "2023-11-14 22:13:20,1,Frage,abgebrochen,links,0,0,0");

    // A buzzer press between rounds and clearing it is no round.
    view->JudgePlayer(0);
    ASSERT_EQ(view->State().Latched[0], 1);
    view->OnCommand(CommandId::ClearBoard);
    Record();
    EXPECT_EQ(Lines().size(), 2u);

    puzzles.Write(2, "Zwei\nA\nB\nC\n");
    view->OnCommand(CommandId::NextPuzzle);
    recorder->Finish(*view, host.TickCount());
    ASSERT_EQ(Lines().size(), 3u);
    EXPECT_EQ(Lines()[2], "2023-11-14 22:13:20,2,Zwei,abgebrochen,rechts,0,0,0");
}

TEST_F(RoundLogTest, FormulaRoundsAreNamedSo) {
    StartShow();  // no puzzles at all: formulas
    view->OnCommand(CommandId::NextPuzzle);
    ASSERT_TRUE(view->State().RoundIsFormula);
    view->ClearBoard();
    Record();
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1].substr(20, 7), "Formel,");
}

TEST_F(RoundLogTest, AQuestionWithACommaAndQuotesIsQuoted) {
    StartRound("Wer sagte \"Ja, gern\"? \xC4rger");  // Windows-1252 "Ä"
    view->ClearBoard();
    Record();
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1].substr(0, Lines()[1].rfind(',')),
              "2023-11-14 22:13:20,1,\"Wer sagte \"\"Ja, gern\"\"? \xC3\x84rger\",abgebrochen,"
              "links,0,0");
    EXPECT_EQ(CsvField("a\nb"), "\"a\nb\"");
    EXPECT_EQ(CsvField("plain"), "plain");
}

TEST_F(RoundLogTest, AFullDiskIsReportedAndTheGameGoesOn) {
    std::filesystem::create_directories(std::filesystem::path(Paths().log).parent_path());
    std::filesystem::create_symlink("/dev/full", Paths().log);
    StartRound();
    view->ClearBoard();
    Record();
    const std::optional<std::string> problem = recorder->TakeProblem();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("show-log.csv"), std::string::npos) << *problem;
    EXPECT_FALSE(recorder->TakeProblem());  // reported once
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().Started, 1u);
}

}  // namespace
}  // namespace kelvandor::test
