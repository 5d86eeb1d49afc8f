#include "control/ControlProtocol.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvandor {
namespace {

using namespace std::string_literals;

std::string Word(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

TEST(ControlProtocolTest, RequestFrameIsLengthThenMessageWordsThenData) {
    const ControlRequest request{0x004A, 0, 0x27F50003, "abc\0"s};
    const std::string frame = EncodeControlRequest(request);
    EXPECT_EQ(frame, Word(16) + Word(0x4A) + Word(0) + Word(0x27F50003) + "abc\0"s);

    const auto parsed = ParseControlRequest(frame + "next");
    ASSERT_EQ(parsed.status, FrameStatus::Complete);
    EXPECT_EQ(parsed.consumed, frame.size());
    EXPECT_EQ(parsed.message, request);
}

TEST(ControlProtocolTest, EveryCutOfAFrameWaitsForMore) {
    const std::string frame = EncodeControlRequest({0x2C3F, 1, 0, "Text"});
    for (std::size_t n = 0; n < frame.size(); ++n) {
        EXPECT_EQ(ParseControlRequest(frame.substr(0, n)).status, FrameStatus::NeedMore) << n;
    }
}

TEST(ControlProtocolTest, ShortAndOversizedFramesAreRefusedFromTheirLengthAlone) {
    EXPECT_EQ(ParseControlRequest(Word(11)).status, FrameStatus::Malformed);
    EXPECT_EQ(ParseControlRequest(Word(0)).status, FrameStatus::Malformed);
    EXPECT_EQ(ParseControlRequest(Word(12 + kMaxControlData + 1)).status, FrameStatus::Oversized);
    EXPECT_EQ(ParseControlRequest(Word(0xFFFFFFFF)).status, FrameStatus::Oversized);
    // The largest frame allowed is still a frame.
    const ControlRequest largest{0x4A, 0, 0x27F50002, std::string(kMaxControlData, 'x')};
    EXPECT_EQ(ParseControlRequest(EncodeControlRequest(largest)).status, FrameStatus::Complete);

    EXPECT_EQ(ParseControlReply(Word(3)).status, FrameStatus::Malformed);
    EXPECT_EQ(ParseControlReply(Word(6) + Word(1) + "xx").status, FrameStatus::Malformed);
    EXPECT_EQ(ParseControlReply(Word(8 + kMaxControlData + 1)).status, FrameStatus::Oversized);
}

TEST(ControlProtocolTest, RepliesCarryAResultAndOptionallyCopyData) {
    const ControlReply plain{0x12345678, std::nullopt};
    EXPECT_EQ(EncodeControlReply(plain), Word(4) + Word(0x12345678));
    EXPECT_EQ(ParseControlReply(EncodeControlReply(plain)).message, plain);

    const ControlReply withText{1, CopyData{0x27F50002, "/x\0"s}};
    const auto parsed = ParseControlReply(EncodeControlReply(withText));
    ASSERT_EQ(parsed.status, FrameStatus::Complete);
    EXPECT_EQ(parsed.message, withText);
}

TEST(ControlProtocolTest, TextsAreWindows1252OrFlaggedUtf16AndEndAtTheirNul) {
    EXPECT_EQ(DataText("R\xE4tsel\0rest"s, false), "R\xC3\xA4tsel");
    EXPECT_EQ(DataText("ohne Ende", false), "ohne Ende");
    EXPECT_EQ(DataText("R\0\xE4\0t\0\0\0x\0"s, true), "R\xC3\xA4t");
    EXPECT_EQ(DataText("A\0B"s, true), "A");  // an odd byte at the end is no unit

    // A text the code page holds goes as it is; one it cannot hold goes as UTF-16.
    EXPECT_EQ(TextCopyData(0x27F50002, "/home/J\xC3\xB6rg"),
              (CopyData{0x27F50002, "/home/J\xF6rg\0"s}));
    const CopyData cyrillic = TextCopyData(0x27F50002, "/\xD0\x96");
    EXPECT_EQ(cyrillic, (CopyData{0x27F58002, "/\0\x16\x04\0\0"s}));
    EXPECT_EQ(DataText(cyrillic.data, true), "/\xD0\x96");
}

}  // namespace
}  // namespace kelvandor
