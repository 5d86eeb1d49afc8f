// A started puzzle's pictures load on worker threads: the deal waits for them, while the
// game goes on with its ticks, keys and remote presses.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

const char* const kPictures = "Was ist gr\xF6\xDF" "er?\nEins||1.pic\nZwei||2.pic\nDrei\n";

// A picture file holds "W H"; it loads as a grey 24-bit picture of that size, or half of it
// when a box is given (as a decoder that scales while it decodes would). Loads wait while the
// gate is closed.
class CGatedLoader {
public:
    FittingPictureLoader Bind() {
        return [this](const std::string& path, ImageSize fit, CDibImage& image,
                      ImageSize& fullSize) {
            {
                std::unique_lock lock(mutex_);
                ++entered_;
                opened_.notify_all();
                opened_.wait(lock, [this] { return open_; });
                fits_.push_back(fit);
            }
            unsigned w = 0, h = 0;
            std::ifstream(path) >> w >> h;
            fullSize = {w, h};
            const bool reduce = fit.width != 0;
            return image.Create(24, reduce ? w / 2 : w, reduce ? h / 2 : h, 0xFF808080u) ? 0 : -1;
        };
    }
    void Close() { std::lock_guard lock(mutex_); open_ = false; }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    // Waits until `count` loads have begun in all; false when they have not within ten
    // seconds.
    bool WaitForLoads(std::size_t count) {
        std::unique_lock lock(mutex_);
        return opened_.wait_for(lock, std::chrono::seconds(10),
                                [this, count] { return entered_ >= count; });
    }
    std::vector<ImageSize> Fits() {
        std::lock_guard lock(mutex_);
        return fits_;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
    std::size_t entered_ = 0;
    std::vector<ImageSize> fits_;
};

class PictureLoadTest : public ViewTest {
protected:
    void CreateWithPictures(bool background) {
        folder.Write(1, kPictures);
        std::ofstream(std::filesystem::path(folder.Path()) / "Game001" / "1.pic") << "400 200";
        std::ofstream(std::filesystem::path(folder.Path()) / "Game001" / "2.pic") << "100 100";
        store.WriteText("PicPath", folder.Path());
        host.SetPicturesInBackground(background);
        host.SetLargestViewSize({1920, 1080});
        view = std::make_unique<CTestView>(host, store, loader.Bind());
        host.Attach(view.get());
        view->OnCreate();
        view->OnSize(1280, 720);
        host.DeliverPosted();
    }

    // The view goes first: its loads under way call the loader, which a failed check may
    // have left closed.
    void TearDown() override {
        loader.Open();
        view.reset();
        host.Attach(nullptr);
    }

    CPuzzleFolder folder;
    CGatedLoader loader;
};

TEST_F(PictureLoadTest, TheDealWaitsForThePicturesWhileTheGameGoesOn) {
    CreateWithPictures(true);
    loader.Close();
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_TRUE(view->PicturesLoading());
    EXPECT_EQ(view->State().Started, 0u);
    EXPECT_EQ(view->State().GameNumber, 1);
    // The game goes on: ticks draw, a second F5 does nothing, a buzzer press is judged.
    host.RunTicks(5);
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().GameNumber, 1);
    host.PostRemoteButton(0);
    host.DeliverPosted();
    EXPECT_EQ(view->State().Latched[0], 1);
    EXPECT_EQ(view->ElementCount(), 0);

    loader.Open();
    host.WaitForPicturesPosted();
    host.DeliverPosted();
    EXPECT_FALSE(view->PicturesLoading());
    EXPECT_EQ(view->State().Started, 1u);
    ASSERT_EQ(view->ElementCount(), 3);
    const PuzzleContent& puzzle = view->State().Puzzle;
    EXPECT_EQ(puzzle.ElementPictures[0].width, 200u);  // loaded reduced ...
    EXPECT_EQ(puzzle.PictureFullSize[0].width, 400u);  // ... laid out whole
    EXPECT_EQ(puzzle.PictureAspect, 512);
    EXPECT_TRUE(puzzle.ElementPictures[2].IsEmpty());
    // Each picture was asked for no larger than the picture column of a full-screen 1080p
    // board of three answers can show.
    for (const ImageSize& fit : loader.Fits()) {
        EXPECT_GT(fit.width, 0u);
        EXPECT_GT(fit.height, 100u);
        EXPECT_LT(fit.height, 260u);
    }
}

TEST_F(PictureLoadTest, ClearingTheBoardMeanwhileKeepsThePuzzleThatLoads) {
    CreateWithPictures(true);
    view->JudgePlayer(0);  // a buzzer press between rounds enables "Text aufdecken"
    loader.Close();
    view->OnCommand(CommandId::NextPuzzle);
    ASSERT_TRUE(view->OnCommand(CommandId::ClearBoard));
    loader.Open();
    host.WaitForPicturesPosted();
    host.DeliverPosted();
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_EQ(view->ElementCount(), 3);
    EXPECT_EQ(view->State().Puzzle.QuestionText, "Was ist gr\xF6\xDF" "er?");
}

