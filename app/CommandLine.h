#pragma once
// Reading the program's command line. Plain C++ so that it can be tested without a window.

#include <optional>
#include <string>
#include <vector>

namespace kelvandor {

// One thing the command line asks for, in the order the arguments came.
struct CommandLineAction {
    enum class Kind {
        ToggleZoom,  // "-z" (any case, further letters allowed): full-screen zoom on or off
        PuzzlePath,  // any argument that is not an option: the puzzle root for this run
        ModeratorWindow,  // "-m": the quiz master's window opens at start
        RestoreShow,      // "-r": a show that did not end is taken over without asking
    };
    Kind kind = Kind::ToggleZoom;
    std::string path;  // the argument's bytes, unchanged, for PuzzlePath

    friend bool operator==(const CommandLineAction&, const CommandLineAction&) = default;
};

// Turns the arguments after the program name into actions. An argument starting with "-"
// (and, where slashStartsOption is set, with "/") is an option: a "z" or "Z" as its second
// character toggles the zoom, every other option is ignored. On POSIX systems "/" starts
// absolute paths, so callers there pass slashStartsOption = false. The path is not trimmed
// here; the game view applies its own separator rule when it takes the path. "-m" and "-r"
// (any case) open the quiz master's window and restore an unfinished show. Empty
// arguments are skipped: they name no folder and would replace the stored one.
std::vector<CommandLineAction> ParseCommandLine(const std::vector<std::string>& arguments,
                                                bool slashStartsOption);

// True where "/" introduces options on this platform (Windows), false on POSIX.
bool PlatformSlashStartsOption();

// "--help" or "--version" anywhere on the command line: the program prints its usage or its
// version and ends instead of starting (the first of the two given wins). nullopt when
// neither is there; the game then starts as ParseCommandLine says.
enum class InfoRequest { Help, Version };
std::optional<InfoRequest> FindInfoRequest(const std::vector<std::string>& arguments);

// The usage that "--help" prints: German, as the program speaks, in UTF-8.
std::string UsageText();

}  // namespace kelvandor
