// kelvandor-tool's puzzle and check subcommands, run as the quiz master runs them.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "puzzles/PuzzleFiles.h"
#include "tests/support/RunTool.h"
#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

using test::TempFolder;

using test::RunResult;
using test::RunTool;
using test::ShellQuote;

std::string Lines(int count, const char* prefix) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += prefix + std::to_string(i) + "\r\n";
    }
    return text;
}

TEST(ToolTest, PuzzleJsonShowsWhatTheGameLoads) {
    TempFolder root;
    root.Write("Game001/Game.txt",
               "Welcher Fluss ist am l\xE4ngsten?\r\nNil|6650 km|nil.png\r\nJangtse|6380 km\r\n"
               "Donau \"blau\"\r\n");
    const RunResult r = RunTool("puzzle " + ShellQuote(root.Path()) + " 1 --json");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"result\":true,\"QuestionText\":\"Welcher Fluss ist am l\xC3\xA4ngsten?\","
              "\"ElementCount\":3,\"answers\":["
              "{\"text\":\"Nil\",\"solution\":\"6650 km\",\"picture\":\"nil.png\","
              "\"pictureLoaded\":false},"
              "{\"text\":\"Jangtse\",\"solution\":\"6380 km\",\"picture\":\"\","
              "\"pictureLoaded\":false},"
              "{\"text\":\"Donau \\\"blau\\\"\",\"solution\":\"\",\"picture\":\"\","
              "\"pictureLoaded\":false}],"
              "\"HasElementPictures\":false,\"PictureAspect\":0}\n");

    const RunResult missing = RunTool("puzzle " + ShellQuote(root.Path()) + " 2 --json");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out.rfind("{\"result\":false,", 0), 0u) << missing.out;
}

TEST(ToolTest, BadUsageExitsTwo) {
    EXPECT_EQ(RunTool("puzzle").status, 2);
    EXPECT_EQ(RunTool("puzzle /tmp eins").status, 2);
    EXPECT_EQ(RunTool("puzzle /tmp 1 --bunt").status, 2);
    EXPECT_EQ(RunTool("check").status, 2);
    EXPECT_EQ(RunTool("check a b").status, 2);
    EXPECT_EQ(RunTool("check --bunt /tmp").status, 2);
    EXPECT_EQ(RunTool("check --help").status, 0);
    EXPECT_EQ(RunTool("puzzle --help").status, 0);
}

TEST(ToolTest, CheckNamesEveryShowDayProblem) {
    TempFolder root;
    root.Write("Game001/Game.txt", "Frage mit \xC3\xA4 in UTF-8\nA\nB\nC\n");
    root.Write("Game002/Game.txt", "Bilder\nA||fehlt.png\nB\nC\n");
    root.Write("Game003/Game.txt", "F\xFCnfzehn\n" + Lines(15, "Antwort "));
    root.Write("Game004/Game.txt", "\xEF\xBB\xBFMit BOM\nA\nB\nC\n");
    root.Write("Game005/Game.txt", std::string(300, 'x') + "\nA\nB\nC\n");
    root.Write("Game006/Game.txt", "Zu wenig\nA\nB\n");
    root.Write("Game007/Game.txt", "Nur eine Antwort\r\nA\r\n");
    root.Write("Game020/Game.txt",
               "Nach der L\xFC"
               "cke\nA\nB\nC\n");
    const RunResult r = RunTool("check " + ShellQuote(root.Path()));
    EXPECT_EQ(r.status, 1);
    for (const char* words :
         {"looks like UTF-8", "\"fehlt.png\" of answer 1 (\"A\") is missing",
          "15 answers: only the first 12 are played", "byte-order mark", "300 bytes long",
          "Only 2 answers", "Only 1 answer: there is nothing to put in order, and the game skips",
          "Game007 to Game019 (13 numbers) hold no playable puzzle", "8 puzzle folders"}) {
        EXPECT_NE(r.out.find(words), std::string::npos) << words << "\n" << r.out;
    }
}

