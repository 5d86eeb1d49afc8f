#include "settings/DialogInput.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvandor {
namespace {

TEST(NumberBoxTextTest, ReadsDecimalAndTheOtherBases) {
    EXPECT_EQ(ParseNumberBoxText("42"), 42);
    EXPECT_EQ(ParseNumberBoxText(" \t 7"), 7);
    EXPECT_EQ(ParseNumberBoxText("-12"), -12);
    EXPECT_EQ(ParseNumberBoxText("+12"), 12);
    EXPECT_EQ(ParseNumberBoxText("0x1F"), 31);
    EXPECT_EQ(ParseNumberBoxText("0X1f"), 31);
    EXPECT_EQ(ParseNumberBoxText("0o17"), 15);
    EXPECT_EQ(ParseNumberBoxText("0b101"), 5);
    EXPECT_EQ(ParseNumberBoxText("1Fh"), 31);
    EXPECT_EQ(ParseNumberBoxText("17o"), 15);
    EXPECT_EQ(ParseNumberBoxText("101b"), 5);
    EXPECT_EQ(ParseNumberBoxText("1bh"), 27);  // a b before the h is a hex digit
    EXPECT_EQ(ParseNumberBoxText("-0x10"), -16);
    EXPECT_EQ(ParseNumberBoxText("0010"), 10);
    EXPECT_EQ(ParseNumberBoxText("12  "), 12);
}

TEST(NumberBoxTextTest, NonNumbersReadZeroAndHugeNumbersDoNotWrap) {
    for (const char* text :
         {"", "   ", "-", "abc", "12abc", "0x", "0xZZ", "1e3", "- 5", "12 3", "102b", "19o"}) {
        EXPECT_EQ(ParseNumberBoxText(text), 0) << text;
    }
    // 2^32 + 5 must not come out as 5 (and then pass a range check as a plausible number).
    EXPECT_EQ(ParseNumberBoxText("4294967301"), INT32_MAX);
    EXPECT_EQ(ParseNumberBoxText("-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParseNumberBoxText("0x100000005"), INT32_MAX);
}

TEST(ComPortFromTextTest, ReadsPortNamesAndNumbers) {
    EXPECT_EQ(ComPortFromText("COM4"), 3u);
    EXPECT_EQ(ComPortFromText("com4"), 3u);
    EXPECT_EQ(ComPortFromText("4"), 3u);
    EXPECT_EQ(ComPortFromText("Com 4"), 3u);
    EXPECT_EQ(ComPortFromText("0x10"), 15u);
    EXPECT_EQ(ComPortFromText("COM0b11"), 2u);
    EXPECT_EQ(ComPortFromText("0o17"), 14u);
    EXPECT_EQ(ComPortFromText("012"), 11u);  // a plain leading zero stays decimal
    EXPECT_EQ(ComPortFromText("7abc"), 6u);
}

TEST(ComPortFromTextTest, UnusableEntriesSelectCom1) {
    for (const char* text : {"COM0", "-2", "x", "", "COM", "0x", "-0x10", "\t"}) {
        EXPECT_EQ(ComPortFromText(text), 0u) << text;
    }
}

TEST(ComPortFromTextTest, LongDigitRunsSaturateAndOnly31BytesCount) {
    EXPECT_EQ(ComPortFromText("99999999999999999999999"), 2147483646u);
    // The 32nd byte onwards is not read.
    EXPECT_EQ(ComPortFromText(std::string(30, ' ') + "12"), 0u);
    EXPECT_EQ(ComPortFromText(std::string(29, ' ') + "12"), 11u);
}

TEST(TimeoutFromEntryTest, FollowsTheBoxRules) {
    EXPECT_EQ(TimeoutFromEntry(0, 30), 0u);
    EXPECT_EQ(TimeoutFromEntry(1, 30), 20u);
    EXPECT_EQ(TimeoutFromEntry(19, 0), 20u);
    EXPECT_EQ(TimeoutFromEntry(20, 0), 20u);
    EXPECT_EQ(TimeoutFromEntry(119, 0), 119u);
    EXPECT_EQ(TimeoutFromEntry(120, 30), 30u);
    EXPECT_EQ(TimeoutFromEntry(500, 30), 30u);
    EXPECT_EQ(TimeoutFromEntry(-5, 30), 30u);
}

}  // namespace
}  // namespace kelvandor
