// kelvandor-tool send, run as another program's script runs it, against a stand-in for the
// game that records the request and gives a prepared reply.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "control/ControlProtocol.h"
#include "tests/support/RunTool.h"
#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

using namespace std::string_literals;
using test::RunTool;
using test::ShellQuote;

// Answers one request at `path` with `reply` and keeps what it was asked.
class COneRequestServer {
public:
    COneRequestServer(const std::string& path, ControlReply reply) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 1), 0);
        thread_ = std::thread([this, reply] { Serve(reply); });
    }
    ~COneRequestServer() {
        thread_.join();
        ::close(fd_);
    }
    // The request, once the tool has run.
    const ControlRequest& Request() const { return request_; }

private:
    void Serve(const ControlReply& reply) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, 5000) <= 0) {
            return;
        }
        const int client = ::accept(fd_, nullptr, nullptr);
        std::string bytes;
        char buffer[512];
        for (;;) {
            const auto parsed = ParseControlRequest(bytes);
            if (parsed.status == FrameStatus::Complete) {
                request_ = parsed.message;
                const std::string frame = EncodeControlReply(reply);
                EXPECT_EQ(::send(client, frame.data(), frame.size(), MSG_NOSIGNAL),
                          static_cast<ssize_t>(frame.size()));
                break;
            }
            pollfd in{client, POLLIN, 0};
            const ssize_t n =
                ::poll(&in, 1, 5000) > 0 ? ::recv(client, buffer, sizeof buffer, 0) : 0;
            if (n <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(client);
    }

    int fd_ = -1;
    std::thread thread_;
    ControlRequest request_;
};

class SendToolTest : public ::testing::Test {
protected:
    std::string Socket() const { return folder_.Path() + "/k.socket"; }
    test::RunResult Send(const std::string& args) {
        return RunTool("send --socket " + ShellQuote(Socket()) + " " + args);
    }

    test::TempFolder folder_;
};

TEST_F(SendToolTest, IdentifyPrintsTheReplyInHex) {
    COneRequestServer game(Socket(), {0x12345678, std::nullopt});
    const test::RunResult r = Send("identify");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0x12345678\n");
    EXPECT_EQ(game.Request(), (ControlRequest{0xC000, 0x12345678, 0, {}}));
}

TEST_F(SendToolTest, DocumentPathComesBackAsUtf8AlsoWhenSentAsUtf16) {
    // "/Шоу" does not fit Windows-1252, so the game sends it as UTF-16.
    COneRequestServer game(Socket(), {1, CopyData{0x27F58002, "/\0\x28\x04\x3E\x04\x43\x04\0\0"s}});
    const test::RunResult r = Send("request 2");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "/\xD0\xA8\xD0\xBE\xD1\x83\n");
    EXPECT_EQ(game.Request(), (ControlRequest{0x27F5, 2, 0, {}}));
}

TEST_F(SendToolTest, CopyDataGoesAsWindows1252OrFlaggedUtf16) {
    {
        COneRequestServer game(Socket(), {1, std::nullopt});
        const test::RunResult r = Send("copydata 0x27F50001 " + ShellQuote("/Rätsel"));
        EXPECT_EQ(r.out, "1\n");
        EXPECT_EQ(game.Request(), (ControlRequest{0x4A, 0, 0x27F50001, "/R\xE4tsel\0"s}));
    }
    std::remove(Socket().c_str());
    {
        COneRequestServer game(Socket(), {0, std::nullopt});
        const test::RunResult r = Send("copydata 670367747 " + ShellQuote("Ä") + " --utf16");
        EXPECT_EQ(r.out, "0\n");
        EXPECT_EQ(game.Request(), (ControlRequest{0x4A, 0, 0x27F58003, "\xC4\0\0\0"s}));
    }
}

TEST_F(SendToolTest, NoGameIsOneLineAndExitOneAndBadWordsAreUsageErrors) {
    const test::RunResult none = Send("status 0 Hallo");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(std::count(none.out.begin(), none.out.end(), '\n'), 1) << none.out;
    EXPECT_EQ(Send("request").status, 2);
    EXPECT_EQ(Send("request 0x1FFFFFFFF").status, 2);
    EXPECT_EQ(Send("identify --utf16").status, 2);
    EXPECT_EQ(Send("wave").status, 2);
}

}  // namespace
}  // namespace kelvandor
