// kelvandor-tool preview ROOT [--out DIR] [--size WxH] [--seed N]: the quiz master's look at a
// puzzle set before the show. Plays the set headless as the game would (same selection, same
// deal, same drawing) and writes two screens per puzzle: as dealt and as solved.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/PngWriter.h"
#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "game/ScreenLayout.h"
#include "image/ImageFile.h"
#include "puzzles/PuzzleFiles.h"
#include "puzzles/PuzzleText.h"
#include "settings/SettingsStore.h"

namespace kelvandor::cli {
namespace {

constexpr const char* kUsage =
    "usage: kelvandor-tool preview ROOT [--out DIR] [--size WxH] [--seed N]\n"
    "Renders, for each puzzle the game would play from ROOT, the game screen as dealt and as\n"
    "solved into DIR (default preview/) as GameNNN-deal.png and GameNNN-solution.png, and says\n"
    "which numbers the game skips and why.\n"
    "  --size WxH   screen size in pixels (default 1920x1080)\n"
    "  --seed N     seed of the shuffle (default 1); the game itself seeds from the clock\n"
    "Exit status: 0 screens written, 1 no puzzle found or a file could not be written,\n"
    "2 bad usage.\n";

// 8K screens; a larger back buffer would take hundreds of megabytes for nothing.
constexpr std::int32_t kMaxSide = 8192;
// Generous bounds for an animation to end; a board never needs more than a few seconds.
constexpr std::uint32_t kMaxSettleTicks = 2000;

struct Options {
    std::string root;
    std::string out = "preview";
    std::int32_t width = 1920;
    std::int32_t height = 1080;
    std::uint32_t seed = 1;
};

bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= max;
}

bool ParseSize(std::string_view text, Options& options) {
    const std::size_t x = text.find_first_of("xX");
    std::uint64_t w = 0, h = 0;
    if (x == std::string_view::npos || !ParseNumber(text.substr(0, x), kMaxSide, w) ||
        !ParseNumber(text.substr(x + 1), kMaxSide, h) || w == 0 || h == 0) {
        return false;
    }
    options.width = static_cast<std::int32_t>(w);
    options.height = static_cast<std::int32_t>(h);
    return true;
}

// Returns 0 when the options are good, else the usage status after printing why.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" || arg == "--size" || arg == "--seed") {
            if (!hasValue) {
                return UsageError("preview: " + std::string(arg) + " needs a value");
            }
            const std::string_view value = argv[++i];
            std::uint64_t seed = 0;
            if (arg == "--out") {
                if (value.empty()) {
                    return UsageError("preview: --out needs a folder");
                }
                options.out = value;
            } else if (arg == "--size") {
                if (!ParseSize(value, options)) {
                    return UsageError("preview: --size wants WxH, each 1.." +
                                      std::to_string(kMaxSide) + ", got '" + std::string(value) +
                                      "'");
                }
            } else if (!ParseNumber(value, 0xFFFFFFFFu, seed)) {
                return UsageError("preview: --seed wants a number 0..4294967295, got '" +
                                  std::string(value) + "'");
            } else {
                options.seed = static_cast<std::uint32_t>(seed);
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("preview: unknown option " + std::string(arg));
        } else if (options.root.empty()) {
            options.root = arg;
        } else {
            return UsageError("preview: expected one ROOT, got a second: " + std::string(arg));
        }
    }
    if (options.root.empty()) {
        return UsageError("preview: expected a puzzle ROOT");
    }
    return 0;
}

// Every element has arrived and the last full redraw has been drawn.
bool Settled(const CKelvandorView& v) {
    return v.State().MovingCount == 0 && v.Screen().DirtyMask == 0;
}

bool SolutionShown(const CKelvandorView& v) {
    return v.State().PhaseCountdown == 1 && Settled(v);
}

std::string ScreenPath(const Options& options, std::int32_t gameNumber, const char* what) {
    char name[48];
    std::snprintf(name, sizeof name, "Game%03d-%s.png", gameNumber, what);
    return (std::filesystem::path(options.out) / name).string();
}

bool WriteScreen(CHeadlessViewHost& host, const std::string& path) {
    std::string error;
    if (!WritePngFile(host.BackBuffer(), path, error)) {
        std::cerr << "kelvandor-tool: preview: " << error << "\n";
        return false;
    }
    return true;
}

