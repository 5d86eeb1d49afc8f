// kelvandor-tool remote-monitor, run as the quiz master runs it, against a pseudo-terminal.

#include <gtest/gtest.h>

#include <string>

#include "tests/remote/PseudoTerminal.h"
#include "tests/support/RunTool.h"

namespace kelvandor {
namespace {

using test::RunResult;

// Runs the tool and collects its standard output (its messages about the port go elsewhere).
RunResult RunMonitor(const std::string& args) {
    return test::RunTool("remote-monitor " + args, test::ToolOutput::OutputOnly);
}

std::string EveryButtonThenARepeat() {
    std::string frames;
    for (char code : std::string("0123456789ABCDEF")) {
        frames += std::string{code, 'D'} + "0123abcd\r\n";
    }
    return frames + "5D01234567\r";  // at once after the first 5: a bounce
}

TEST(RemoteMonitorToolTest, PrintsOneLinePerButtonCode) {
    test::CPseudoTerminal pty;
    // Sent before the tool opens the line: the bytes wait in the terminal for it.
    pty.Send(EveryButtonThenARepeat());
    const RunResult run = RunMonitor(pty.Path() + " --seconds 1.5");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "press 0 judge 0\n"
              "press 1 judge 1\n"
              "press 2 command 32809\n"
              "press 3 command 32813\n"
              "press 4 command 33036\n"
              "press 5 command 33034\n"
              "press 6 command 33037\n"
              "press 7 command 33035\n"
              "press 8 key Up\n"
              "press 9 key Down\n"
              "press 10 key Left\n"
              "press 11 key Right\n"
              "press 12 key Right\n"
              "press 13 none\n"
              "press 14 none\n"
              "press 15 none\n"
              "bounce 5\n");
}

TEST(RemoteMonitorToolTest, JoystickSwitchAndBadUsage) {
    test::CPseudoTerminal pty;
    pty.Send("DD01234567\n");
    const RunResult run = RunMonitor(pty.Path() + " --joystick 1 --seconds 1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "press 13 judge 1\n");

    EXPECT_EQ(RunMonitor("/nonexistent/tty --seconds 0.3").status, 1);  // never opened
    EXPECT_EQ(RunMonitor(pty.Path() + " --joystick 2").status, 2);
    EXPECT_EQ(RunMonitor(pty.Path() + " --seconds -1").status, 2);
    EXPECT_EQ(RunMonitor("COM0 --seconds 1").status, 2);
    EXPECT_EQ(RunMonitor("").status, 2);
}

}  // namespace
}  // namespace kelvandor
