#pragma once
// Runs the built kelvandor-tool as a user would, from tests. The test target defines
// KELVANDOR_TOOL as the program's path.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace kelvandor::test {

struct RunResult {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;  // what was collected (see ToolOutput)
};

// `s` quoted for the POSIX shell.
inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

enum class ToolOutput {
    Both,        // standard output and standard error, interleaved
    OutputOnly,  // standard output; standard error is dropped
};

// Runs kelvandor-tool with `args` (already quoted as needed) and collects what it prints.
inline RunResult RunTool(const std::string& args, ToolOutput collect = ToolOutput::Both) {
    RunResult result;
    const std::string command = ShellQuote(KELVANDOR_TOOL) + " " + args +
                                (collect == ToolOutput::Both ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) {
        result.out.append(buf, n);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace kelvandor::test
