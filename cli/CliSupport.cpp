#include "cli/CliSupport.h"

#include <cstdint>
#include <cstdio>
#include <iostream>

namespace kelvandor::cli {

int UsageError(std::string_view message) {
    std::cerr << "kelvandor-tool: " << message << "\n";
    return 2;
}

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

bool IsHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

bool ScannedArguments::Has(std::string_view name) const {
    for (const auto& option : options) {
        if (option.first == name) {
            return true;
        }
    }
    return false;
}

std::string_view ScannedArguments::Value(std::string_view name) const {
    std::string_view value;
    for (const auto& option : options) {
        if (option.first == name) {
            value = option.second;
        }
    }
    return value;
}

ScannedArguments ScanArguments(std::string_view subcommand, int argc, char** argv,
                               std::string_view usage, std::initializer_list<OptionSpec> known,
                               bool (*isPositional)(std::string_view)) {
    ScannedArguments scanned;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (IsHelp(arg)) {
            std::cout << usage;
            scanned.exitNow = 0;
            return scanned;
        }
        if (arg.size() <= 1 || arg[0] != '-' || (isPositional != nullptr && isPositional(arg))) {
            scanned.positional.push_back(arg);
            continue;
        }
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : known) {
            if (candidate.name == arg) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            scanned.exitNow =
                UsageError(std::string(subcommand) + ": unknown option " + std::string(arg));
            return scanned;
        }
        if (option->missingValue == nullptr) {
            scanned.options.emplace_back(arg, std::string_view());
        } else if (i + 1 >= argc) {
            scanned.exitNow = UsageError(std::string(subcommand) + ": " + std::string(arg) + " " +
                                         option->missingValue);
            return scanned;
        } else {
            scanned.options.emplace_back(arg, argv[++i]);
        }
    }
    return scanned;
}

}  // namespace kelvandor::cli
