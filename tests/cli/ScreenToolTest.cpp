// The screens that kelvandor-tool writes: replay's frame line and preview, run as the quiz
// master runs them, with the PNG files read back.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/PngPicture.h"
#include "tests/support/RunTool.h"
#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

using test::Picture;
using test::ReadPng;
using test::TempFolder;

using test::RunResult;
using test::RunTool;
using test::ShellQuote;

TEST(ScreenToolTest, ReplayFrameWritesTheScreenAsPng) {
    TempFolder dir;
    const std::string frame = dir.Path() + "/screen one.png";
    const std::string script = dir.Write(
        "s.replay", "size 800 600\nticks 1\nframe " + frame + "\nkey F1\nticks 1\ndump\n");
    const RunResult r = RunTool("replay " + ShellQuote(script));
    ASSERT_EQ(r.status, 0) << r.out;
    const Picture p = ReadPng(frame);
    ASSERT_EQ(p.width, 800u);
    ASSERT_EQ(p.height, 600u);
    EXPECT_EQ(p.At(136, 300), 0xDEDEDEu) << "left bevel";
    EXPECT_EQ(p.At(800 - 136 - 1, 300), 0x2C2C2Cu) << "right bevel";
    EXPECT_EQ(p.At(400, 300), 0x000000u);
}

TEST(ScreenToolTest, ReplayFrameThatCannotBeWrittenFailsTheScript) {
    TempFolder dir;
    const std::string script =
        dir.Write("s.replay", "frame " + dir.Path() + "/missing/folder/x.png\ndump\n");
    const RunResult r = RunTool("replay " + ShellQuote(script));
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("line 1"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\"now\""), std::string::npos) << "the script stops there";
}

TEST(ScreenToolTest, PreviewWritesDealtAndSolvedScreensPerPuzzle) {
    TempFolder root, out;
    root.Write("Game001/Game.txt", "Erste Frage\r\nA|1\r\nB|2\r\nC|3\r\n");
    root.Write("Game003/Game.txt", "Dritte Frage\r\nX\r\nY\r\nZ\r\nW\r\n");
    const RunResult r = RunTool("preview " + ShellQuote(root.Path()) + " --out " +
                                ShellQuote(out.Path() + "/p") + " --size 640x400 --seed 9");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* name :
         {"Game001-deal.png", "Game001-solution.png", "Game003-deal.png", "Game003-solution.png"}) {
        const Picture p = ReadPng(out.Path() + "/p/" + name);
        EXPECT_EQ(p.width, 640u) << name;
        EXPECT_EQ(p.height, 400u) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(out.Path() + "/p/Game002-deal.png"));
    // Dealt, the left player is to play; solved, nobody is.
    EXPECT_EQ(ReadPng(out.Path() + "/p/Game001-deal.png").At(2, 390), 0x630000u);
    EXPECT_EQ(ReadPng(out.Path() + "/p/Game001-solution.png").At(2, 390), 0x000000u);
}

TEST(ScreenToolTest, PreviewRefusesBadUsageAndReportsAnEmptySet) {
    TempFolder root;
    EXPECT_EQ(RunTool("preview").status, 2);
    EXPECT_EQ(RunTool("preview " + ShellQuote(root.Path()) + " --size 0x100").status, 2);
    EXPECT_EQ(RunTool("preview " + ShellQuote(root.Path()) + " --size 640").status, 2);
    EXPECT_EQ(RunTool("preview " + ShellQuote(root.Path()) + " --seed -1").status, 2);
    EXPECT_EQ(RunTool("preview " + ShellQuote(root.Path()) + " --bogus").status, 2);
    const RunResult empty = RunTool("preview " + ShellQuote(root.Path()) + " --out " +
                                    ShellQuote(root.Path() + "/out"));
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("no puzzle"), std::string::npos) << empty.out;
    EXPECT_EQ(RunTool("preview " + ShellQuote(root.Path() + "/none")).status, 1);
}

}  // namespace
}  // namespace kelvandor
