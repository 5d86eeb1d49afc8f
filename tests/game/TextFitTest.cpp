// Texts fitted into their room: one font for a group, two lines between words where the room
// holds them, and at the smallest font two lines in any case, cut with an ellipsis only when
// even those cannot hold the text.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "game/TextFit.h"
#include "image/GlyphFonts.h"

namespace kelvandor {
namespace {

// The answer fonts of a 1080p screen, largest first, with the tile height each needs.
std::array<FontChoice, 4> Fonts() {
    return {{{FontLarge(), 44}, {FontMedium(), 32}, {FontSmall(), 24}, {FontTiny(), 0}}};
}

TEST(TextFitTest, AGroupTakesTheLargestFontInWhichEachOfItsTextsFits) {
    const std::vector<std::string> texts = {"Rom", "Konstantinopel"};
    const std::int32_t width = TextWidth(FontMedium(), "Konstantinopel");
    ASSERT_GT(TextWidth(FontLarge(), "Konstantinopel"), width);
    const FittedTexts fit = FitTexts(texts, Fonts(), width, 60);
    EXPECT_EQ(fit.font, FontMedium()) << "the short text does not get a font of its own";
    ASSERT_EQ(fit.texts.size(), 2u);
    EXPECT_EQ(fit.texts[0].first, "Rom");
    EXPECT_FALSE(fit.texts[1].wrapped);
    EXPECT_EQ(FitTexts(texts, Fonts(), width, 30).font, FontSmall()) << "a low tile";
}

TEST(TextFitTest, ARoomHighEnoughForTwoLinesBreaksBetweenWordsBeforeShrinking) {
    const std::string text = "Bau der Berliner Mauer";
    const std::int32_t width = TextWidth(FontLarge(), "Bau der Berliner") + 4;
    const FittedTexts tall = FitTexts(std::vector{text}, Fonts(), width, 44 + 55);
    EXPECT_EQ(tall.font, FontLarge());
    EXPECT_TRUE(tall.texts[0].wrapped);
    EXPECT_EQ(tall.texts[0].first, "Bau der") << "the break that evens the lines";
    EXPECT_EQ(tall.texts[0].second, "Berliner Mauer");
    EXPECT_NE(FitTexts(std::vector{text}, Fonts(), width, 98).font, FontLarge())
        << "one line of FontLarge is all that 98 pixels hold";
    // A single word is not broken as long as a smaller font holds it.
    const std::string word = "Donaudampfschifffahrt";
    const FittedTexts one =
        FitTexts(std::vector{word}, Fonts(), TextWidth(FontMedium(), word), 200);
    EXPECT_EQ(one.font, FontMedium());
    EXPECT_FALSE(one.texts[0].wrapped);
}

TEST(TextFitTest, TheSmallestFontWrapsAnyTextAndCutsWhatTwoLinesCannotHold) {
    const std::int32_t width = 120;
    const FittedText hyphen = WrapOnTwoLines(FontTiny(), "Nord-Ostsee-Kanal", width);
    EXPECT_TRUE(hyphen.wrapped);
    EXPECT_FALSE(hyphen.cut);
    EXPECT_EQ(hyphen.first.back(), '-') << "broken after a hyphen: " << hyphen.first;

    const FittedText word = WrapOnTwoLines(FontTiny(), std::string(14, 'W'), width);
    EXPECT_TRUE(word.wrapped);
    EXPECT_FALSE(word.cut);
    EXPECT_EQ(word.first.size() + word.second.size(), 14u) << "a word wider than the line";
    EXPECT_LE(TextWidth(FontTiny(), word.first), width);

    std::string sentence;
    for (int i = 0; i < 30; ++i) {
        sentence += "Wort ";
    }
    const FittedText cut = WrapOnTwoLines(FontTiny(), sentence, width);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.second.back(), '\x85') << "ends in an ellipsis";
    EXPECT_LE(TextWidth(FontTiny(), cut.first), width);
    EXPECT_LE(TextWidth(FontTiny(), cut.second), width);
    EXPECT_EQ(cut.first.back(), 't') << "the first line ends with a whole word";

    // A Game.txt line of 60000 characters: the second line keeps as much as fits, no less.
    const std::string endless = "Anfang " + std::string(60000, 'x');
    const FittedText endlessCut = WrapOnTwoLines(FontTiny(), endless, width);
    ASSERT_TRUE(endlessCut.cut);
    const std::string kept = endlessCut.second.substr(0, endlessCut.second.size() - 1);
    EXPECT_LE(TextWidth(FontTiny(), endlessCut.second), width);
    EXPECT_GT(TextWidth(FontTiny(), kept + "x\x85"), width) << "one more character would fit";

    const FittedTexts group =
        FitTexts(std::vector{sentence, std::string("kurz")}, Fonts(), width, 40);
    EXPECT_EQ(group.font, FontTiny());
    EXPECT_TRUE(group.texts[0].cut);
    EXPECT_FALSE(group.texts[1].wrapped);

    const FittedText empty = WrapOnTwoLines(FontTiny(), "", -5);
    EXPECT_FALSE(empty.wrapped);
    EXPECT_TRUE(empty.first.empty()) << "no room draws no ellipsis for an empty text";
}

TEST(TextFitTest, LargerScreensHaveFontsOfTheirOwnSizes) {
    EXPECT_EQ(FontForCellHeight(55), FontLarge());
    EXPECT_EQ(FontForCellHeight(71), FontLarge());
    EXPECT_EQ(FontForCellHeight(17), FontTiny());
    for (const std::int32_t cell : kGlyphFontCellHeights) {
        const std::uint8_t* font = FontForCellHeight(cell);
        ASSERT_NE(font, nullptr) << cell;
        EXPECT_EQ(CellHeightOf(font), cell);
    }
    // FontLarge grown by two keeps the proportions of its letters.
    const std::int32_t large = TextWidth(FontLarge(), "Welches Jahr?");
    const std::int32_t twice = TextWidth(FontForCellHeight(110), "Welches Jahr?");
    EXPECT_NEAR(twice, 2 * large, large / 8);
}

}  // namespace
}  // namespace kelvandor
