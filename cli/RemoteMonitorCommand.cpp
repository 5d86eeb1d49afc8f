// kelvandor-tool remote-monitor: the quiz master's test of the remote receiver before the
// show. Opens the receiver's line exactly as the game's reader does and prints each press.

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "game/CommandTable.h"
#include "game/RemoteButtons.h"
#include "remote/RemoteReader.h"
#include "remote/SerialPort.h"

namespace kelvandor::cli {
namespace {

constexpr const char* kUsage =
    "usage: kelvandor-tool remote-monitor DEVICE [--joystick 0|1] [--seconds S]\n"
    "Opens the remote receiver's serial line as the game does (9600 baud, 8N1) and prints\n"
    "one line per button press or bounce. DEVICE is COM1..COM256 (mapped as the game maps\n"
    "it: the setting ComDevices/COMn, else /dev/ttyS<n-1>) or a device path.\n";

// A value of the game's settings file, which the game's shell keeps in the INI format
// ("ComDevices/COM1" is key COM1 of section [ComDevices]). nullopt when the file or the value
// is missing.
std::optional<std::string> ReadGameSetting(const std::string& name) {
    const auto slash = name.find('/');
    const std::string section = "[" + name.substr(0, slash) + "]";
    const std::string key = name.substr(slash + 1);
    std::string dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        dir = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
        dir = std::string(home) + "/.config";
    } else {
        return std::nullopt;
    }
    std::ifstream in(dir + "/XQ/Kelvandor.conf");
    auto trim = [](const std::string& s) {
        const auto first = s.find_first_not_of(" \t\r");
        const auto last = s.find_last_not_of(" \t\r");
        return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
    };
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        line = trim(line);
        if (!line.empty() && line.front() == '[') {
            inSection = line == section;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string::npos || trim(line.substr(0, equals)) != key) {
            continue;
        }
        std::string value = trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return std::nullopt;
}

// "COM1".."COM256" (any case) → port index 0..255; -1 for anything else.
int ParseComName(std::string_view text) {
    if (text.size() < 4 || text.size() > 6) {
        return -1;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) {
            return -1;
        }
    }
    int number = 0;
    for (char c : text.substr(3)) {
        if (c < '0' || c > '9') {
            return -1;
        }
        number = number * 10 + (c - '0');
    }
    return number >= 1 && number <= 256 && text[3] != '0' ? number - 1 : -1;
}

// Prints every press as it happens, with the action the game's button table gives it; the
// reader thread calls it.
class CMonitorTarget : public IRemoteTarget {
public:
    CMonitorTarget(int portIndex, bool joystickOn)
        : portIndex_(portIndex), joystickOn_(joystickOn) {}

    int RemotePortIndex() const override { return portIndex_; }

    void HandOver(const RemotePress& press) override {
        const RemoteAction action = RemoteButtonAction(press.code, joystickOn_);
        std::string line = "press " + std::to_string(press.code) + " ";
        switch (action.kind) {
            case RemoteAction::Kind::Judge:
                line += "judge " + std::to_string(action.value);
                break;
            case RemoteAction::Kind::Command:
                line += "command " + std::to_string(action.value);
                break;
            case RemoteAction::Kind::Key:
                line += "key " + std::string(ArrowKeyName(static_cast<ArrowKey>(action.value)));
                break;
            case RemoteAction::Kind::None:
                line += "none";
                break;
        }
        Print(line);
    }

    void Bounced(std::uint32_t code, std::uint32_t) override {
        Print("bounce " + std::to_string(code));
    }

private:
    void Print(const std::string& line) {
        std::lock_guard lock(mutex_);
        std::cout << line << std::endl;  // flushed: a script reads the lines as they come
    }

    const int portIndex_;
    const bool joystickOn_;
    std::mutex mutex_;
};

}  // namespace

int RunRemoteMonitor(int argc, char** argv) {
    std::string device;
    bool joystickOn = false;
    double seconds = 0;  // 0: until interrupted
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (IsHelp(arg)) {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--joystick" || arg == "--seconds") {
            if (i + 1 >= argc) {
                return UsageError(std::string(arg) + " needs a value");
            }
            const std::string value = argv[++i];
            if (arg == "--joystick") {
                if (value != "0" && value != "1") {
                    return UsageError("--joystick takes 0 or 1, not " + value);
                }
                joystickOn = value == "1";
            } else {
                char* end = nullptr;
                errno = 0;
                seconds = std::strtod(value.c_str(), &end);
                if (value.empty() || *end != 0 || errno != 0 || !std::isfinite(seconds) ||
                    seconds <= 0 || seconds > 1e7) {
                    return UsageError("--seconds takes a positive number, not " + value);
                }
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("remote-monitor: unknown option " + std::string(arg));
        } else if (device.empty()) {
            device = arg;
        } else {
            return UsageError("remote-monitor: one DEVICE only");
        }
    }
    if (device.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    // A COM name maps as in the game; a path is used as it stands, as port index 0.
    int portIndex = ParseComName(device);
    CComPorts ports;
    if (portIndex >= 0) {
        ports.SetResolver(MakeComDeviceResolver(ReadGameSetting));
    } else if (device.find('/') != std::string::npos) {
        portIndex = 0;
        ports.SetResolver([device](int) { return device; });
    } else {
        return UsageError("remote-monitor: DEVICE must be COM1..COM256 or a path, not " + device);
    }

    // Interrupts are taken by sigtimedwait below, not by a handler: block them before the
    // reader thread starts, so that it inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CMonitorTarget target(portIndex, joystickOn);
    CRemoteReader reader(ports, target);
    reader.Start();

    bool wasOpen = false;
    bool everOpen = false;
    std::string lastComplaint;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const RemoteStatus status = reader.Status();
        if (status.open != wasOpen || (!status.open && status.error != lastComplaint)) {
            if (status.open) {
                std::cerr << "remote-monitor: " << status.device << " open, waiting for presses"
                          << std::endl;
            } else if (status.portIndex >= 0) {
                std::cerr << "remote-monitor: " << (status.device.empty() ? device : status.device)
                          << ": " << status.error
                          << (status.error.find("ermission") != std::string::npos
                                  ? " (is the user in group dialout?)"
                                  : "")
                          << "; retrying" << std::endl;
                lastComplaint = status.error;
            }
            wasOpen = status.open;
            everOpen = everOpen || status.open;
        }
        double slice = 0.05;
        if (seconds > 0) {
            const double left =
                seconds -
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (left <= 0) {
                break;
            }
            slice = std::min(slice, left);
        }
        timespec wait{};
        wait.tv_nsec = static_cast<long>(slice * 1e9);
        if (sigtimedwait(&stopSignals, nullptr, &wait) > 0) {
            break;
        }
    }
    reader.Stop();
    return everOpen ? 0 : 1;
}

}  // namespace kelvandor::cli
