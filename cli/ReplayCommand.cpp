// kelvandor-tool replay SCRIPT: runs the game view headless on a simulated clock, driven by
// a script of key presses, commands, remote buttons and ticks, and prints the game state as
// JSON lines.

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "base/TextCodec.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/PngWriter.h"
#include "cli/PuzzleToolSupport.h"
#include "cli/ReplayScript.h"
#include "game/CommandTable.h"
#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "image/ImageFile.h"
#include "settings/SettingsStore.h"

namespace kelvandor::cli {
namespace {

constexpr const char* kUsage =
    "usage: kelvandor-tool replay SCRIPT\n"
    "Runs the game view headless against a simulated clock (starting at tick count 1000000)\n"
    "and prints the game state as JSON lines. SCRIPT is a file, or - for standard input.\n"
    "Script lines (blank lines and lines starting with # are ignored):\n"
    "  seed N               seed the game's random generator\n"
    "  setting NAME VALUE   set a stored setting as the settings loader would\n"
    "  size W H             resize the view\n"
    "  key NAME             F1 ... F11, Ctrl+N, Left, Right, Up, Down\n"
    "  command ID           a command, through its enable rule\n"
    "  remote CODE          the action of remote button CODE (0..15)\n"
    "  input TEXT | cancel  the answer to the next dialog\n"
    "  ticks N              N game ticks of 50 ms\n"
    "  advance MS           move the clock without a tick\n"
    "  dump                 print the state line\n"
    "  frame PATH           write the screen as a PNG file\n"
    "Exit status: 0 the script ran, 1 it could not be read or a frame could not be written,\n"
    "2 bad usage or a bad script line.\n";

constexpr std::uint32_t kStartTick = 1000000;

// Why a script line was refused; the message is printed with its line number.
struct ScriptError {
    std::string message;
};

// A line that was good but whose work failed (a frame that could not be written).
struct WorkError {
    std::string message;
};

// Plain decimal digits within `max`; anything else is refused.
std::uint64_t ParseDecimal(std::string_view text, std::uint64_t max, const char* what) {
    if (text.empty() || text.size() > 20) {
        throw ScriptError{std::string("expected ") + what + ", got '" + std::string(text) + "'"};
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            throw ScriptError{std::string("expected ") + what + ", got '" + std::string(text) +
                              "'"};
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > max) {
            throw ScriptError{std::string(what) + " out of range: " + std::string(text)};
        }
    }
    return value;
}

std::int64_t ParseSigned(std::string_view text, std::int64_t min, std::int64_t max,
                         const char* what) {
    const bool negative = !text.empty() && text[0] == '-';
    // Each sign against its own bound: 4294967295 is a valid stored word though above -min.
    const std::uint64_t bound =
        negative ? static_cast<std::uint64_t>(-min) : static_cast<std::uint64_t>(std::max<std::int64_t>(max, 0));
    const auto magnitude =
        static_cast<std::int64_t>(ParseDecimal(negative ? text.substr(1) : text, bound, what));
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        throw ScriptError{std::string(what) + " out of range: " + std::string(text)};
    }
    return value;
}

// Splits off the first blank-separated word of `rest`; `rest` keeps what follows one blank.
std::string_view TakeWord(std::string_view& rest) {
    const std::size_t end = rest.find(' ');
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return word;
}

void ExpectEnd(std::string_view rest) {
    if (!rest.empty()) {
        throw ScriptError{"unexpected text '" + std::string(rest) + "'"};
    }
}

std::string Text(const StringList& list, std::size_t i) {
    return JsonString(Windows1252ToUtf8(i < list.Count() ? list.Text(i) : std::string()));
}

template <typename Array>
std::string NumberArray(const Array& values, std::size_t count) {
    std::string out = "[";
    for (std::size_t i = 0; i < count; ++i) {
        out += (i > 0 ? "," : "") + std::to_string(static_cast<std::uint64_t>(values[i]));
    }
    return out + "]";
}

