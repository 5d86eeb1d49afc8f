#include "remote/RemoteReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "remote/RemoteLink.h"
#include "remote/SerialPort.h"
#include "tests/remote/PseudoTerminal.h"

namespace kelvandor {
namespace {

using namespace std::chrono_literals;
using test::CPseudoTerminal;

// Generous: the machine running the tests may be loaded.
constexpr auto kPatience = 10s;

// Records what the reader hands over, as the game's thread would receive it.
class CRecordingTarget : public IRemoteTarget {
public:
    std::atomic<int> portIndex{0};

    int RemotePortIndex() const override { return portIndex; }
    void HandOver(const RemotePress& press) override {
        Record("press " + std::to_string(press.code), press.time);
    }
    void Bounced(std::uint32_t code, std::uint32_t time) override {
        Record("bounce " + std::to_string(code), time);
    }

    // Waits until count events arrived; returns them all.
    std::vector<std::string> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kPatience, [&] { return events_.size() >= count; });
        return events_;
    }
    // The reader's clock at each event, in order.
    std::vector<std::uint32_t> Times() {
        std::lock_guard lock(mutex_);
        return times_;
    }

private:
    void Record(std::string event, std::uint32_t time) {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
            times_.push_back(time);
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
    std::vector<std::uint32_t> times_;
};

// Polls a condition until it holds or the patience runs out.
bool Eventually(const std::function<bool()>& condition) {
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string Frame(char code, char letter = 'D', const char* end = "\r") {
    return std::string{code, letter} + "0123ABcd" + end;
}

class RemoteReaderTest : public ::testing::Test {
protected:
    RemoteReaderTest()
        : ports_([this](int index) { return index == 0 ? pty_.Path() : second_.Path(); }),
          reader_(ports_, target_, [this] { return now_.load(); }) {}

    void StartOpen() {
        reader_.Start();
        ASSERT_TRUE(Eventually([&] { return reader_.Status().open; }));
    }

    CPseudoTerminal pty_;
    CPseudoTerminal second_;
    CComPorts ports_;
    CRecordingTarget target_;
    std::atomic<std::uint32_t> now_{5000};
    CRemoteReader reader_;
};

TEST_F(RemoteReaderTest, FramesOfOneWriteAreHandledInOrder) {
    StartOpen();
    pty_.Send(Frame('2', 'D', "\r\n") + Frame('3') + Frame('8', 'D', "\n") + Frame('9') +
              Frame('A', 'D', "\r\n") + Frame('B', 'D', "\n"));
    EXPECT_EQ(target_.WaitFor(6), (std::vector<std::string>{"press 2", "press 3", "press 8",
                                                            "press 9", "press 10", "press 11"}));
}

TEST_F(RemoteReaderTest, FrameInPiecesCountsOnceWhenItsLineEndArrives) {
    StartOpen();
    pty_.Send("4D01");
    std::this_thread::sleep_for(50ms);
    pty_.Send("23ABcd");
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(target_.WaitFor(0).empty());
    pty_.Send("\r\n");
    pty_.Send(Frame('0'));  // a marker: everything before it has been handled
    EXPECT_EQ(target_.WaitFor(2), (std::vector<std::string>{"press 4", "press 0"}));
}

TEST_F(RemoteReaderTest, MalformedFramesAreDroppedAndTheNextOneCounts) {
    StartOpen();
    pty_.Send("5D0123456\r6D01234567\r");        // seven digits, then a good frame
    pty_.Send("5D012345678\r7D01234567\r");      // nine digits, then a good frame
    pty_.Send("zz\x01\xfe?  \r\n3D01234567\r");  // garbage before a frame
    pty_.Send("aD01234567\r" + Frame('5', 'U') + Frame('5', 'S'));  // lower case, U, S
    pty_.Send(Frame('E') + Frame('F'));                             // codes that do nothing
    // Codes that do nothing are handed over all the same: what a button does is the game's
    // business, not the reader's.
    EXPECT_EQ(target_.WaitFor(5),
              (std::vector<std::string>{"press 6", "press 7", "press 3", "press 14", "press 15"}));
}

TEST_F(RemoteReaderTest, AnyWholeFrameCountsAsHeardUntilThePortChanges) {
    StartOpen();
    EXPECT_FALSE(reader_.Status().heardFrame);
    pty_.Send("zz\r");  // noise is no receiver
    now_ = 7000;
    pty_.Send(Frame('5', 'U'));  // a release: no press, but the receiver speaks
    ASSERT_TRUE(Eventually([&] { return reader_.Status().heardFrame; }));
    EXPECT_EQ(reader_.Status().lastFrameTime, 7000u);
    EXPECT_FALSE(reader_.Status().hasPress);

    target_.portIndex = 1;
    ASSERT_TRUE(Eventually([&] { return reader_.Status().portIndex == 1; }));
    EXPECT_FALSE(reader_.Status().heardFrame);
}

TEST_F(RemoteReaderTest, PressesCarryTheReadersClock) {
    StartOpen();
    pty_.Send(Frame('0'));
    ASSERT_EQ(target_.WaitFor(1).size(), 1u);
    now_ = 7777;
    pty_.Send(Frame('D'));
    ASSERT_EQ(target_.WaitFor(2).size(), 2u);
    EXPECT_EQ(target_.Times(), (std::vector<std::uint32_t>{5000, 7777}));
}

TEST_F(RemoteReaderTest, RepeatWithin100MsIsABounce) {
    StartOpen();
    auto pressAt = [&](std::uint32_t time, char code, std::size_t events) {
        now_ = time;
        pty_.Send(Frame(code));
        return target_.WaitFor(events).size() == events;
    };
    ASSERT_TRUE(pressAt(5000, '5', 1));
    ASSERT_TRUE(pressAt(5030, '5', 2));  // bounce
    ASSERT_TRUE(pressAt(5030, '6', 3));  // another button is not held up
    ASSERT_TRUE(pressAt(5100, '5', 4));  // 100 ms: still a bounce
    ASSERT_TRUE(pressAt(5101, '5', 5));  // 101 ms: accepted
    ASSERT_TRUE(pressAt(5351, '5', 6));  // 250 ms later: accepted
    // The tick count wraps: 50 ms across the wrap is still a bounce.
    ASSERT_TRUE(pressAt(0xFFFFFFF0u, '9', 7));
    ASSERT_TRUE(pressAt(0x00000022u, '9', 8));
    EXPECT_EQ(target_.WaitFor(8),
              (std::vector<std::string>{"press 5", "bounce 5", "press 6", "bounce 5", "press 5",
                                        "press 5", "press 9", "bounce 9"}));
}

TEST_F(RemoteReaderTest, FirstPressIsNeverABounceEvenAtTickZero) {
    now_ = 40;
    StartOpen();
    pty_.Send(Frame('2'));
    EXPECT_EQ(target_.WaitFor(1), (std::vector<std::string>{"press 2"}));
}

TEST_F(RemoteReaderTest, PortChangeWhileOpenMovesToTheNewPort) {
    StartOpen();
    for (int round = 0; round < 4; ++round) {
        const int index = (round + 1) % 2;
        target_.portIndex = index;
        ASSERT_TRUE(Eventually([&] {
            const RemoteStatus status = reader_.Status();
            return status.portIndex == index && status.open;
        }));
        now_ += 1000;
        (index == 0 ? pty_ : second_).Send(Frame('8'));
        ASSERT_EQ(target_.WaitFor(static_cast<std::size_t>(round) + 1).size(),
                  static_cast<std::size_t>(round) + 1);
        // The old port is free again for other programs.
        CComPorts other([&](int) { return (index == 0 ? second_ : pty_).Path(); });
        const int slot = other.Open(0, 9600, 0, 0, 8, 0);
        EXPECT_GE(slot, 0) << other.LastOpenError();
        other.Close(slot);
    }
}

TEST_F(RemoteReaderTest, UnpluggedReceiverIsReopenedWhenItComesBack) {
    // The port's device is a link that the test points at a new pseudo-terminal, as udev
    // gives a re-plugged USB receiver its name back.
    const std::filesystem::path link = std::filesystem::temp_directory_path() /
                                       ("kelvandor-remote-test-" + std::to_string(getpid()));
    std::filesystem::remove(link);
    std::filesystem::create_symlink(pty_.Path(), link);
    ports_.SetResolver([&](int) { return link.string(); });
    StartOpen();
    pty_.Send(Frame('1'));
    ASSERT_EQ(target_.WaitFor(1).size(), 1u);

    pty_.Unplug();
    std::filesystem::remove(link);
    EXPECT_TRUE(Eventually([&] { return !reader_.Status().open; }));

    CPseudoTerminal replugged;
    std::filesystem::create_symlink(replugged.Path(), link);
    EXPECT_TRUE(Eventually([&] { return reader_.Status().open; }));
    now_ += 1000;
    replugged.Send(Frame('1'));
    EXPECT_EQ(target_.WaitFor(2), (std::vector<std::string>{"press 1", "press 1"}));
    reader_.Stop();
    std::filesystem::remove(link);
}

TEST_F(RemoteReaderTest, FloodOfNoiseLeavesTheReaderFraming) {
    StartOpen();
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 20000; ++i) {
        noise += static_cast<char>(random() % 3 == 0 ? "0123456789ABCDEFDUS"[random() % 19]
                                                     : static_cast<char>(random()));
    }
    pty_.Send(noise);
    now_ += 100000;
    pty_.Send("\r\n" + Frame('7'));
    ASSERT_TRUE(Eventually([&] {
        const auto events = target_.WaitFor(0);
        return !events.empty() && events.back() == "press 7";
    }));
    EXPECT_TRUE(reader_.Status().open);
}

TEST(RemoteReaderNoDeviceTest, RetriesQuietlyAboutFiveTimesASecond) {
    std::atomic<int> attempts{0};
    CComPorts ports([&](int) {
        ++attempts;
        return std::string("/nonexistent/kelvandor-tty");
    });
    CRecordingTarget target;
    CRemoteReader reader(ports, target);
    reader.Start();
    std::this_thread::sleep_for(1s);
    const RemoteStatus status = reader.Status();
    reader.Stop();
    // A busy loop would try thousands of times; a loaded machine only fewer than five.
    EXPECT_GE(attempts.load(), 1);
    EXPECT_LE(attempts.load(), 7);
    EXPECT_FALSE(status.open);
    EXPECT_EQ(status.portIndex, 0);
    EXPECT_NE(status.error, "");
    EXPECT_FALSE(reader.Running());
}

TEST(RemoteLinkTest, FollowsTheViewFieldsWhileRunning) {
    CPseudoTerminal first;
    CComPorts ports([&](int) { return first.Path(); });
    std::atomic<std::uint32_t> comPort{0};
    std::mutex mutex;
    std::vector<std::uint32_t> codes;
    std::uint32_t tick = 0;
    CRemoteLink link(
        comPort,
        [&](const RemotePress& press) {
            std::lock_guard lock(mutex);
            codes.push_back(press.code);
        },
        ports, [&] { return tick += 1000; });
    auto count = [&] {
        std::lock_guard lock(mutex);
        return codes.size();
    };
    link.Start();
    ASSERT_TRUE(Eventually([&] { return link.Status().open; }));
    first.Send(Frame('D'));
    first.Send(Frame('2'));
    ASSERT_TRUE(Eventually([&] { return count() == 2; }));
    comPort = 0xFFFFFFFFu;  // no such port: nothing opens, nothing breaks
    ASSERT_TRUE(Eventually([&] { return !link.Status().open; }));
    link.Stop();
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{13, 2}));
}

