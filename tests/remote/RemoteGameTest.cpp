// A whole round played on the game view with nothing but remote frames on a pseudo-terminal,
// as the quiz master and the players play it with the receiver on COM1. The presses take the
// shipped program's path: reader, hand-over of the code to the view's thread, the view's
// button table.

#include <algorithm>
#include <chrono>
#include <thread>

#include "remote/RemoteLink.h"
#include "tests/game/ViewFixture.h"
#include "tests/remote/PseudoTerminal.h"

namespace kelvandor::test {
namespace {

using namespace std::chrono_literals;

class RemoteGameTest : public ViewTest {
protected:
    void Connect() {
        link_ = std::make_unique<CRemoteLink>(
            view->State().ComPort,
            [this](const RemotePress& press) { host.PostRemoteButton(press.code); }, ports_,
            [this] { return tick_ += 1000; });
        link_->Start();
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (!link_->Status().open && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(5ms);
        }
        ASSERT_TRUE(link_->Status().open);
    }

    // One button press; returns once the game's thread (this one) has run its action.
    void Press(char code) {
        pty_.Send(std::string{code, 'D'} + "00000000\r\n");
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (host.DeliverPosted() == 0) {
            ASSERT_LT(std::chrono::steady_clock::now(), until) << "button " << code << " lost";
            std::this_thread::sleep_for(2ms);
        }
    }

    void TearDown() override {
        if (link_) {
            link_->Stop();
        }
    }

    CPseudoTerminal pty_;
    CComPorts ports_{[this](int index) { return index == 0 ? pty_.Path() : std::string(); }};
    std::uint32_t tick_ = 0;  // the reader's clock, touched by the reader thread only
    std::unique_ptr<CRemoteLink> link_;
};

TEST_F(RemoteGameTest, RoundPlayedFromRemoteFramesAlone) {
    CPuzzleFolder folder;
    folder.Write(1, "Ordne\r\nA\r\nB\r\nC\r\nD\r\n");
    Create(folder.Path(), 5);
    Connect();

    Press('2');  // next puzzle
    ASSERT_EQ(view->State().Started, 1u);
    for (int guard = 0; guard < 10 && view->State().PhaseCountdown == 0; ++guard) {
        ASSERT_TRUE(host.RunTicksUntil(400, [this] {
            return view->State().MovingCount == 0 && view->State().SelectCountdown == 0;
        }));
        const int sel = Selected();
        ASSERT_GE(sel, 0);
        Press('A');  // left arrow: into the ordered column
        Settle();
        for (int step = 0; step < 8; ++step) {
            const std::vector<int> left = Column(kLeftColumn);
            const auto pos = std::find(left.begin(), left.end(), sel) - left.begin();
            if (pos > 0 && left[pos - 1] > sel) {
                Press('8');  // up
            } else if (pos + 1 < static_cast<long>(left.size()) && left[pos + 1] < sel) {
                Press('9');  // down
            } else {
                break;
            }
            Settle();
        }
        // The active player's stop button; the right player's is the joystick button 13,
        // which the view's own JoystickOn (on by default) makes a stop button.
        Press(view->State().ActivePlayer == 0 ? '0' : 'D');
    }
    EXPECT_EQ(view->State().PhaseCountdown, 10u);  // solved
    ASSERT_TRUE(host.RunTicksUntil(400, [this] { return view->State().PhaseCountdown == 1; }));
    Press('5');  // a star for the left player
    EXPECT_EQ(view->State().Stars[0], 1);
    Press('3');  // reveal: clear the board
    EXPECT_EQ(view->State().Started, 0u);
}

}  // namespace
}  // namespace kelvandor::test
