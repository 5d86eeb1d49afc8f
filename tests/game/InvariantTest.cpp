// A long random run of keys, commands, remote buttons and ticks, checking after every step
// what must always hold of the game state.

#include <map>

#include "puzzles/GameRandom.h"
#include "tests/game/GameInvariants.h"
#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

class InvariantTest : public ViewTest {
protected:
    std::string Check(const std::array<std::uint8_t, 2>& starsBefore,
                      std::uint32_t sizeBefore) const {
        return BrokenInvariant(view->State(), starsBefore, sizeBefore);
    }
};

TEST_F(InvariantTest, HoldsThroughout100000RandomSteps) {
    CPuzzleFolder folder;
    folder.Write(1, "Drei\nA\nB\nC\n");
    folder.Write(2, "Zw\xF6lf\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n");
    folder.Write(4, "Zwei\nA|a\nB|b\n");
    folder.Write(5, "Eins\nA\n");
    folder.Write(6, "Sieben\nA\nB\nC\nD\nE\nF\nG\n");
    store.WriteNumber("Timeout", 20);
    Create(folder.Path(), 12345);

    GameRandom random(20261206);
    for (int step = 0; step < 100000; ++step) {
        const auto starsBefore = view->State().Stars;
        const std::uint32_t sizeBefore = view->State().StarSize;
        TakeRandomStep(*view, host, random, 30);
        const std::string broken = Check(starsBefore, sizeBefore);
        ASSERT_EQ(broken, "") << "after step " << step;
    }
    // The run must have played real rounds, not idled.
    std::map<std::string, int> heard;
    for (const std::string& sound : host.Sounds()) {
        ++heard[sound];
    }
    for (const char* sound : {"TUCK", "ERROR", "WRONG", "CLING1", "CLING2", "TICK"}) {
        EXPECT_GT(heard[sound], 100) << sound;
    }
    EXPECT_GT(view->State().GameNumber, 0);
}

}  // namespace
}  // namespace kelvandor::test