TEST(RemoteStatusTextTest, ShowsPortStateAndRecentButton) {
    RemoteStatus status;
    EXPECT_EQ(RemoteStatusText(status, 0), "");
    status.portIndex = 1;
    EXPECT_EQ(RemoteStatusText(status, 0), "COM2 geschlossen");
    status.open = true;
    status.hasPress = true;
    status.lastCode = 5;
    status.lastTime = 0xFFFFFF00u;
    EXPECT_EQ(RemoteStatusText(status, 0x00000100u), "COM2 offen - Taste 5");
    EXPECT_EQ(RemoteStatusText(status, 0x00001000u), "COM2 offen");
}

TEST(RemoteStatusTextTest, ReceiverShowsWhenAFrameWasLastHeard) {
    RemoteStatus status;
    EXPECT_EQ(ReceiverStatusText(status, 0), "");
    status.portIndex = 0;
    status.open = true;
    EXPECT_EQ(ReceiverStatusText(status, 0), "Empf\xE4nger: nie geh\xF6rt");
    status.heardFrame = true;
    status.lastFrameTime = 0xFFFFF000u;  // across the clock's wrap-around
    EXPECT_EQ(ReceiverStatusText(status, 0x00000FFFu), "Empf\xE4nger: vor 8 s");
    EXPECT_EQ(ReceiverStatusText(status, 0xFFFFF000u + 150000u), "Empf\xE4nger: vor 2 min");
    EXPECT_EQ(ReceiverStatusText(status, 0xFFFFF000u + 7300000u), "Empf\xE4nger: vor 2 h");
}

}  // namespace
}  // namespace kelvandor