// Why the game passes over puzzle `number` (it found nothing there to play), in words.
std::string SkipReason(const std::string& root, std::int32_t number) {
    const std::string folder = PuzzleFolderName(number);
    const ResolvedPath file = ResolvePuzzleFile(root, number, "Game.txt");
    if (!file.exists) {
        const bool folderExists = ResolvePuzzleFile(root, number, "").exists;
        return folderExists ? folder + " has no Game.txt" : "there is no folder " + folder;
    }
    const FileHead head = ReadFileHead(file.path, kMaxPuzzleFileBytes);
    switch (head.status) {
        case FileReadStatus::NotARegularFile:
            return "its Game.txt is not a file";
        case FileReadStatus::Unreadable:
            return "its Game.txt cannot be read (no permission?)";
        case FileReadStatus::Missing:
            return folder + " has no Game.txt";
        case FileReadStatus::Ok:
            break;
    }
    if (head.bytes.empty()) {
        return "its Game.txt is empty";
    }
    const std::size_t answers = ParsePuzzleText(head.bytes).answers.size();
    return answers == 0 ? "its Game.txt has no answers"
                        : "its Game.txt has only one answer (nothing to put in order)";
}

// Tells which numbers after `previous` and before `next` the game skipped, and why; past the
// set's end only those with a folder, since the missing ones there are no news.
void ReportSkipped(const std::string& root, std::int32_t previous, std::int32_t next,
                   bool atTheEnd) {
    for (std::int32_t n = previous + 1; n > previous && n < next; ++n) {
        if (atTheEnd && !ResolvePuzzleFile(root, n, "").exists) {
            continue;
        }
        std::cout << PuzzleFolderName(n) << ": skipped: " << SkipReason(root, n) << "\n";
    }
}

}  // namespace

int RunPreview(int argc, char** argv) {
    if (argc == 1 && IsHelp(argv[0])) {
        std::cout << kUsage;
        return 0;
    }
    Options options;
    if (const int status = ParseOptions(argc, argv, options); status != 0) {
        return status;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(options.root, ec)) {
        std::cerr << "kelvandor-tool: preview: " << options.root << " is not a folder\n";
        return 1;
    }
    std::filesystem::create_directories(options.out, ec);
    if (!std::filesystem::is_directory(options.out, ec)) {
        std::cerr << "kelvandor-tool: preview: cannot create the folder " << options.out << "\n";
        return 1;
    }

    // The set alone, without formulas once it is used up, and never the user's settings.
    CMemorySettingsStore settings;
    settings.WriteText("PicPath", options.root);
    settings.WriteNumber("UseFormular", 0);
    CHeadlessViewHost host;
    CKelvandorView view(host, settings, LoadImageFileWithin);
    host.Attach(&view);
    view.SeedRandom(options.seed);
    view.OnCreate();
    view.OnSize(options.width, options.height);
    host.DeliverPosted();

    if (options.width < kMinimumViewWidth || options.height < kMinimumViewHeight) {
        std::cerr << "kelvandor-tool: preview: note: the game's window is never smaller than "
                  << kMinimumViewWidth << "x" << kMinimumViewHeight
                  << "; in a smaller screen the board does not fit\n";
    }

    int puzzles = 0;
    std::int32_t previous = 0;
    for (;;) {
        view.StartNextPuzzle();
        if (view.State().Started == 0) {
            ReportSkipped(options.root, previous, view.State().GameNumber + 1, true);
            if (puzzles > 0) {
                std::cout << "No puzzle in the ten numbers after " << PuzzleFolderName(previous)
                          << ": the set ends there.\n";
            }
            break;  // nothing left to play
        }
        const std::int32_t number = view.State().GameNumber;
        ReportSkipped(options.root, previous, number, false);
        previous = number;
        if (!host.RunTicksUntil(kMaxSettleTicks, [&view] { return Settled(view); })) {
            std::cerr << "kelvandor-tool: preview: the board of puzzle " << number
                      << " did not come to rest\n";
            return 1;
        }
        const std::string dealt = ScreenPath(options, number, "deal");
        if (!WriteScreen(host, dealt)) {
            return 1;
        }
        // Solved: the answers move into their correct order and the solution texts appear.
        view.RevealSolution();
        if (!host.RunTicksUntil(kMaxSettleTicks, [&view] { return SolutionShown(view); })) {
            std::cerr << "kelvandor-tool: preview: the solution of puzzle " << number
                      << " did not come to rest\n";
            return 1;
        }
        const std::string solved = ScreenPath(options, number, "solution");
        if (!WriteScreen(host, solved)) {
            return 1;
        }
        char label[24];
        std::snprintf(label, sizeof label, "Game%03d", number);
        std::cout << label << ": " << dealt << " " << solved << "\n";
        ++puzzles;
        view.ClearBoard();
    }
    if (puzzles == 0) {
        std::cerr << "kelvandor-tool: preview: no puzzle found below " << options.root << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kelvandor::cli
