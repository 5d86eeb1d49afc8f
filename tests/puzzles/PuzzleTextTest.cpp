#include "puzzles/PuzzleText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvandor {
namespace {

std::vector<std::string> Texts(const PuzzleText& p) {
    std::vector<std::string> out;
    for (const auto& a : p.answers) {
        out.push_back(a.text);
    }
    return out;
}

using Strings = std::vector<std::string>;

TEST(PuzzleTextTest, EveryKindOfLineBreakSeparatesLines) {
    for (const char* text :
         {"Q\r\nA\r\nB\r\nC\r\n", "Q\nA\nB\nC", "Q\rA\rB\rC\r", "Q\n\r\n\rA\r\r\rB\n\n\nC\n\r\n"}) {
        const PuzzleText p = ParsePuzzleText(text);
        EXPECT_EQ(p.question, "Q") << text;
        EXPECT_EQ(Texts(p), (Strings{"A", "B", "C"})) << text;
    }
}

TEST(PuzzleTextTest, QuestionWithoutAnswersLoadsWithNone) {
    for (const char* text : {"Nur eine Frage", "Nur eine Frage\r\n", "Nur eine Frage\n\n\r\n"}) {
        const PuzzleText p = ParsePuzzleText(text);
        EXPECT_EQ(p.question, "Nur eine Frage");
        EXPECT_TRUE(p.answers.empty()) << text;
    }
    EXPECT_EQ(ParsePuzzleText("").question, "");
}

TEST(PuzzleTextTest, BlankLineAfterQuestionBecomesFirstAnswer) {
    const PuzzleText p = ParsePuzzleText("Q\r\n   \r\nA\r\n");
    EXPECT_EQ(Texts(p), (Strings{"   ", "A"}));
}

TEST(PuzzleTextTest, BlankLinesAndLeadingBlanksBetweenAnswersVanish) {
    const PuzzleText p = ParsePuzzleText("Q\n  erste\n\n   \n\t zweite  \n \t\n dritte");
    // The first answer keeps its leading blanks; later ones lose them, trailing blanks stay.
    EXPECT_EQ(Texts(p), (Strings{"  erste", "zweite  ", "dritte"}));
}

TEST(PuzzleTextTest, FieldsSplitAtBarsWithNothingTrimmed) {
    const PuzzleText p = ParsePuzzleText(
        "Q\nNil|6650 km|nil.png\nEins | 1\n|nur L\xF6sung\nA|B|c.png|rest|more\n"
        "ohne\nA||bild.jpg\n");
    ASSERT_EQ(p.answers.size(), 6u);
    EXPECT_EQ(p.answers[0].text, "Nil");
    EXPECT_EQ(p.answers[0].solution, "6650 km");
    EXPECT_EQ(p.answers[0].picture, "nil.png");
    EXPECT_EQ(p.answers[1].text, "Eins ");
    EXPECT_EQ(p.answers[1].solution, " 1");
    EXPECT_EQ(p.answers[1].picture, "");
    EXPECT_EQ(p.answers[2].text, "");
    EXPECT_EQ(p.answers[2].solution, "nur L\xF6sung");
    EXPECT_EQ(p.answers[3].picture, "c.png");  // a third bar ends the picture name
    EXPECT_EQ(p.answers[4].text, "ohne");
    EXPECT_EQ(p.answers[4].solution, "");
    EXPECT_EQ(p.answers[5].solution, "");
    EXPECT_EQ(p.answers[5].picture, "bild.jpg");
}

TEST(PuzzleTextTest, LimitsCutQuestionAndAnswersButCountWhatWasThere) {
    std::string text(300, 'x');
    text += "\r\n";
    for (int i = 1; i <= 15; ++i) {
        text += "Antwort " + std::to_string(i) + "\r\n";
    }
    const PuzzleText p = ParsePuzzleText(text);
    EXPECT_EQ(p.question, std::string(255, 'x'));
    EXPECT_EQ(p.questionLength, 300u);
    ASSERT_EQ(p.answers.size(), 12u);
    EXPECT_EQ(p.answers.front().text, "Antwort 1");  // reading goes on after the whole line
    EXPECT_EQ(p.answers.back().text, "Antwort 12");
    EXPECT_EQ(p.answerLineCount, 15u);
}

TEST(PuzzleTextTest, ZeroByteEndsTheText) {
    const std::string text("Q\nA\nB\0C\nD\n", 11);
    const PuzzleText p = ParsePuzzleText(text);
    EXPECT_EQ(Texts(p), (Strings{"A", "B"}));
    EXPECT_EQ(ParsePuzzleText(std::string("\0Q\nA", 4)).answers.size(), 0u);
}

TEST(PuzzleTextTest, ByteOrderMarkAndUtf8BytesStayPartOfTheText) {
    const PuzzleText p = ParsePuzzleText("\xEF\xBB\xBFWelcher Fluss?\nD\xC3\xBCna\n");
    EXPECT_EQ(p.question, "\xEF\xBB\xBFWelcher Fluss?");
    EXPECT_EQ(p.answers[0].text, "D\xC3\xBCna");
}

TEST(PuzzleTextTest, BinaryGarbageNeverFailsAndKeepsTheLimits) {
    std::string noise;
    std::uint32_t state = 12345;
    for (int i = 0; i < 70000; ++i) {
        state = state * 1103515245u + 12345u;
        const char c = static_cast<char>((state >> 16) & 0xFF);
        noise += c == '\0' ? 'x' : c;  // a zero would end the text at once
    }
    for (std::size_t start = 0; start < 64; ++start) {
        const PuzzleText p = ParsePuzzleText(std::string_view(noise).substr(start));
        EXPECT_LE(p.question.size(), kMaxQuestionLength);
        EXPECT_LE(p.answers.size(), kMaxAnswerLines);
        EXPECT_GE(p.answerLineCount, p.answers.size());
    }
}

}  // namespace
}  // namespace kelvandor
