#include "remote/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/remote/PseudoTerminal.h"

namespace kelvandor {
namespace {

using test::CPseudoTerminal;

// The reader's line: 9600 baud, 8N1, DTR and RTS off.
int OpenLine(CComPorts& ports, int index) {
    return ports.Open(index, 9600, 0, 0, 8, 0);
}

TEST(SerialPortTest, ReadsRawBytesWithoutEverBlocking) {
    CPseudoTerminal pty;
    CComPorts ports([&](int) { return pty.Path(); });
    const int slot = OpenLine(ports, 0);
    ASSERT_GE(slot, 0) << ports.LastOpenError();
    EXPECT_EQ(ports.CharacterTime(slot), 1066u);
    EXPECT_NE(ports.IsAlive(slot), 0);

    char buffer[16] = {};
    EXPECT_EQ(ports.Read(slot, buffer, sizeof buffer), 0);  // nothing there: no wait
    EXPECT_EQ(ports.Read(slot, buffer, 0), 0);
    EXPECT_EQ(ports.WaitRx(slot, 30), 0);

    // CR and LF arrive unchanged: the line is raw.
    pty.Send("5D\r\n\x03");
    ASSERT_EQ(ports.WaitRx(slot, 5000), 1);
    std::string got;
    while (got.size() < 5 && ports.WaitRx(slot, 5000) == 1) {
        const int n = ports.Read(slot, buffer, ports.RxCount(slot));
        ASSERT_GT(n, 0);
        got.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, std::string("5D\r\n\x03"));
    EXPECT_EQ(ports.RxCount(slot), 0u);
    EXPECT_EQ(ports.Close(slot), 0);
    EXPECT_EQ(ports.Close(slot), -1);

    // 7 data bits (odd count), even parity, two stop bits: 1 + 7 + 1 + 2 = 11 bits.
    const int other = ports.Open(0, 9600, 2, 1, 7, kComRtsOn | kComDtrOn);
    ASSERT_GE(other, 0) << ports.LastOpenError();
    EXPECT_EQ(ports.CharacterTime(other), 11u * 1024000u / 9600u);
    EXPECT_EQ(ports.Close(other), 0);
    EXPECT_EQ(ports.Open(0, 12345, 0, 0, 8, 0), -1);  // no such baud rate
    EXPECT_EQ(ports.Open(0, 0, 0, 0, 8, 0), -1);
}

TEST(SerialPortTest, PortIndexMapsThroughResolverAndStopsAt256) {
    std::vector<int> asked;
    CComPorts ports([&](int index) {
        asked.push_back(index);
        return std::string("/nonexistent/tty");
    });
    EXPECT_EQ(OpenLine(ports, 0), -1);
    EXPECT_EQ(OpenLine(ports, 255), -1);
    EXPECT_EQ(OpenLine(ports, 256), -1);
    EXPECT_EQ(OpenLine(ports, -1), -1);
    EXPECT_EQ(asked, (std::vector<int>{0, 255}));
    EXPECT_NE(ports.LastOpenError(), "");

    EXPECT_EQ(ComPortName(255), "COM256");
    // The user's mapping wins; an unmapped or empty one falls back to the built-in ports.
    const ComDeviceResolver resolve =
        MakeComDeviceResolver([](const std::string& name) -> std::optional<std::string> {
            if (name == "ComDevices/COM1") {
                return "/dev/ttyUSB0";
            }
            if (name == "ComDevices/COM2") {
                return "";
            }
            return std::nullopt;
        });
    EXPECT_EQ(resolve(0), "/dev/ttyUSB0");
    EXPECT_EQ(resolve(1), "/dev/ttyS1");
    EXPECT_EQ(resolve(9), "/dev/ttyS9");
}

TEST(SerialPortTest, PortIsExclusiveUntilClosed) {
    CPseudoTerminal pty;
    CComPorts ports([&](int) { return pty.Path(); });
    CComPorts otherProgram([&](int) { return pty.Path(); });
    const int slot = OpenLine(ports, 0);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(OpenLine(otherProgram, 0), -1);
    EXPECT_EQ(OpenLine(ports, 0), -1);
    ASSERT_EQ(ports.Close(slot), 0);
    const int other = OpenLine(otherProgram, 0);
    EXPECT_GE(other, 0) << otherProgram.LastOpenError();
    otherProgram.Close(other);
    // Closed and opened again, any number of times.
    for (int i = 0; i < 20; ++i) {
        const int again = OpenLine(ports, 0);
        ASSERT_GE(again, 0) << "reopening " << i << ": " << ports.LastOpenError();
        ASSERT_EQ(ports.Close(again), 0);
    }
}

TEST(SerialPortTest, EightSlotsAreSearchedFromTheOpenCounter) {
    std::vector<std::unique_ptr<CPseudoTerminal>> ptys;
    for (int i = 0; i < 9; ++i) {
        ptys.push_back(std::make_unique<CPseudoTerminal>());
    }
    CComPorts ports([&](int index) { return ptys[static_cast<std::size_t>(index)]->Path(); });
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(OpenLine(ports, i), i);
    }
    EXPECT_EQ(OpenLine(ports, 8), -1);  // table full
    ASSERT_EQ(ports.Close(3), 0);
    // Ten opens so far: the search starts at slot 2 and finds slot 3 free.
    EXPECT_EQ(OpenLine(ports, 8), 3);
    EXPECT_EQ(ports.Close(8), -1);
    EXPECT_EQ(ports.Close(-1), -1);
}

TEST(SerialPortTest, CancelledWaitReturnsAtOnceAlsoWhenCancelledBeforeItBegan) {
    CPseudoTerminal pty;
    CComPorts ports([&](int) { return pty.Path(); });
    const int slot = OpenLine(ports, 0);
    ASSERT_GE(slot, 0) << ports.LastOpenError();
    // Cancelled first: the next wait of a minute ends at once, and only that one.
    ports.CancelWait();
    EXPECT_EQ(ports.WaitRx(slot, 60000), 0);
    EXPECT_EQ(ports.WaitRx(slot, 10), 0);

    // Cancelled from another thread while it waits.
    auto waiting = std::async(std::launch::async, [&] { return ports.WaitRx(slot, 60000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ports.CancelWait();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(waiting.get(), 0);
    // Bytes still wake it as before.
    pty.Send("1");
    EXPECT_EQ(ports.WaitRx(slot, 5000), 1);
}

TEST(SerialPortTest, VanishedDeviceFailsAtOnce) {
    CPseudoTerminal pty;
    CComPorts ports([&](int) { return pty.Path(); });
    const int slot = OpenLine(ports, 0);
    ASSERT_GE(slot, 0);
    pty.Unplug();
    EXPECT_EQ(ports.IsAlive(slot), 0);
    EXPECT_EQ(ports.WaitRx(slot, 60000), 0);  // returns at once instead of a minute
    char buffer[4];
    EXPECT_EQ(ports.Read(slot, buffer, sizeof buffer), -1);
    EXPECT_EQ(ports.RxCount(slot), 0u);
    EXPECT_EQ(ports.Close(slot), 0);
    EXPECT_EQ(ports.WaitRx(slot, 10), 0);
    EXPECT_EQ(ports.Read(slot, buffer, sizeof buffer), -1);
}

}  // namespace
}  // namespace kelvandor
