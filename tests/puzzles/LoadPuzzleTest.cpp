#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "puzzles/LoadPuzzle.h"
#include "puzzles/PuzzleFiles.h"
#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

using test::TempFolder;

struct Size {
    std::uint32_t width;
    std::uint32_t height;
};

// Stands in for the image reader: a picture file holds "W H" and loads as a 24-bit image of
// that size; "broken" fails part way, having filled in a 10 x 10 image; anything else is
// not a picture.
class FakePictureLoader {
public:
    PictureLoader Bind() {
        return [this](const std::string& path, CDibImage& image, std::uint64_t) {
            paths.push_back(path);
            const FileHead head = ReadFileHead(path, 100);
            if (head.status != FileReadStatus::Ok) {
                return -1;
            }
            if (head.bytes == "broken") {
                image.Create(24, 10, 10, 0);
                return -4;
            }
            unsigned w = 0;
            unsigned h = 0;
            if (std::sscanf(head.bytes.c_str(), "%u %u", &w, &h) != 2) {
                return -2;
            }
            return image.Create(24, w, h, 0) ? 0 : -3;
        };
    }
    std::vector<std::string> paths;
};

std::vector<std::string> AllTexts(const StringList& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        out.push_back(list.Text(i));
    }
    return out;
}

using Strings = std::vector<std::string>;

TEST(LoadPuzzleTest, ReadsTheExampleFile) {
    TempFolder root;
    root.Write("Game001/Game.txt",
               "Welcher Fluss ist am l\xE4ngsten?\r\nNil|6650 km|nil.png\r\nJangtse|6380 km\r\n"
               "Donau\r\n");
    root.Write("Game001/nil.png", "200 100");
    PuzzleContent content;
    FakePictureLoader loader;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 1, content, loader.Bind()));
    EXPECT_EQ(content.QuestionText, "Welcher Fluss ist am l\xE4ngsten?");
    EXPECT_EQ(content.ElementCount, 3);
    EXPECT_EQ(AllTexts(content.AnswerTexts), (Strings{"Nil", "Jangtse", "Donau"}));
    EXPECT_EQ(AllTexts(content.SolutionTexts), (Strings{"6650 km", "6380 km", ""}));
    EXPECT_EQ(AllTexts(content.PictureNames), (Strings{"nil.png", "", ""}));
    EXPECT_EQ(content.ElementPictures[0].width, 200u);
    EXPECT_TRUE(content.HasElementPictures);
    EXPECT_EQ(content.PictureAspect, 512);
    EXPECT_EQ(loader.paths, (Strings{root.Path() + "/Game001/nil.png"}));
}

TEST(LoadPuzzleTest, PictureAspectKeepsTheWidestPicture) {
    TempFolder root;
    root.Write("Game002/Game.txt", "Q\nA||wide.png\nB||square.png\nC||tall.png\n");
    root.Write("Game002/wide.png", "200 100");
    root.Write("Game002/square.png", "100 100");
    root.Write("Game002/tall.png", "50 300");
    PuzzleContent content;
    FakePictureLoader loader;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 2, content, loader.Bind()));
    EXPECT_EQ(content.PictureAspect, 512);
    EXPECT_EQ(content.ElementPictures[2].height, 300u);
}

TEST(LoadPuzzleTest, NextPuzzleKeepsNothingOfThePrevious) {
    TempFolder root;
    root.Write("Game001/Game.txt", "Erste\nA||a.png\nB||b.png\nC||c.png\n");
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        root.Write(std::string("Game001/") + name, "30 20");
    }
    root.Write("Game002/Game.txt", "Zweite\nX||x.png\nY\n");
    root.Write("Game002/x.png", "10 10");
    root.Write("Game003/Game.txt", "Dritte\nP\nQ\n");

    PuzzleContent content;
    FakePictureLoader loader;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 1, content, loader.Bind()));
    EXPECT_EQ(content.PictureAspect, 384);

    ASSERT_TRUE(LoadPuzzle(root.Path(), 2, content, loader.Bind()));
    EXPECT_EQ(content.ElementCount, 2);
    EXPECT_EQ(content.ElementPictures[0].width, 10u);
    EXPECT_TRUE(content.ElementPictures[1].IsEmpty());  // the first puzzle had one here
    EXPECT_TRUE(content.ElementPictures[2].IsEmpty());
    EXPECT_EQ(content.PictureAspect, 256);

    ASSERT_TRUE(LoadPuzzle(root.Path(), 3, content, loader.Bind()));
    EXPECT_TRUE(content.ElementPictures[0].IsEmpty());
    EXPECT_FALSE(content.HasElementPictures);
    EXPECT_EQ(content.PictureAspect, 0);
}

