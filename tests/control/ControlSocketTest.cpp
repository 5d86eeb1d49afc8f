#include "control/ControlSocket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace kelvandor {
namespace {

class ControlSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kvd-control-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        path_ = folder_ + "/Kelvandor-test.socket";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // A socket file as a crashed instance leaves it: bound, then the process is gone.
    void LeaveStaleSocket() {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path_.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }

    std::string folder_;
    std::string path_;
};

TEST_F(ControlSocketTest, PathLiesInTheRuntimeFolderWithTheUsersName) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string before = saved != nullptr ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    const std::string path = DefaultControlSocketPath();
    EXPECT_EQ(path.rfind(folder_ + "/Kelvandor-", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 7), ".socket");
    // A runtime folder that does not exist is passed over for the temporary folder.
    ::setenv("XDG_RUNTIME_DIR", (folder_ + "/missing").c_str(), 1);
    EXPECT_EQ(DefaultControlSocketPath().find("/missing"), std::string::npos);
    if (saved != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", before.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

TEST_F(ControlSocketTest, SecondClaimFindsTheFirstInUseAndAStaleSocketIsReplaced) {
    LeaveStaleSocket();
    CControlSocketClaim::Outcome outcome{};
    std::string error;
    auto first = CControlSocketClaim::Claim(path_, &outcome, &error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_EQ(outcome, CControlSocketClaim::Outcome::Claimed);
    EXPECT_FALSE(std::filesystem::exists(path_));  // the crashed instance's file is gone

    // While the first holds the claim, a second one leaves its socket alone.
    LeaveStaleSocket();
    EXPECT_EQ(CControlSocketClaim::Claim(path_, &outcome, &error), nullptr);
    EXPECT_EQ(outcome, CControlSocketClaim::Outcome::InUse);
    EXPECT_TRUE(std::filesystem::exists(path_));

    first.reset();
    EXPECT_NE(CControlSocketClaim::Claim(path_, &outcome, &error), nullptr);
}

TEST_F(ControlSocketTest, ClaimRefusesToRemoveWhatIsNoSocket) {
    std::ofstream(path_) << "a file of the user's";
    CControlSocketClaim::Outcome outcome{};
    std::string error;
    EXPECT_EQ(CControlSocketClaim::Claim(path_, &outcome, &error), nullptr);
    EXPECT_EQ(outcome, CControlSocketClaim::Outcome::Failed);
    EXPECT_TRUE(std::filesystem::exists(path_));
    EXPECT_NE(error.find(path_), std::string::npos);
}

TEST_F(ControlSocketTest, ClientTellsNoServerFromABrokenPath) {
    const ControlRequest identify{0xC000, 0x12345678, 0, {}};
    EXPECT_EQ(ExchangeControlRequest(path_, identify, 500).status,
              ControlExchange::Status::NoServer);
    LeaveStaleSocket();
    EXPECT_EQ(ExchangeControlRequest(path_, identify, 500).status,
              ControlExchange::Status::NoServer);
    std::filesystem::remove(path_);
    std::ofstream(path_) << "no socket";
    const ControlExchange notSocket = ExchangeControlRequest(path_, identify, 500);
    EXPECT_EQ(notSocket.status, ControlExchange::Status::Failed);
    EXPECT_FALSE(notSocket.error.empty());
}

}  // namespace
}  // namespace kelvandor