void PrintState(const CKelvandorView& view, CHeadlessViewHost& host, std::ostream& out) {
    const GameState& v = view.State();
    const PuzzleContent& p = v.Puzzle;
    out << "{\"now\":" << host.TickCount() << ",\"ActivePlayer\":" << v.ActivePlayer
        << ",\"StartingPlayer\":" << v.StartingPlayer << ",\"Stars\":" << NumberArray(v.Stars, 2)
        << ",\"Latched\":" << NumberArray(v.Latched, 2)
        << ",\"PanelColour\":" << NumberArray(v.PanelColour, 2) << ",\"Started\":" << v.Started
        << ",\"PhaseCountdown\":" << v.PhaseCountdown
        << ",\"SelectCountdown\":" << v.SelectCountdown << ",\"NextSelection\":" << v.NextSelection
        << ",\"WrongSoundDelay\":" << v.WrongSoundDelay
        << ",\"CountdownDigit\":" << v.CountdownDigit << ",\"GameNumber\":" << v.GameNumber
        << ",\"ElementCount\":" << v.ElementCount()
        << ",\"QuestionText\":" << JsonString(Windows1252ToUtf8(p.QuestionText))
        << ",\"MovingCount\":" << v.MovingCount
        << ",\"MoveQueue\":" << NumberArray(v.MoveQueue, v.MoveQueueCount)
        << ",\"UseFormulas\":" << v.UseFormulas << ",\"JoystickOn\":" << v.JoystickOn
        << ",\"AutoStars\":" << v.AutoStars << ",\"StarSize\":" << v.StarSize
        << ",\"Timeout\":" << v.Timeout
        << ",\"PuzzlePath\":" << JsonString(DisplayName(v.PuzzlePath))
        << ",\"ComPort\":" << v.ComPort.load() << ",\"StarModulus\":" << v.StarModulus
        << ",\"elements\":[";
    for (std::int32_t i = 0; i < v.ElementCount(); ++i) {
        const auto n = static_cast<std::size_t>(i);
        out << (i > 0 ? "," : "") << "{\"index\":" << i
            << ",\"state\":" << static_cast<int>(v.ElementState[n])
            << ",\"column\":" << static_cast<int>(v.ElementColumn[n])
            << ",\"slot\":" << static_cast<int>(v.ElementSlot[n])
            << ",\"answer\":" << Text(p.AnswerTexts, n)
            << ",\"solution\":" << Text(p.SolutionTexts, n)
            << ",\"picture\":" << Text(p.PictureNames, n) << "}";
    }
    out << "],\"sounds\":[";
    bool first = true;
    for (const std::string& sound : host.TakeSounds()) {
        out << (first ? "" : ",") << JsonString(sound);
        first = false;
    }
    out << "]}\n";
}

