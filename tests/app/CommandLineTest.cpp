#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

using Kind = CommandLineAction::Kind;

const CommandLineAction kZoom{Kind::ToggleZoom, {}};
CommandLineAction Path(const char* p) {
    return {Kind::PuzzlePath, p};
}

TEST(CommandLineTest, ZoomOptionsInAnyCaseAndWithMoreLettersToggleZoom) {
    EXPECT_EQ(ParseCommandLine({"-z", "-Z", "-zoom"}, false),
              (std::vector<CommandLineAction>{kZoom, kZoom, kZoom}));
}

TEST(CommandLineTest, ShowDayOptionsOpenTheModeratorWindowAndRestore) {
    EXPECT_EQ(ParseCommandLine({"-m", "/quiz", "-R"}, false),
              (std::vector<CommandLineAction>{{Kind::ModeratorWindow, {}}, Path("/quiz"),
                                              {Kind::RestoreShow, {}}}));
}

TEST(CommandLineTest, HelpAndVersionAreFoundAnywhereAndTheFirstWins) {
    EXPECT_EQ(FindInfoRequest({"-z", "/quiz", "--help"}), InfoRequest::Help);
    EXPECT_EQ(FindInfoRequest({"--version", "--help"}), InfoRequest::Version);
    EXPECT_EQ(FindInfoRequest({"-z", "-h", "--helpme", "/quiz"}), std::nullopt);
    EXPECT_NE(UsageText().find("-z"), std::string::npos);
}

TEST(CommandLineTest, OtherOptionsAreIgnored) {
    EXPECT_TRUE(ParseCommandLine({"-x", "-", "--", "-1"}, false).empty());
}

TEST(CommandLineTest, OnPosixASlashStartsAPathNotAnOption) {
    EXPECT_EQ(ParseCommandLine({"/z", "/home/quiz/puzzles/"}, false),
              (std::vector<CommandLineAction>{Path("/z"), Path("/home/quiz/puzzles/")}));
}

TEST(CommandLineTest, WhereSlashStartsOptionsSlashZZooms) {
    EXPECT_EQ(ParseCommandLine({"/z", "/q", "C:\\R\\"}, true),
              (std::vector<CommandLineAction>{kZoom, Path("C:\\R\\")}));
}

TEST(CommandLineTest, PathsAndOptionsKeepTheirOrderAndBytes) {
    // Two paths: the game view takes both in turn, so the second one wins.
    EXPECT_EQ(ParseCommandLine({"first", "-z", "R\xE4tsel dir"}, false),
              (std::vector<CommandLineAction>{Path("first"), kZoom, Path("R\xE4tsel dir")}));
}

TEST(CommandLineTest, EmptyArgumentDoesNotReplaceThePuzzleRoot) {
    EXPECT_TRUE(ParseCommandLine({""}, false).empty());
}

}  // namespace
}  // namespace kelvandor
