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

}  // namespace
}  // namespace kelvandor
