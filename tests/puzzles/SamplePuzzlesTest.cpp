// The sample set is what `make run` plays and what the README points to; it must stay a
// set a show could use.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "puzzles/LoadPuzzle.h"
#include "puzzles/PuzzleFiles.h"
#include "puzzles/PuzzleText.h"
#include "puzzles/Selection.h"

namespace kelvandor {
namespace {

std::string SampleRoot() {
    const char* source = std::getenv("KELVANDOR_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/samples/puzzles";
}

TEST(SamplePuzzlesTest, EveryPuzzleIsPlayableWindows1252WithSolutionsAndPictures) {
    const std::string root = SampleRoot();
    int puzzles = 0;
    int withPictures = 0;
    std::int32_t gameNumber = 0;
    PuzzleContent content;
    std::vector<std::string> picturePaths;
    const PictureLoader recordPath = [&](const std::string& path, CDibImage&, std::uint64_t) {
        picturePaths.push_back(path);
        return -1;
    };
    // Walk the set as the game does; the gap at Game007 must be bridged within one press.
    while (SelectNextPuzzle(
               gameNumber, false,
               [&](std::int32_t n) { return LoadPuzzle(root, n, content, recordPath); },
               nullptr) == SelectionOutcome::PuzzleLoaded) {
        SCOPED_TRACE(PuzzleFolderName(gameNumber));
        ++puzzles;
        EXPECT_FALSE(content.QuestionText.empty());
        EXPECT_GE(content.ElementCount, 3);
        EXPECT_LE(content.ElementCount, 12);
        const FileHead head = ReadFileHead(PuzzleFilePath(root, gameNumber, "Game.txt"), 70000);
        EXPECT_LE(head.bytes.size(), kMaxPuzzleFileBytes);
        EXPECT_FALSE(IsValidUtf8(head.bytes)) << "umlauts must be single Windows-1252 bytes";
        for (std::size_t i = 0; i < content.AnswerTexts.Count(); ++i) {
            EXPECT_FALSE(content.SolutionTexts.Text(i).empty()) << content.AnswerTexts.Text(i);
        }
        withPictures += content.PictureNames.Count() > 0 && !content.PictureNames.Text(0).empty();
    }
    EXPECT_EQ(puzzles, 11);
    EXPECT_EQ(gameNumber, 22);  // Game012 was the last, then ten tries in vain
    EXPECT_GE(withPictures, 3);
    for (const std::string& path : picturePaths) {
        EXPECT_EQ(ReadFileHead(path, 16).status, FileReadStatus::Ok) << path;
    }
}

}  // namespace
}  // namespace kelvandor
