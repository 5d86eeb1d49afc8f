// The screens that kelvandor-tool writes: replay's frame line and preview, run as the quiz
// master runs them, with the PNG files read back.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// A frame to something that is not a regular file (a pipe, a folder) fails and leaves it as
// it was: nothing is removed that replay did not create, and no temporary file stays behind.
// An existing picture is replaced whole.
TEST(ScreenToolTest, ReplayFrameReplacesOnlyRegularFilesAndRemovesNothing) {
    TempFolder dir;
    const std::string fifo = dir.Path() + "/pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.Path() + "/folder.png";
    std::filesystem::create_directory(folder);
    for (const std::string& target : {fifo, folder}) {
        const std::string script = dir.Write("s.replay", "frame " + target + "\n");
        const RunResult r = RunTool("replay " + ShellQuote(script));
        EXPECT_EQ(r.status, 1) << target << ": " << r.out;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    const std::string old = dir.Write("old.png", "not a picture");
    const std::string script = dir.Write("s.replay", "size 64 48\nframe " + old + "\n");
    ASSERT_EQ(RunTool("replay " + ShellQuote(script)).status, 0);
    EXPECT_EQ(ReadPng(old).width, 64u);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 4u) << "pipe, folder, script and picture only";
}

// A long script does not make replay grow: what the headless screen records (the areas each
// tick redraws, the sounds already printed) is dropped after every line.
TEST(ScreenToolTest, ReplayMemoryStaysFlatOverALongScript) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer keeps freed memory in quarantine: resident memory says nothing";
#endif
    TempFolder dir;
    const auto peakKilobytes = [&dir](int lines) {
        std::string text = "setting PicPath " KELVANDOR_SOURCE_DIR "/tests/replay/puzzles\n";
        const char* const keys[] = {"key F5\n",   "key Left\n",  "key Up\n",  "key F7\n",
                                    "remote 1\n", "key Right\n", "key F6\n", "key Down\n"};
        for (int i = 0; i < lines; ++i) {
            text += i % 2 == 0 ? keys[(i / 2) % 8] : "ticks 7\n";
        }
        const std::string script = dir.Write("long.replay", text);
        EXPECT_EQ(RunTool("replay " + ShellQuote(script) + " >/dev/null").status, 0);
        struct rusage usage {};
        ::getrusage(RUSAGE_CHILDREN, &usage);  // the largest child so far
        return usage.ru_maxrss;
    };
    const long shortRun = peakKilobytes(1000);
    const long longRun = peakKilobytes(20000);
    EXPECT_LT(longRun - shortRun, 1000) << shortRun << " kB after 1000 lines, " << longRun;
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
