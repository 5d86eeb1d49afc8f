#include "control/ControlHandler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "control/DocumentPath.h"

namespace kelvandor {
namespace {

using namespace std::string_literals;

class FakeProgram : public IControlTarget {
public:
    bool PostExit() override {
        ++exits;
        return true;
    }
    std::string DocumentPath() override { return document; }
    bool OpenDocument(const std::string& fullPath) override {
        document = fullPath;
        return true;
    }
    void SetStatusText(std::uint32_t pane, const std::string& text) override {
        statusTexts.push_back(std::to_string(pane) + ":" + text);
    }

    int exits = 0;
    std::string document = "/home/quiz/Das Spiel";
    std::vector<std::string> statusTexts;
};

ControlRequest CopyDataRequest(std::uint32_t code, std::string data) {
    return {static_cast<std::uint32_t>(ControlMessage::CopyData), 0, code, std::move(data)};
}

// A text as UTF-16 little-endian with its terminating NUL.
std::string Utf16(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out + "\0\0"s;
}

class ControlHandlerTest : public ::testing::Test {
protected:
    FakeProgram program;
    CControlHandler handler{program};

    std::uint32_t Result(const ControlRequest& request) { return handler.Handle(request).result; }
};

TEST_F(ControlHandlerTest, IdentificationAnswersOnlyTheAgreedWord) {
    const auto identify = static_cast<std::uint32_t>(ControlMessage::Identify);
    EXPECT_EQ(Result({identify, 0x12345678, 0, {}}), 0x12345678u);
    EXPECT_EQ(Result({identify, 0, 0, {}}), 0u);
    EXPECT_EQ(Result({identify, 0x12345679, 0, {}}), 0u);
    EXPECT_EQ(Result({0x1234, 0x12345678, 0, {}}), 0u);  // a message nobody handles
}

TEST_F(ControlHandlerTest, RemoteRequestsEndTheProgramAndSendTheDocumentPath) {
    const auto remote = static_cast<std::uint32_t>(ControlMessage::RemoteRequest);
    EXPECT_EQ(handler.Handle({remote, 2, 0, {}}),
              (ControlReply{1, CopyData{0x27F50002, "/home/quiz/Das Spiel\0"s}}));
    EXPECT_EQ(handler.Handle({remote, 3, 0, {}}), (ControlReply{0, std::nullopt}));
    EXPECT_EQ(program.exits, 0);
    EXPECT_EQ(Result({remote, 0, 0, {}}), 1u);
    EXPECT_EQ(program.exits, 1);

    // Without a document the path is the empty text.
    program.document.clear();
    EXPECT_EQ(handler.Handle({remote, 2, 0, {}}).copyData, (CopyData{0x27F50002, "\0"s}));
}

TEST_F(ControlHandlerTest, StoredTextComesBackWithRequestFourAndUnknownCodesAreFalse) {
    const auto remote = static_cast<std::uint32_t>(ControlMessage::RemoteRequest);
    EXPECT_EQ(handler.Handle({remote, 4, 0, {}}).copyData, (CopyData{0x27F50002, "\0"s}));
    EXPECT_EQ(Result(CopyDataRequest(0x27F50002,
                                     "Runde 3: K\xFC"
                                     "che\0"s)),
              1u);
    EXPECT_EQ(handler.StoredText(),
              "Runde 3: K\xC3\xBC"
              "che");
    EXPECT_EQ(handler.Handle({remote, 4, 0, {}}), (ControlReply{1, CopyData{0x27F50002,
                                                                            "Runde 3: K\xFC"
                                                                            "che\0"s}}));
    EXPECT_EQ(Result(CopyDataRequest(0x27F50004, "x")), 0u);
    EXPECT_EQ(Result(CopyDataRequest(0x8000, "x")), 0u);
    EXPECT_EQ(handler.StoredText(),
              "Runde 3: K\xC3\xBC"
              "che");
}

TEST_F(ControlHandlerTest, OpeningRenamesTheDocumentToTheFullPath) {
    EXPECT_EQ(Result(CopyDataRequest(0x27F50001, "C:\\Shows\\Finale.txt\0"s)), 1u);
    EXPECT_EQ(program.document,
              (std::filesystem::current_path() / "C:/Shows/Finale.txt").lexically_normal());
    EXPECT_EQ(Result(CopyDataRequest(0x27F58001, Utf16(u"/shows/\u00C4rger.txt"))), 1u);
    EXPECT_EQ(program.document, "/shows/\xC3\x84rger.txt");
    // An empty name opens nothing.
    EXPECT_EQ(Result(CopyDataRequest(0x27F50001, "\0"s)), 0u);
    EXPECT_EQ(program.document, "/shows/\xC3\x84rger.txt");
}

TEST_F(ControlHandlerTest, DocumentComparisonIgnoresCaseAndSeparatorsAlsoForAccents) {
    program.document =
        "/home/quiz/R\xC3\xA4tsel/\xC3\x9C"
        "bung";  // /home/quiz/Rätsel/Übung
    EXPECT_EQ(Result(CopyDataRequest(0x27F50003,
                                     "\\HOME\\Quiz\\R\xC4TSEL\\\xFC"
                                     "BUNG\0"s)),
              1u);
    EXPECT_EQ(Result(CopyDataRequest(0x27F58003, Utf16(u"/home/quiz/./R\u00C4tsel//\u00FCbung/"))),
              1u);
    EXPECT_EQ(Result(CopyDataRequest(0x27F50003, "/home/quiz/Ratsel/Ubung\0"s)), 0u);
    EXPECT_EQ(Result(CopyDataRequest(0x27F50003, "\0"s)), 0u);
    // The empty text stands for the document when there is none.
    program.document.clear();
    EXPECT_EQ(Result(CopyDataRequest(0x27F50003, "\0"s)), 1u);
}

TEST_F(ControlHandlerTest, StatusTextGoesToItsPaneAndAnswersZero) {
    EXPECT_EQ(Result({static_cast<std::uint32_t>(ControlMessage::StatusText), 0, 0,
                      "Gleich geht's los\0"s}),
              0u);
    EXPECT_EQ(program.statusTexts, std::vector<std::string>{"0:Gleich geht's los"});
}

TEST(DocumentPathTest, FullPathsResolveDotsAndLoseTrailingSeparators) {
    EXPECT_EQ(MakeFullPath("/a/b/../c/./d/"), "/a/c/d");
    EXPECT_EQ(MakeFullPath("\\a\\\\b"), "/a/b");
    EXPECT_EQ(MakeFullPath("/"), "/");
    EXPECT_EQ(MakeFullPath("/.."), "/");
    EXPECT_EQ(MakeFullPath(""), "");
    EXPECT_EQ(MakeFullPath("Das Spiel"), (std::filesystem::current_path() / "Das Spiel").string());
    // Bytes that are not UTF-8 compare as Windows-1252.
    EXPECT_TRUE(SameDocumentPath("/R\xE4tsel", "/r\xC3\x84TSEL"));
}

}  // namespace
}  // namespace kelvandor