// The pictures of the puzzle F5 will choose load ahead on a tick at rest, once per puzzle
// root and number; F5 then deals them within the key press, and the next puzzle's load
// ahead follows the deal.
TEST_F(PictureLoadTest, PicturesLoadAheadAndF5DealsThemAtOnce) {
    CreateWithPictures(true);
    folder.Write(2, "Und dann?\nVorn||3.pic\nHinten\n");
    std::ofstream(std::filesystem::path(folder.Path()) / "Game002" / "3.pic") << "80 40";
    host.RunTicks(1);
    ASSERT_TRUE(view->PicturesLoadedAhead());
    host.WaitForPicturesPosted();
    host.DeliverPosted();  // the notice of a load ahead deals nothing
    EXPECT_EQ(view->State().Started, 0u);
    host.RunTicks(3);
    EXPECT_EQ(loader.Fits().size(), 2u);

    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_FALSE(view->PicturesLoading());
    EXPECT_FALSE(view->PicturesLoadedAhead());
    EXPECT_EQ(loader.Fits().size(), 2u);
    const PuzzleContent& puzzle = view->State().Puzzle;
    EXPECT_EQ(puzzle.ElementPictures[0].width, 200u);
    EXPECT_EQ(puzzle.PictureFullSize[0].width, 400u);
    EXPECT_EQ(puzzle.ElementPictures[1].width, 50u);

    // Not while the answers are dealt out; once they rest, the next puzzle's.
    host.RunTicks(1);
    EXPECT_FALSE(view->PicturesLoadedAhead());
    Settle();
    host.RunTicks(1);
    ASSERT_TRUE(view->PicturesLoadedAhead());
    host.WaitForPicturesPosted();
    EXPECT_EQ(loader.Fits().size(), 3u);
}

// A picture replaced after it was loaded ahead loads again, the others do not; a new game
// number loads the pictures of the puzzle it leads to instead.
TEST_F(PictureLoadTest, ChangedFilesAndNumbersAreNotDealtFromTheLoadAhead) {
    CreateWithPictures(true);
    host.RunTicks(1);
    ASSERT_TRUE(view->PicturesLoadedAhead());
    host.WaitForPicturesPosted();
    host.DeliverPosted();
    std::ofstream(std::filesystem::path(folder.Path()) / "Game001" / "1.pic") << "1600 300";
    view->OnCommand(CommandId::NextPuzzle);
    ASSERT_EQ(view->State().Started, 0u);
    host.WaitForPicturesPosted();
    host.DeliverPosted();
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_EQ(view->State().Puzzle.PictureFullSize[0].width, 1600u);
    EXPECT_EQ(view->State().Puzzle.PictureFullSize[1].width, 100u);
    EXPECT_EQ(loader.Fits().size(), 3u);

    CreateWithPictures(true);
    folder.Write(2, "Und dann?\nVorn||3.pic\nHinten||1.pic\n");
    std::ofstream(std::filesystem::path(folder.Path()) / "Game002" / "3.pic") << "80 40";
    std::ofstream(std::filesystem::path(folder.Path()) / "Game002" / "1.pic") << "90 30";
    host.RunTicks(1);
    ASSERT_TRUE(view->PicturesLoadedAhead());
    host.WaitForPicturesPosted();
    ShowStanding standing = view->Standing();
    standing.GameNumber = 1;
    ASSERT_TRUE(view->RestoreStanding(standing));
    host.RunTicks(1);
    ASSERT_TRUE(view->PicturesLoadedAhead());
    host.WaitForPicturesPosted();
    host.DeliverPosted();
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_EQ(view->State().Puzzle.QuestionText, "Und dann?");
    EXPECT_EQ(view->State().Puzzle.PictureFullSize[1].width, 90u);
}

// F5 while the pictures still load ahead on their one thread takes that load over; nothing
// is loaded twice.
TEST_F(PictureLoadTest, F5DuringTheLoadAheadTakesItOver) {
    CreateWithPictures(true);
    loader.Close();
    host.RunTicks(1);
    ASSERT_TRUE(loader.WaitForLoads(1));  // the load ahead holds its first picture
    view->OnCommand(CommandId::NextPuzzle);
    ASSERT_TRUE(view->PicturesLoading());
    ASSERT_TRUE(loader.WaitForLoads(2));  // hurried: the second begins before the first ends
    EXPECT_EQ(view->State().Started, 0u);
    host.RunTicks(2);
    loader.Open();
    host.WaitForPicturesPosted();
    host.DeliverPosted();
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_EQ(view->State().Puzzle.ElementPictures[0].width, 200u);
    EXPECT_EQ(loader.Fits().size(), 2u);
}

// A host that cannot go on meanwhile (replay, preview) gets the board dealt within the call,
// and a view closed while pictures load waits for them.
TEST_F(PictureLoadTest, WithoutABackgroundTheCallDealsAndClosingWaits) {
    CreateWithPictures(false);
    host.RunTicks(3);
    EXPECT_FALSE(view->PicturesLoadedAhead());  // it would wait for them: nothing ahead
    view->OnCommand(CommandId::NextPuzzle);
    EXPECT_FALSE(view->PicturesLoading());
    EXPECT_EQ(view->State().Started, 1u);
    EXPECT_EQ(view->State().Puzzle.ElementPictures[1].width, 50u);

    CreateWithPictures(true);
    view->OnCommand(CommandId::NextPuzzle);
    view.reset();  // joins the workers; the posted notice finds no view
    host.Attach(nullptr);
}

}  // namespace
}  // namespace kelvandor::test
