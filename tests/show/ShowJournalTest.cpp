// The crash journal: written on every change of the standing, read back exactly, damaged
// files refused with a reason, the running mark cleared at a normal end.

#include <gtest/gtest.h>

#include "show/ShowFiles.h"
#include "show/ShowJournal.h"
#include "tests/show/ShowFixture.h"

namespace kelvandor::test {
namespace {

class JournalTest : public ShowTest {
protected:
    ShowJournal Journal() {
        const JournalReading reading = ReadShowJournal(Paths().journal);
        EXPECT_EQ(reading.status, JournalReading::Status::Read) << reading.problem;
        return reading.journal;
    }
};

TEST_F(JournalTest, FollowsEveryChangeOfTheStanding) {
    puzzles.Write(1, "Frage eins\nA\nB\nC\n");
    puzzles.Write(2, "Frage zwei\nA\nB\nC\n");
    StartShow();
    writer.Flush();
    EXPECT_TRUE(Journal().running);
    EXPECT_EQ(Journal().standing, view->Standing());

    view->OnCommand(CommandId::NextPuzzle);
    view->AddStar(1);
    view->AddStar(1);
    Record();
    EXPECT_EQ(Journal().standing.GameNumber, 1);
    EXPECT_EQ(Journal().standing.ActivePlayer, 0u);
    EXPECT_EQ(Journal().standing.Stars, (std::array<std::uint8_t, 2>{0, 2}));

    view->RemoveStar(1);
    Record();
    EXPECT_EQ(Journal().standing.Stars[1], 1);
    EXPECT_EQ(Journal().standing.PuzzlePath, puzzles.Path());
}

TEST_F(JournalTest, RestoresTheStandingExactlyWithAnEmptyBoardReadyForTheNextPuzzle) {
    puzzles.Write(3, "Frage drei\nA\nB\nC\n");
    puzzles.Write(4, "Frage vier\nA\nB\nC\n");
    StartShow();
    view->Poke().GameNumber = 2;
    view->OnCommand(CommandId::NextPuzzle);  // plays 3, player 0 to start
    view->AddStar(0);
    view->AddStar(1);
    view->AddStar(1);
    Record();
    const ShowJournal saved = Journal();

    // A new run of the program, somewhere else, takes it over.
    CHeadlessViewHost otherHost;
    CMemorySettingsStore otherStore;
    CTestView restored(otherHost, otherStore, NoPictures);
    otherHost.Attach(&restored);
    restored.OnCreate();
    restored.OnSize(1280, 720);
    ASSERT_TRUE(restored.RestoreStanding(saved.standing));
    EXPECT_EQ(restored.Standing(), view->Standing());
    EXPECT_EQ(restored.ElementCount(), 0);
    EXPECT_EQ(restored.State().Started, 0u);

    // F5 goes on with puzzle 4, and the other player starts it, as without the crash.
    restored.OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(restored.State().GameNumber, 4);
    EXPECT_EQ(restored.State().ActivePlayer, 1u);
    EXPECT_EQ(restored.State().Puzzle.QuestionText, "Frage vier");
    EXPECT_EQ(restored.State().Stars, (std::array<std::uint8_t, 2>{1, 2}));
}

TEST_F(JournalTest, RestoreIsRefusedWhileARoundIsPlayed) {
    puzzles.Write(1, "Frage\nA\nB\nC\n");
    StartShow();
    view->OnCommand(CommandId::NextPuzzle);
    ShowStanding other = view->Standing();
    other.Stars = {5, 5};
    EXPECT_FALSE(view->RestoreStanding(other));
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(view->ElementCount(), 3);
}

TEST_F(JournalTest, NormalEndClearsTheRunningMarkAndKeepsTheStanding) {
    StartShow();
    view->AddStar(0);
    recorder->Finish(*view, host.TickCount());
    writer.Flush();
    EXPECT_FALSE(Journal().running);
    EXPECT_EQ(Journal().standing.Stars[0], 1);
}

TEST_F(JournalTest, ASecondGameNeitherReadsNorWritesTheJournal) {
    StartShow(/*journalling=*/false);
    view->AddStar(0);
    recorder->Finish(*view, host.TickCount());
    writer.Flush();
    EXPECT_FALSE(std::filesystem::exists(Paths().journal));
}

TEST(JournalFile, DamagedJournalsAreRefusedWithAReason) {
    ShowJournal journal;
    journal.standing = {{3, 24}, 17, 1, 0, "/shows/quiz"};
    const std::string good = EncodeShowJournal(journal);
    ASSERT_EQ(DecodeShowJournal(good).journal, journal);

    const std::string bad[] = {
        good.substr(0, good.size() / 2),  // torn
        "",
        std::string("\x00\xFF garbage", 10),
        "[1, 2, 3]",
        R"({"format": 2, "running": true})",
        R"({"format": 1, "running": "yes", "stars": [0, 0], "gameNumber": 0, "activePlayer": 0,
            "startingPlayer": 0, "puzzleRoot": ""})",
        R"({"format": 1, "running": true, "stars": [0, 25], "gameNumber": 0, "activePlayer": 0,
            "startingPlayer": 0, "puzzleRoot": ""})",
        R"({"format": 1, "running": true, "stars": [0, 0], "gameNumber": 4294967296,
            "activePlayer": 0, "startingPlayer": 0, "puzzleRoot": ""})",
        R"({"format": 1, "running": true, "stars": [0, 0], "gameNumber": 0, "activePlayer": 3,
            "startingPlayer": 0, "puzzleRoot": ""})",
        R"({"format": 1, "running": true, "stars": [0, 0], "gameNumber": 0, "activePlayer": 0,
            "startingPlayer": 0})",
    };
    for (const std::string& bytes : bad) {
        const JournalReading reading = DecodeShowJournal(bytes);
        EXPECT_EQ(reading.status, JournalReading::Status::Damaged) << bytes;
        EXPECT_FALSE(reading.problem.empty());
        EXPECT_EQ(reading.problem.find('\n'), std::string::npos);
    }
}

