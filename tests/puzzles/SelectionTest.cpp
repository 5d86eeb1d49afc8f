#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "puzzles/Selection.h"

namespace kelvandor {
namespace {

// One press of "next puzzle" against a set of existing folder numbers.
class Presses {
public:
    explicit Presses(std::set<std::int32_t> existing, bool useFormulas = true)
        : existing_(std::move(existing)), useFormulas_(useFormulas) {}

    SelectionOutcome Press() {
        return SelectNextPuzzle(
            gameNumber, useFormulas_,
            [this](std::int32_t n) {
                tried.push_back(n);
                return existing_.count(n) > 0;
            },
            [this] { ++formulaPuzzles; });
    }

    std::int32_t gameNumber = 0;
    std::vector<std::int32_t> tried;
    int formulaPuzzles = 0;

private:
    std::set<std::int32_t> existing_;
    bool useFormulas_;
};

TEST(SelectionTest, ThreeFoldersThenFormulasOrNothingLeft) {
    for (bool formulas : {true, false}) {
        Presses p({1, 2, 3}, formulas);
        for (std::int32_t n = 1; n <= 3; ++n) {
            EXPECT_EQ(p.Press(), SelectionOutcome::PuzzleLoaded);
            EXPECT_EQ(p.gameNumber, n);
        }
        EXPECT_EQ(p.Press(),
                  formulas ? SelectionOutcome::FormulasGenerated : SelectionOutcome::NothingLeft);
        EXPECT_EQ(p.gameNumber, 13);
        EXPECT_EQ(p.formulaPuzzles, formulas ? 1 : 0);
        EXPECT_EQ(p.tried.size(), 13u);
        EXPECT_EQ(p.tried.back(), 13);
    }
}

TEST(SelectionTest, GapOfEightIsBridgedInOnePress) {
    Presses p({1, 10});
    EXPECT_EQ(p.Press(), SelectionOutcome::PuzzleLoaded);
    EXPECT_EQ(p.Press(), SelectionOutcome::PuzzleLoaded);
    EXPECT_EQ(p.gameNumber, 10);
}

TEST(SelectionTest, LongerGapNeedsASecondPress) {
    Presses p({1, 15});
    EXPECT_EQ(p.Press(), SelectionOutcome::PuzzleLoaded);
    EXPECT_EQ(p.Press(), SelectionOutcome::FormulasGenerated);
    EXPECT_EQ(p.gameNumber, 11);
    EXPECT_EQ(p.Press(), SelectionOutcome::PuzzleLoaded);
    EXPECT_EQ(p.gameNumber, 15);
    EXPECT_EQ(p.Press(), SelectionOutcome::FormulasGenerated);
    EXPECT_EQ(p.gameNumber, 25);
}

}  // namespace
}  // namespace kelvandor
