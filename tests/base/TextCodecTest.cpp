#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvandor {
namespace {

TEST(TextCodecTest, EveryAssignedByteSurvivesTheWayThroughUtf8) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = Windows1252ToUtf8(byte);
        ASSERT_TRUE(DecodeUtf8(utf8).has_value()) << b;
        if (IsWindows1252Assigned(static_cast<unsigned char>(b))) {
            EXPECT_EQ(Utf8ToWindows1252(utf8), byte) << b;
        } else {
            // The five holes of the code page have no character to come back from.
            EXPECT_EQ(Utf8ToWindows1252(utf8), "?") << b;
        }
    }
    EXPECT_EQ(Windows1252ToUtf8("\x80 \xE4\x9F"), "\xE2\x82\xAC \xC3\xA4\xC5\xB8");
}

TEST(TextCodecTest, WhatTheCodePageCannotHoldBecomesAQuestionMarkEach) {
    EXPECT_EQ(Utf8ToWindows1252("a\xE2\x86\x92"
                                "b"),
              "a?b");                                         // an arrow
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80!"), "?!");  // an emoji
    EXPECT_EQ(Utf8ToWindows1252("\xC3"
                                "x\xFF\xE4"),
              "?x??");                               // broken sequences
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82"), "??");  // cut short
}

TEST(TextCodecTest, Utf8DecodingRefusesWhatIsNotUtf8) {
    EXPECT_FALSE(DecodeUtf8("\xC0\xAF").has_value());          // overlong
    EXPECT_FALSE(DecodeUtf8("\xED\xA0\x80").has_value());      // a surrogate
    EXPECT_FALSE(DecodeUtf8("\xF4\x90\x80\x80").has_value());  // beyond Unicode
    EXPECT_FALSE(DecodeUtf8("M\xFCnchen").has_value());        // Windows-1252
    EXPECT_EQ(DecodeUtf8("M\xC3\xBCnchen"), std::u32string(U"M\u00FCnchen"));
}

TEST(TextCodecTest, Utf16PairsJoinAndBrokenSurrogatesBecomeReplacementCharacters) {
    const std::u32string text = U"R\u00E4tsel \U0001F600";
    EXPECT_EQ(EncodeUtf16(text), std::u16string(u"R\u00E4tsel \xD83D\xDE00"));
    EXPECT_EQ(DecodeUtf16(EncodeUtf16(text)), text);
    // A lone high surrogate, a lone low one, and a high one at the very end.
    EXPECT_EQ(DecodeUtf16(u"\xD83D"
                          u"a\xDE00\xD83D"),
              std::u32string(U"\uFFFDa\uFFFD\uFFFD"));
    EXPECT_EQ(EncodeUtf16(U"\xD800\x110000"), std::u16string(u"\uFFFD\uFFFD"));
}

TEST(TextCodecTest, FoldsTheLettersOfTheCodePage) {
    EXPECT_EQ(FoldCase(U'A'), U'a');
    EXPECT_EQ(FoldCase(0xC4), char32_t{0xE4});      // Ä
    EXPECT_EQ(FoldCase(0xD7), char32_t{0xD7});      // the multiplication sign has no case
    EXPECT_EQ(FoldCase(0x0160), char32_t{0x0161});  // Š
    EXPECT_EQ(FoldCase(0x0178), char32_t{0x00FF});  // Ÿ
    EXPECT_EQ(FoldCase(U'1'), U'1');
}

}  // namespace
}  // namespace kelvandor
