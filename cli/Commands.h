#pragma once
// The subcommands of kelvandor-tool. Each takes the arguments after its own name and returns
// the exit status: 0 success, 1 the work failed, 2 bad usage.

namespace kelvandor::cli {

struct Subcommand {
    const char* name;
    const char* summary;  // one line for the overall --help
    int (*run)(int argc, char** argv);
};

// image FILE [--out OUT.pam]: loads a picture and reports it (ImageCommand.cpp).
int RunImage(int argc, char** argv);
// puzzle ROOT N [--json]: loads one puzzle as the game does (PuzzleCommand.cpp).
int RunPuzzle(int argc, char** argv);
// check ROOT [--json]: checks a whole puzzle set (CheckCommand.cpp).
int RunCheck(int argc, char** argv);
// remote-monitor DEVICE [--joystick 0|1] [--seconds S]: prints the receiver's presses.
int RunRemoteMonitor(int argc, char** argv);
// replay SCRIPT: drives the game view headless from a script (ReplayCommand.cpp).
int RunReplay(int argc, char** argv);
// preview ROOT [--out DIR] [--size WxH] [--seed N]: the screens of a puzzle set as PNG files
// (PreviewCommand.cpp).
int RunPreview(int argc, char** argv);
// sound [NAME[@MS] ...]: plays the program's sounds through the gate (SoundCommand.cpp).
int RunSound(int argc, char** argv);
// send [--socket PATH] REQUEST ...: one request to the running game's control socket
// (SendCommand.cpp).
int RunSend(int argc, char** argv);

}  // namespace kelvandor::cli
