#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "puzzles/Formulas.h"

namespace kelvandor {
namespace {

// Evaluates a formula text with times before plus and minus, independently of the generator.
int EvaluateText(const std::string& text) {
    const char* p = text.c_str();
    char* end = nullptr;
    int value = static_cast<int>(std::strtol(p, &end, 10));
    p = end;
    int sum = 0;
    char pending = '+';
    while (true) {
        while (*p == ' ') {
            ++p;
        }
        if (*p == '*') {
            const int rhs = static_cast<int>(std::strtol(p + 1, &end, 10));
            value *= rhs;
            p = end;
            continue;
        }
        sum = pending == '+' ? sum + value : sum - value;
        if (*p != '+' && *p != '-') {
            return sum;
        }
        pending = *p;
        value = static_cast<int>(std::strtol(p + 1, &end, 10));
        p = end;
    }
}

TEST(FormulasTest, EverySeedGivesTenDistinctAscendingFormulas) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        GameRandom random(seed * 2654435761u);
        PuzzleContent content;
        GenerateFormulas(content, random);
        ASSERT_EQ(content.ElementCount, 10);
        ASSERT_EQ(content.AnswerTexts.Count(), 10u);
        ASSERT_EQ(content.SolutionTexts.Count(), 10u);
        ASSERT_EQ(content.PictureNames.Count(), 10u);
        EXPECT_FALSE(content.HasElementPictures);
        EXPECT_EQ(content.PictureAspect, 0);
        EXPECT_EQ(content.QuestionText, "Ordne die Ergebnisse der Formeln (kleine Werte oben)");
        int previous = -1;
        for (std::size_t i = 0; i < 10; ++i) {
            const std::string& text = content.AnswerTexts.Text(i);
            ASSERT_EQ(text.rfind("  ", 0), 0u) << text;
            const int value = std::atoi(content.SolutionTexts.Text(i).c_str());
            EXPECT_EQ(std::to_string(value), content.SolutionTexts.Text(i));
            EXPECT_EQ(EvaluateText(text), value) << text;
            EXPECT_GT(value, previous) << "seed " << seed;
            EXPECT_LE(value, text.back() == ' ' ? 99 : 1188);  // two operands: 9 * 11 at most
            EXPECT_EQ(content.PictureNames.Text(i), "");
            previous = value;
        }
    }
}

TEST(FormulasTest, SameSeedSamePuzzleAndFiveDrawsPerAttempt) {
    GameRandom first(123);
    GameRandom second(123);
    PuzzleContent a;
    PuzzleContent b;
    GenerateFormulas(a, first);
    GenerateFormulas(b, second);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(a.AnswerTexts.Text(i), b.AnswerTexts.Text(i));
    }
    // Draws come in groups of five: the generator's state is a whole number of attempts past
    // the seed.
    GameRandom replay(123);
    int draws = 0;
    while (replay.State() != first.State()) {
        replay.NextRandom();
        ASSERT_LT(++draws, 100000);
    }
    EXPECT_EQ(draws % 5, 0);
    EXPECT_GE(draws, 50);
}

TEST(FormulasTest, KnownSeedGivesKnownFirstAttempt) {
    // Seed 1 draws 41, 18467, 6334, 26500, 19169: a = 1, '*' , b = 10, op2 = 0 ('+'), c = 7,
    // so "  1 * 10 + 7" with value 17 must be among the ten.
    GameRandom random(1);
    PuzzleContent content;
    GenerateFormulas(content, random);
    bool found = false;
    for (std::size_t i = 0; i < 10; ++i) {
        if (content.AnswerTexts.Text(i) == "  1 * 10 + 7") {
            found = true;
            EXPECT_EQ(content.SolutionTexts.Text(i), "17");
        }
    }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace kelvandor
