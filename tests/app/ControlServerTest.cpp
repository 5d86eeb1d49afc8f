// The control socket served by the shell: real connections through the file system, clients
// on threads of their own while the test's event loop serves them.

#include "app/ControlServer.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "control/ControlSocket.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

using namespace std::string_literals;

class FakeProgram : public IControlTarget {
public:
    bool PostExit() override { return ++exits > 0; }
    std::string DocumentPath() override { return "/quiz/Das Spiel"; }
    bool OpenDocument(const std::string&) override { return true; }
    void SetStatusText(std::uint32_t, const std::string& text) override { status = text; }

    int exits = 0;
    std::string status;
};

// A client that speaks raw bytes, to send what a well-behaved client never would.
class CRawClient {
public:
    explicit CRawClient(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~CRawClient() { ::close(fd_); }

    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) {
        [[maybe_unused]] const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // What arrives until `bytes` have come, the server closes, or the time is up; `*closed`
    // tells whether the server closed.
    std::string Receive(std::size_t bytes, bool* closed, int timeoutMs = 3000) {
        std::string got;
        *closed = false;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < bytes && std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0) {
                continue;
            }
            char buffer[256];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                *closed = true;
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int fd_;
    bool connected_ = false;
};

std::string Word(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

const ControlRequest kIdentify{0xC000, 0x12345678, 0, {}};
const std::string kZeroReply = Word(4) + Word(0);

class ControlServerTest : public ::testing::Test {
protected:
    std::string Path() const { return QDir(folder_.path()).filePath("k.socket").toStdString(); }

    ControlExchange Exchange(const ControlRequest& request) {
        const std::string path = Path();
        return test::RunBesideEventLoop(
            [&] { return ExchangeControlRequest(path, request, 2000); });
    }

    QTemporaryDir folder_;
    FakeProgram program_;
};

TEST_F(ControlServerTest, RequestsOfOneConnectionAreAnsweredInTurn) {
    CControlServer server(program_);
    ASSERT_TRUE(server.Listen(Path())) << server.ErrorText().toStdString();
    const ControlExchange identified = Exchange(kIdentify);
    ASSERT_EQ(identified.status, ControlExchange::Status::Replied) << identified.error;
    EXPECT_EQ(identified.reply.result, 0x12345678u);

    // Two requests in one write: both answered, in order.
    const std::string both =
        EncodeControlRequest({0x27F5, 2, 0, {}}) + EncodeControlRequest({0x2C3F, 0, 0, "Pause\0"s});
    const std::string expected =
        EncodeControlReply({1, CopyData{0x27F50002, "/quiz/Das Spiel\0"s}}) +
        EncodeControlReply({0, std::nullopt});
    bool closed = false;
    const std::string got = test::RunBesideEventLoop([&] {
        CRawClient client(Path());
        client.Send(both);
        return client.Receive(expected.size(), &closed);
    });
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(closed);
    EXPECT_EQ(program_.status, "Pause");
}

TEST_F(ControlServerTest, MalformedOversizedAndLateRequestsGetZeroAndTheConnectionCloses) {
    CControlServer server(program_);
    server.SetRequestTimeout(300);
    ASSERT_TRUE(server.Listen(Path()));
    const std::vector<std::string> bad = {
        Word(3) + "abc",                // shorter than a request's words
        Word(0x7FFFFFFF) + Word(0x4A),  // announces far more than any request holds
        Word(12) + Word(0xC000),        // stops halfway and waits past the time
    };
    for (const std::string& bytes : bad) {
        bool closed = false;
        const std::string got = test::RunBesideEventLoop([&] {
            CRawClient client(Path());
            client.Send(bytes);
            std::string reply = client.Receive(kZeroReply.size() + 1, &closed);
            return reply;
        });
        EXPECT_EQ(got, kZeroReply);
        EXPECT_TRUE(closed);
    }
    // The server goes on serving.
    EXPECT_EQ(Exchange(kIdentify).reply.result, 0x12345678u);
}

TEST_F(ControlServerTest, TwoClientsAtOnceAreServedApart) {
    CControlServer server(program_);
    ASSERT_TRUE(server.Listen(Path()));
    const std::string frame = EncodeControlRequest(kIdentify);
    const std::string reply = EncodeControlReply({0x12345678, std::nullopt});
    const auto results = test::RunBesideEventLoop([&] {
        CRawClient slow(Path());
        CRawClient quick(Path());
        bool closed = false;
        slow.Send(frame.substr(0, 7));  // half a request, then the other client comes
        quick.Send(frame);
        std::vector<std::string> got;
        got.push_back(quick.Receive(reply.size(), &closed));
        slow.Send(frame.substr(7));
        got.push_back(slow.Receive(reply.size(), &closed));
        return got;
    });
    EXPECT_EQ(results, (std::vector<std::string>{reply, reply}));
}

TEST_F(ControlServerTest, StaleSocketIsReplacedButALiveOneIsNotTaken) {
    {
        // A crashed instance left its socket file behind.
        CRawClient probe(Path());  // nothing listens yet
        EXPECT_FALSE(probe.Connected());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, Path().c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    CControlServer first(program_);
    ASSERT_TRUE(first.Listen(Path())) << first.ErrorText().toStdString();

    FakeProgram other;
    CControlServer second(other);
    EXPECT_FALSE(second.Listen(Path()));
    EXPECT_FALSE(second.ErrorText().isEmpty());
    // The first one still answers, and it is the first that does.
    EXPECT_EQ(Exchange({0x2C3F, 0, 0, "erste\0"s}).status, ControlExchange::Status::Replied);
    EXPECT_EQ(program_.status, "erste");
    EXPECT_EQ(other.status, "");
}

}  // namespace
}  // namespace kelvandor
