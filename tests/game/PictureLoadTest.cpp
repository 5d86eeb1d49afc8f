// A started puzzle's pictures load on worker threads: the deal waits for them, while the
// game goes on with its ticks, keys and remote presses.

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
    std::vector<ImageSize> Fits() {
        std::lock_guard lock(mutex_);
        return fits_;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
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

// A host that cannot go on meanwhile (replay, preview) gets the board dealt within the call,
// and a view closed while pictures load waits for them.
TEST_F(PictureLoadTest, WithoutABackgroundTheCallDealsAndClosingWaits) {
    CreateWithPictures(false);
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