TEST(LoadPuzzleTest, UnreadablePicturesLeaveNoPictureColumn) {
    TempFolder root;
    root.Write("Game001/Game.txt",
               "Q\nA||missing.png\nB||broken.png\nC||text.png\nD||zero.png\nE||folder.png\n"
               "F||pipe.png\n");
    root.Write("Game001/broken.png", "broken");
    root.Write("Game001/text.png", "kein Bild");
    root.Write("Game001/zero.png", "0 0");
    root.MakeFolder("Game001/folder.png");
    const std::string fifo = root.Path() + "/Game001/pipe.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    PuzzleContent content;
    FakePictureLoader loader;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 1, content, loader.Bind()));
    EXPECT_EQ(content.ElementCount, 6);
    EXPECT_FALSE(content.HasElementPictures);
    EXPECT_EQ(content.PictureAspect, 0);
    // What a reader filled in before it failed is dropped: no half picture reaches the board.
    EXPECT_TRUE(content.ElementPictures[1].IsEmpty());
    // A folder or a pipe is never handed to the reader (a pipe would block it).
    EXPECT_EQ(loader.paths.size(), 4u);
}

TEST(LoadPuzzleTest, FailedLoadEmptiesTheListsButKeepsTheQuestion) {
    TempFolder root;
    root.Write("Game001/Game.txt", "Alte Frage\nA\nB\n");
    root.Write("Game002/Game.txt", "");
    root.MakeFolder("Game003/Game.txt");
    root.MakeFolder("Game004");
    PuzzleContent content;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 1, content, nullptr));
    for (std::int32_t n : {2, 3, 4, 5}) {
        EXPECT_FALSE(LoadPuzzle(root.Path(), n, content, nullptr)) << n;
        EXPECT_EQ(content.ElementCount, 0);
        EXPECT_EQ(content.AnswerTexts.Count(), 0u);
        EXPECT_EQ(content.QuestionText, "Alte Frage");
    }
    EXPECT_FALSE(LoadPuzzle(root.Path() + "/gibt-es-nicht", 1, content, nullptr));
}

TEST(LoadPuzzleTest, WindowsFolderPlaysWithNamesInAnyCase) {
    TempFolder root;
    root.Write("game007/GAME.TXT", "Q\nNil|6650 km|Nil.PNG\nDonau||bilder\\Donau.jpg\n");
    root.Write("game007/nil.png", "40 20");
    root.Write("game007/Bilder/donau.JPG", "20 20");
    PuzzleContent content;
    FakePictureLoader loader;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 7, content, loader.Bind()));
    EXPECT_EQ(content.ElementCount, 2);
    EXPECT_EQ(content.ElementPictures[0].width, 40u);
    EXPECT_EQ(content.ElementPictures[1].width, 20u);
    EXPECT_EQ(content.PictureAspect, 512);
}

TEST(LoadPuzzleTest, OnlyTheHeadOfAHugeFileCounts) {
    TempFolder root;
    std::string text = "Frage\r\n";
    for (int i = 0; i < 20; ++i) {
        text += "A" + std::to_string(i) + "\r\n";
    }
    text.append(10 * 1024 * 1024 - text.size(), 'x');
    root.Write("Game001/Game.txt", text);
    PuzzleContent content;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 1, content, nullptr));
    EXPECT_EQ(content.ElementCount, 12);
    EXPECT_EQ(content.AnswerTexts.Text(11), "A11");
}

