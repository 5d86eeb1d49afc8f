#pragma once
// Small helpers that every subcommand of kelvandor-tool shares.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvandor::cli {

// Prints "kelvandor-tool: MESSAGE" on stderr and returns the usage exit status 2.
int UsageError(std::string_view message);

// Text as a JSON string literal, quotes included. The text must already be UTF-8.
std::string JsonString(std::string_view utf8);

// True when the argument is --help or -h.
bool IsHelp(std::string_view arg);

// An option that a subcommand knows. An option with `missingValue` takes the next argument
// as its value, and the usage error says "<subcommand>: <name> <missingValue>" when there is
// none; an option without it is a flag.
struct OptionSpec {
    std::string_view name;
    const char* missingValue = nullptr;
};

struct ScannedArguments {
    // Set when the subcommand must end at once with this status: 0 after the usage was
    // printed for --help or -h, 2 after a usage error was printed.
    std::optional<int> exitNow;
    std::vector<std::string_view> positional;
    // The options in the order given; flags with an empty value.
    std::vector<std::pair<std::string_view, std::string_view>> options;

    bool Has(std::string_view name) const;
    // The value given last for `name`, or an empty text.
    std::string_view Value(std::string_view name) const;
};

// The arguments of `subcommand` sorted into options and positional words. --help or -h
// prints `usage`. A word longer than "-" that starts with '-' is an option, unless
// `isPositional` claims it (negative numbers); an option that is not among `known` is
// refused with a usage error (see UsageError).
ScannedArguments ScanArguments(std::string_view subcommand, int argc, char** argv,
                               std::string_view usage, std::initializer_list<OptionSpec> known,
                               bool (*isPositional)(std::string_view) = nullptr);

}  // namespace kelvandor::cli
