// kelvandor-tool: checks and previews puzzle sets, loads images, tests the remote receiver
// and drives the game headless. See README.md for the subcommands.

#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace kelvandor::cli {
namespace {

// Subcommands register here as they are written; the order is the order of --help.
const Subcommand kSubcommands[] = {
    {"image", "load a picture with the program's loader; optionally write it as PAM", RunImage},
    {"puzzle", "load one puzzle as the game does and show it", RunPuzzle},
    {"check", "check a puzzle set for everything that would go wrong on show day", RunCheck},
    {"remote-monitor", "print each button press the remote receiver sends", RunRemoteMonitor},
    {"replay", "run the game headless from a script and print its state", RunReplay},
    {"preview", "render every puzzle of a set as dealt and as solved into PNG files", RunPreview},
    {"sound", "play the program's sounds through the sound gate", RunSound},
    {"send", "send one request to the running game and print its reply", RunSend},
    {nullptr, nullptr, nullptr},
};

void PrintUsage(std::ostream& out) {
    out << "usage: kelvandor-tool SUBCOMMAND [ARGS...]\n"
           "       kelvandor-tool SUBCOMMAND --help\n"
           "       kelvandor-tool --version\n\nsubcommands:\n";
    for (const Subcommand& sub : kSubcommands) {
        if (sub.name != nullptr) {
            const std::string name = sub.name;
            out << "  " << name << std::string(name.size() < 16 ? 16 - name.size() : 1, ' ')
                << sub.summary << "\n";
        }
    }
}

}  // namespace
}  // namespace kelvandor::cli

int main(int argc, char** argv) {
    using namespace kelvandor::cli;
    if (argc < 2) {
        PrintUsage(std::cerr);
        return 2;
    }
    const std::string_view first = argv[1];
    if (IsHelp(first)) {
        PrintUsage(std::cout);
        return 0;
    }
    if (first == "--version") {
        std::cout << "kelvandor-tool " << KELVANDOR_VERSION << "\n";
        return 0;
    }
    for (const Subcommand& sub : kSubcommands) {
        if (sub.name != nullptr && first == sub.name) {
            return sub.run(argc - 2, argv + 2);
        }
    }
    if (!first.empty() && first[0] == '-') {
        return UsageError("unknown option " + std::string(first));
    }
    return UsageError("unknown subcommand " + std::string(first));
}