// Runs one script line; a refused line throws ScriptError.
void RunLine(std::string_view line, CKelvandorView& view, CHeadlessViewHost& host,
             std::ostream& out, ReplayLimits& limits) {
    std::string_view rest = line;
    const std::string_view action = TakeWord(rest);
    if (action == "seed") {
        view.SeedRandom(
            static_cast<std::uint32_t>(ParseDecimal(TakeWord(rest), 0xFFFFFFFFu, "a seed")));
        ExpectEnd(rest);
    } else if (action == "setting") {
        const std::string name(TakeWord(rest));
        CMemorySettingsStore one;
        if (name == "PicPath") {
            one.WriteText(name, std::string(rest));
        } else if (name == "UseFormular" || name == "JoystickOn" || name == "AutoStars" ||
                   name == "StarSize" || name == "Timeout" || name == "ComPort") {
            const std::string_view value = TakeWord(rest);
            ExpectEnd(rest);
            // Stored values are 32-bit words; a negative one is kept as its two's complement.
            one.WriteNumber(name, static_cast<std::uint32_t>(ParseSigned(
                                      value, -2147483648LL, 4294967295LL, "a setting value")));
        } else {
            throw ScriptError{"unknown setting '" + name + "'"};
        }
        view.LoadSettings(one);
    } else if (action == "size") {
        // Above kMaxReplaySide the screen alone would take gigabytes.
        const auto w = ParseSigned(TakeWord(rest), INT32_MIN, limits.maxSide, "a width");
        const auto h = ParseSigned(TakeWord(rest), INT32_MIN, limits.maxSide, "a height");
        ExpectEnd(rest);
        view.OnSize(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
    } else if (action == "key") {
        const std::string_view name = TakeWord(rest);
        ExpectEnd(rest);
        if (const auto key = GameKeyFromName(name)) {
            // F10 is the frame's key (full screen): it reaches no game command.
            if (const auto command = AcceleratorCommand(*key)) {
                view.OnCommand(*command);
            }
        } else if (const auto arrow = ArrowKeyFromName(name)) {
            view.OnKeyDown(static_cast<std::uint32_t>(*arrow));
        } else {
            throw ScriptError{"unknown key '" + std::string(name) + "'"};
        }
    } else if (action == "command") {
        const auto id = ParseDecimal(TakeWord(rest), 0xFFFFFFFFu, "a command id");
        ExpectEnd(rest);
        view.OnCommand(static_cast<CommandId>(id));
    } else if (action == "remote") {
        const auto code = ParseDecimal(TakeWord(rest), 15, "a button code 0..15");
        ExpectEnd(rest);
        host.PostRemoteButton(static_cast<std::uint32_t>(code));
    } else if (action == "input") {
        host.PrepareAnswer(std::string(rest));
    } else if (action == "cancel") {
        ExpectEnd(rest);
        host.PrepareAnswer(std::nullopt);
    } else if (action == "ticks") {
        const auto n = ParseDecimal(TakeWord(rest), 0xFFFFFFFFu, "a tick count");
        ExpectEnd(rest);
        if (n > limits.ticksLeft) {
            throw WorkError{"more ticks than the run allows"};
        }
        limits.ticksLeft -= n;
        host.RunTicks(static_cast<std::uint32_t>(n));
    } else if (action == "advance") {
        const auto ms = ParseDecimal(TakeWord(rest), 0xFFFFFFFFu, "milliseconds");
        ExpectEnd(rest);
        host.Advance(static_cast<std::uint32_t>(ms));
    } else if (action == "dump") {
        ExpectEnd(rest);
        PrintState(view, host, out);
    } else if (action == "frame") {
        // The rest of the line, so that a path may hold blanks.
        if (rest.empty()) {
            throw ScriptError{"frame: expected a PATH"};
        }
        if (!limits.writeFrames) {
            throw WorkError{"frame: frames are not written in this run"};
        }
        std::string error;
        out.flush();
        if (!WritePngFile(host.BackBuffer(), std::string(rest), error)) {
            throw WorkError{"frame: " + error};
        }
    } else {
        throw ScriptError{"unknown action '" + std::string(action) + "'"};
    }
    // Whatever the line posted runs before the next line, as if the message loop ran at once.
    host.DeliverPosted();
    // Nobody reads the host's records here: kept, they would grow with the script.
    host.ForgetRecords();
}

}  // namespace

int RunReplayScript(std::istream& in, std::ostream& out, std::ostream& err,
                    ReplayLimits limits) {
    // Default settings, never the user's store: the replay must not depend on or change them.
    CMemorySettingsStore settings;
    CHeadlessViewHost host(kStartTick, std::time(nullptr));
    auto view = std::make_unique<CKelvandorView>(host, settings, LoadImageFileWithin);
    host.Attach(view.get());
    view->OnCreate();
    view->OnSize(1280, 720);
    host.DeliverPosted();

    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        try {
            RunLine(line, *view, host, out, limits);
        } catch (const ScriptError& error) {
            out.flush();
            err << "kelvandor-tool: replay: line " << lineNumber << ": " << error.message << "\n";
            return 2;
        } catch (const WorkError& error) {
            out.flush();
            err << "kelvandor-tool: replay: line " << lineNumber << ": " << error.message << "\n";
            return 1;
        }
    }
    out.flush();
    return 0;
}

int RunReplay(int argc, char** argv) {
    if (argc == 1 && IsHelp(argv[0])) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 1) {
        return UsageError("replay: expected exactly one SCRIPT (a file or -)");
    }
    const std::string scriptName = argv[0];
    if (scriptName.size() > 1 && scriptName[0] == '-') {
        return UsageError("replay: unknown option " + scriptName);
    }
    std::ifstream file;
    std::istream* in = &std::cin;
    if (scriptName != "-") {
        std::error_code error;
        if (!std::filesystem::is_directory(scriptName, error)) {
            file.open(scriptName, std::ios::binary);
        }
        if (!file.is_open()) {
            std::cerr << "kelvandor-tool: replay: cannot read " << scriptName << "\n";
            return 1;
        }
        in = &file;
    }

    const int status = RunReplayScript(*in, std::cout, std::cerr, ReplayLimits{});
    if (status == 0 && in->bad()) {
        std::cerr << "kelvandor-tool: replay: cannot read " << scriptName << "\n";
        return 1;
    }
    return status;
}

}  // namespace kelvandor::cli