TEST(JournalFile, ARootThatIsNotUtf8IsKeptByteForByte) {
    ShowJournal journal;
    journal.standing.PuzzlePath = "/shows/R\xE4tsel";  // Latin-1 name on disk
    const JournalReading reading = DecodeShowJournal(EncodeShowJournal(journal));
    ASSERT_EQ(reading.status, JournalReading::Status::Read) << reading.problem;
    EXPECT_EQ(reading.journal.standing.PuzzlePath, journal.standing.PuzzlePath);
}

TEST(JournalFile, MissingFileIsNotDamagedButAFolderIs) {
    TempFolder folder;
    EXPECT_EQ(ReadShowJournal(folder.Path() + "/none.json").status,
              JournalReading::Status::Missing);
    EXPECT_EQ(ReadShowJournal(folder.Path()).status, JournalReading::Status::Damaged);
}

TEST(JournalFile, ReplacingLeavesNoTemporaryFilesAndReportsFailures) {
    TempFolder folder;
    const std::string path = folder.Path() + "/state/kelvandor/show.json";
    EXPECT_EQ(ReplaceFileAtomically(path, "one"), "");
    EXPECT_EQ(ReplaceFileAtomically(path, "two"), "");
    EXPECT_EQ(ShowTest::ReadFile(path), "two");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() + "/state/kelvandor"),
                            std::filesystem::directory_iterator()),
              1);

    // A file where the folder should be: the write fails with a reason, nothing is thrown.
    folder.Write("blocked", "x");
    EXPECT_NE(ReplaceFileAtomically(folder.Path() + "/blocked/show.json", "x"), "");
}

TEST(DefaultShowPaths, FollowXdgAndFallBackToHome) {
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string keepState = savedState ? savedState : "";
    const std::string keepData = savedData ? savedData : "";

    ::setenv("XDG_STATE_HOME", "/run/st", 1);
    ::setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    const ShowPaths paths = DefaultShowPaths();
    EXPECT_EQ(paths.journal, "/run/st/kelvandor/show.json");
    EXPECT_EQ(paths.log, std::string(std::getenv("HOME")) + "/.local/share/kelvandor/show-log.csv");

    savedState ? ::setenv("XDG_STATE_HOME", keepState.c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
    savedData ? ::setenv("XDG_DATA_HOME", keepData.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace kelvandor::test
