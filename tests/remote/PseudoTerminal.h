#pragma once
// A pseudo-terminal standing in for the remote receiver: the test writes into its master
// side, the code under test opens the slave side by its path.

#include <string>
#include <string_view>

namespace kelvandor::test {

class CPseudoTerminal {
public:
    CPseudoTerminal();  // fails the current test when no pseudo-terminal can be made
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    const std::string& Path() const { return path_; }

    // Writes all bytes into the master side, as the receiver sends them.
    void Send(std::string_view bytes);

    // Closes both sides: the device vanishes as an unplugged USB receiver does.
    void Unplug();

private:
    int master_ = -1;
    int keeper_ = -1;  // a slave handle of our own keeps the terminal alive between opens
    std::string path_;
};

}  // namespace kelvandor::test