TEST(ToolTest, CheckReportsBadInputInWordsWithoutCrashing) {
    TempFolder root;
    EXPECT_EQ(RunTool("check " + ShellQuote(root.Path() + "/nirgends")).status, 1);
    const std::string file = root.Write("datei.txt", "x");
    const RunResult notFolder = RunTool("check " + ShellQuote(file));
    EXPECT_EQ(notFolder.status, 1);
    EXPECT_NE(notFolder.out.find("is not a folder"), std::string::npos);

    const std::string set = root.MakeFolder("R\xE4tsel");  // not UTF-8
    root.MakeFolder("R\xE4tsel/Game001/Game.txt");
    root.Write("R\xE4tsel/Game002/Game.txt", "");
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        garbage += static_cast<char>((i * 7919) % 251 + 1);
    }
    root.Write("R\xE4tsel/Game003/Game.txt", garbage);
    root.Write("R\xE4tsel/Game004/Game.txt", "Q\nA\nB" + std::string(10 * 1024 * 1024, 'x'));
    root.Write("R\xE4tsel/Game005/Game.txt", std::string("Q\nA\nB\0C\nD\n", 11));
    root.Write("R\xE4tsel/Game006/Game.txt", "Q\nA||Bild\xE4.png\nB||\xFF\xFE.png\nC| 1 | c.png\n");
    root.Write("R\xE4tsel/Game006/c.png", "");
    root.MakeFolder("R\xE4tsel/Game01");
    root.MakeFolder("R\xE4tsel/Game000");

    const RunResult text = RunTool("check " + ShellQuote(set));
    EXPECT_EQ(text.status, 1);
    for (const char* words :
         {"Game.txt is not a file", "Game.txt is empty", "not text (control codes)",
          "the game reads only the first 65534", "zero byte at byte 5",
          "\"Bild\xC3\xA4.png\" of answer 1 (\"A\") is missing", "Game01 is never read",
          "Game000 is never played", "R\xC3\xA4tsel", "the name has blanks around it"}) {
        EXPECT_NE(text.out.find(words), std::string::npos) << words << "\n" << text.out;
    }
    EXPECT_TRUE(IsValidUtf8(text.out));

    const RunResult json = RunTool("check " + ShellQuote(set) + " --json");
    EXPECT_EQ(json.status, 1);
    EXPECT_TRUE(IsValidUtf8(json.out));
    EXPECT_NE(json.out.find("\"ok\":false}\n"), std::string::npos);
}

TEST(ToolTest, CleanSetPassesAndBridgedGapIsOnlyANote) {
    TempFolder root;
    root.Write("Game001/Game.txt", "Erste\r\nA|1\r\nB|2\r\nC|3\r\n");
    root.Write("game009/GAME.TXT", "Zweite\r\nX\r\nY\r\nZ\r\n");
    const RunResult r = RunTool("check " + ShellQuote(root.Path()));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("bridges the gap"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("0 problems. Ready for the show."), std::string::npos) << r.out;
}

