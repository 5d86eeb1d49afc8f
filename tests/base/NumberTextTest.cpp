#include "base/NumberText.h"

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

TEST(NumberTextTest, ARunStopsAtTheFirstCharacterItsBaseDoesNotKnow) {
    EXPECT_EQ(ReadDigitRun("1f7g", 16, 1000).value, 0x1F7u);
    EXPECT_EQ(ReadDigitRun("1f7g", 16, 1000).length, 3u);
    EXPECT_EQ(ReadDigitRun("102", 2, 1000).length, 2u);
    EXPECT_EQ(ReadDigitRun("", 10, 1000).length, 0u);
    EXPECT_EQ(DigitValue('Z'), 35);
    EXPECT_EQ(DigitValue('-'), 99);
}

TEST(NumberTextTest, LongRunsSaturateAtTheCapInsteadOfWrapping) {
    const DigitRun run = ReadDigitRun("184467440737095516161844674407370955161", 10, 4294967296u);
    EXPECT_EQ(run.value, 4294967296u);
    EXPECT_EQ(run.length, 39u);
}

}  // namespace
}  // namespace kelvandor