// Twelve answers that name the same large picture: each is loaded with what the ones before
// it left of the puzzle's budget, so the set cannot take gigabytes (it once took 12 GiB and
// was called ready for the show). The loader stands in: it only records the sizes.
TEST(LoadPuzzleTest, PicturesTogetherStayWithinThePuzzleBudget) {
    TempFolder root;
    std::string text = "Frage\r\n";
    for (int i = 0; i < 12; ++i) {
        text += "A" + std::to_string(i) + "|" + std::to_string(i) + "|gross.bmp\r\n";
    }
    root.Write("Game001/Game.txt", text);
    root.Write("Game001/gross.bmp", "x");
    constexpr std::uint64_t kSide = 6000;  // 36 megapixels, a large camera picture
    std::vector<std::uint64_t> budgets;
    const PictureLoader loader = [&budgets](const std::string&, CDibImage& image,
                                            std::uint64_t maxPixels) {
        budgets.push_back(maxPixels);
        if (kSide * kSide > maxPixels) {
            return -4;  // too large, as the image library says
        }
        image.width = image.height = static_cast<std::uint32_t>(kSide);
        image.bitsPerPixel = 24;  // a picture by its header only: nothing is allocated
        return 0;
    };
    PuzzleContent content;
    ASSERT_TRUE(LoadPuzzle(root.Path(), 1, content, loader));
    ASSERT_EQ(budgets.size(), 12u);
    EXPECT_EQ(budgets[0], kPuzzlePixelBudget);
    const std::uint64_t loaded = kPuzzlePixelBudget / (kSide * kSide);
    EXPECT_EQ(budgets[1], kPuzzlePixelBudget - kSide * kSide);
    EXPECT_EQ(budgets.back(), kPuzzlePixelBudget - loaded * kSide * kSide);
    std::uint64_t total = 0;
    for (const CDibImage& picture : content.ElementPictures) {
        total += std::uint64_t{picture.width} * picture.height;
    }
    EXPECT_EQ(total, loaded * kSide * kSide);
    EXPECT_LE(total, kPuzzlePixelBudget);
    for (CDibImage& picture : content.ElementPictures) {
        picture.width = picture.height = picture.bitsPerPixel = 0;  // nothing was allocated
    }
}

TEST(LoadPuzzleTest, PicturesLoadedElsewhereAreKeptWithinThePuzzleBudgetInSlotOrder) {
    // The game loads a puzzle's pictures on worker threads and takes them afterwards: the
    // budget holds there too, whatever the threads' order was.
    constexpr std::uint32_t kSide = 6000;
    PuzzleContent content;
    LoadedPictures pictures;
    for (LoadedPicture& picture : pictures) {
        picture.code = 0;
        picture.image.width = picture.image.height = kSide;  // by its header only
        picture.image.bitsPerPixel = 24;
        picture.fullSize = {kSide, kSide};
    }
    TakePuzzlePictures(content, pictures);
    const std::uint64_t fitting = kPuzzlePixelBudget / (std::uint64_t{kSide} * kSide);
    for (std::size_t i = 0; i < content.ElementPictures.size(); ++i) {
        EXPECT_EQ(content.ElementPictures[i].IsEmpty(), i >= fitting) << "slot " << i;
        content.ElementPictures[i].width = content.ElementPictures[i].height = 0;
        content.ElementPictures[i].bitsPerPixel = 0;
        pictures[i].image.width = pictures[i].image.height = pictures[i].image.bitsPerPixel = 0;
    }
}

TEST(LoadPuzzleTest, TrimPathSeparatorRemovesOneSeparator) {
    std::string path = "/show/puzzles//";
    EXPECT_EQ(TrimPathSeparator(path), 14u);
    EXPECT_EQ(path, "/show/puzzles/");
    path = "C:\\Quiz\\";
    TrimPathSeparator(path);
    EXPECT_EQ(path, "C:\\Quiz");
    path.clear();
    EXPECT_EQ(TrimPathSeparator(path), 0u);
}

}  // namespace
}  // namespace kelvandor
