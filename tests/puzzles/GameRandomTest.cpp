#include "puzzles/GameRandom.h"

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

TEST(GameRandomTest, SeedOneGivesTheKnownSequence) {
    GameRandom random(1);
    EXPECT_EQ(random.NextRandom(), 41u);
    EXPECT_EQ(random.NextRandom(), 18467u);
    EXPECT_EQ(random.NextRandom(), 6334u);
    EXPECT_EQ(random.NextRandom(), 26500u);
    EXPECT_EQ(random.NextRandom(), 19169u);
}

TEST(GameRandomTest, StateWrapsAtThirtyTwoBitsAndValuesStayBelow32768) {
    GameRandom random(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        ASSERT_LT(random.NextRandom(), 32768u);
    }
    random.Seed(0);
    EXPECT_EQ(random.NextRandom(), (2531011u >> 16) & 0x7FFFu);
    EXPECT_EQ(random.State(), 2531011u);
}

}  // namespace
}  // namespace kelvandor
