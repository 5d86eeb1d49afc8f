#include "tests/remote/PseudoTerminal.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace kelvandor::test {

CPseudoTerminal::CPseudoTerminal() {
    char name[256] = {};
    if (openpty(&master_, &keeper_, name, nullptr, nullptr) != 0) {
        ADD_FAILURE() << "openpty failed";
        return;
    }
    path_ = name;
    // Raw from the start, so that bytes written before the reader sets up its line are not
    // held back by line editing or have CR turned into LF.
    termios tio{};
    tcgetattr(keeper_, &tio);
    cfmakeraw(&tio);
    tcsetattr(keeper_, TCSANOW, &tio);
}

CPseudoTerminal::~CPseudoTerminal() {
    Unplug();
}

void CPseudoTerminal::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(master_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        ASSERT_GT(written, 0) << "writing into the pseudo-terminal failed";
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void CPseudoTerminal::Unplug() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
    if (keeper_ >= 0) {
        close(keeper_);
        keeper_ = -1;
    }
}

}  // namespace kelvandor::test
