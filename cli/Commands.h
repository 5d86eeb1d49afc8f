#pragma once
// The subcommands of kelvandor-tool. Each takes the arguments after its own name and returns
// the exit status: 0 success, 1 the work failed, 2 bad usage.

namespace kelvandor::cli {

struct Subcommand {
    const char* name;
    const char* summary;  // one line for the overall --help
    int (*run)(int argc, char** argv);
};

int RunSound(int argc, char** argv);

}  // namespace kelvandor::cli