TEST(ToolTest, CheckLoadsGifPnmAndXpmPicturesAndNamesWhyOneDoesNot) {
    // A 2 x 1 GIF: a two-entry table, then the codes clear, 0, 1, end in 3 bits each.
    const std::string gif(
        "GIF89a\x02\0\x01\0\x80\0\0\xFF\0\0\0\0\xFF"
        "\x2C\0\0\0\0\x02\0\x01\0\0\x02\x02\x44\x0A\0\x3B",
        35);
    TempFolder root;
    root.Write("Game001/Game.txt", "Bilder\nA||a.gif\nB||b.pgm\nC||c.xpm\n");
    root.Write("Game001/a.gif", gif);
    root.Write("Game001/b.pgm", "P2 2 1 255 0 255\n");
    root.Write("Game001/c.xpm", "/* XPM */\n\"2 1 2 1\",\"a c red\",\"b c None\",\"ab\"");
    root.Write("Game002/Game.txt", "Kaputt\nA||d.gif\nB\nC\n");
    root.Write("Game002/d.gif", gif.substr(0, 28));
    const RunResult r = RunTool("check " + ShellQuote(root.Path()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("3 of 3 pictures loaded"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"d.gif\" of answer 1 (\"A\") does not load: GIF cut short: the file "
                         "is damaged, copy it again."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("nicht unterst"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kelvandor

namespace kelvandor {
namespace {

std::string SamplesRoot() {
    const char* source = std::getenv("KELVANDOR_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/samples/puzzles";
}

TEST(ToolTest, SampleSetIsReadyForTheShowWithEveryPictureLoaded) {
    const RunResult check = RunTool("check " + ShellQuote(SamplesRoot()));
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("7 of 7 pictures loaded"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("8 of 8 pictures loaded"), std::string::npos) << check.out;

    const RunResult flags = RunTool("puzzle " + ShellQuote(SamplesRoot()) + " 3 --json");
    EXPECT_EQ(flags.status, 0);
    EXPECT_EQ(flags.out.find("\"pictureLoaded\":false"), std::string::npos) << flags.out;
    // The German flag, 160 x 96, is the widest: 160 * 256 / 96.
    EXPECT_NE(flags.out.find("\"HasElementPictures\":true,\"PictureAspect\":426}"),
              std::string::npos)
        << flags.out;
}

}  // namespace
}  // namespace kelvandor

namespace kelvandor {
namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The quiz master learns what each refused picture is and what to do about it; the loader's
// German message is for the game.
TEST(ToolTest, CheckSaysWhatARefusedPictureIsAndWhatToDo) {
    TempFolder root;
    const std::string png = ReadWhole(SamplesRoot() + "/Game003/polen.png");
    ASSERT_GT(png.size(), 200u);
    root.Write("Game001/Game.txt",
               "Bilder\nA||foto.heic\nB||karte.svg\nC||kurz.png\nD||text.png\nE||ok.png\n"
               "F||logo.eps\n");
    root.Write("Game001/foto.heic", std::string("\0\0\0\x18"
                                                "ftypheic\0\0\0\0mif1heic",
                                                24) +
                                        std::string(100, '\x11'));
    root.Write("Game001/karte.svg",
               "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n");
    root.Write("Game001/kurz.png", png.substr(0, png.size() / 2));
    root.Write("Game001/text.png", "Hallo");
    root.Write("Game001/ok.png", png);
    root.Write("Game001/logo.eps", "%!PS-Adobe-3.0 EPSF-3.0\n");
    const RunResult r = RunTool("check " + ShellQuote(root.Path()));
    EXPECT_EQ(r.status, 1);
    for (const char* words :
         {"\"foto.heic\" of answer 1 (\"A\") does not load: HEIC photo: not supported, save it "
          "as JPEG.",
          "\"karte.svg\" of answer 2 (\"B\") does not load: SVG drawing: export it as PNG.",
          "\"kurz.png\" of answer 3 (\"C\") does not load: PNG cut short: the file is damaged, "
          "copy it again.",
          "\"text.png\" of answer 4 (\"D\") does not load: not a picture format the game knows",
          "\"logo.eps\" of answer 6 (\"F\") does not load: EPS drawing the game cannot show",
          "1 of 6 pictures loaded"}) {
        EXPECT_NE(r.out.find(words), std::string::npos) << words << "\n" << r.out;
    }
    // The tool's image command keeps the loader's own words.
    const RunResult image = RunTool("image " + ShellQuote(root.Path() + "/Game001/foto.heic"));
    EXPECT_NE(image.out.find("result=-2 depth=0 width=0 height=0 alpha=0 message=\"Unbekanntes "
                             "Datei Format.\""),
              std::string::npos)
        << image.out;
}

}  // namespace
}  // namespace kelvandor
