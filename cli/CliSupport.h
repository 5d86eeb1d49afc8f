#pragma once
// Small helpers that every subcommand of kelvandor-tool shares.

#include <string>
#include <string_view>

namespace kelvandor::cli {

// Prints "kelvandor-tool: MESSAGE" on stderr and returns the usage exit status 2.
int UsageError(std::string_view message);

// Text as a JSON string literal, quotes included. The text must already be UTF-8.
std::string JsonString(std::string_view utf8);

// True when the argument is --help or -h.
bool IsHelp(std::string_view arg);

}  // namespace kelvandor::cli
