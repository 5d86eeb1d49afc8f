// kelvandor-tool puzzle ROOT N [--json]: loads one puzzle exactly as the game does and shows
// what the game would play.

#include <iostream>
#include <string>
#include <string_view>

#include "base/TextCodec.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/PuzzleToolSupport.h"
#include "puzzles/LoadPuzzle.h"
#include "puzzles/PuzzleFiles.h"

namespace kelvandor::cli {
namespace {

constexpr const char* kUsage =
    "usage: kelvandor-tool puzzle ROOT N [--json]\n"
    "Loads puzzle N (the folder GameNNN below ROOT) as the game does and prints the question,\n"
    "each answer with its solution text and picture, which pictures loaded, and PictureAspect.\n"
    "  --json  one JSON line instead of text\n"
    "Exit status: 0 the puzzle loaded, 1 it did not (Game.txt missing or empty), 2 bad usage.\n";

struct PictureState {
    bool loaded = false;
    std::string detail;  // size when loaded, the reason otherwise; UTF-8
};

PictureState DescribePicture(const PuzzleContent& content, std::size_t i,
                             const CPictureRecorder& recorder) {
    PictureState state;
    const CDibImage& image = content.ElementPictures[i];
    const PictureLoadRecord* record = recorder.Find(&image);
    if (record == nullptr) {
        state.detail = "not loaded";
        return state;
    }
    if (record->code != 0) {
        state.detail = "not loaded: " + record->message;
        return state;
    }
    if (image.width == 0 || image.height == 0) {
        state.detail = "not loaded: the picture has no pixels";
        return state;
    }
    state.loaded = true;
    state.detail =
        "loaded, " + std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels";
    return state;
}

void PrintJson(bool result, const PuzzleContent& content, const CPictureRecorder& recorder) {
    std::cout << "{\"result\":" << (result ? "true" : "false")
              << ",\"QuestionText\":" << JsonString(Windows1252ToUtf8(content.QuestionText))
              << ",\"ElementCount\":" << content.ElementCount << ",\"answers\":[";
    for (std::size_t i = 0; i < static_cast<std::size_t>(content.ElementCount); ++i) {
        std::cout << (i > 0 ? "," : "")
                  << "{\"text\":" << JsonString(Windows1252ToUtf8(content.AnswerTexts.Text(i)))
                  << ",\"solution\":"
                  << JsonString(Windows1252ToUtf8(content.SolutionTexts.Text(i)))
                  << ",\"picture\":" << JsonString(Windows1252ToUtf8(content.PictureNames.Text(i)))
                  << ",\"pictureLoaded\":"
                  << (DescribePicture(content, i, recorder).loaded ? "true" : "false") << "}";
    }
    std::cout << "],\"HasElementPictures\":" << (content.HasElementPictures ? "true" : "false")
              << ",\"PictureAspect\":" << content.PictureAspect << "}\n";
}

void PrintText(const std::string& root, std::int32_t number, bool result,
               const PuzzleContent& content, const CPictureRecorder& recorder) {
    const ResolvedPath file = ResolvePuzzleFile(root, number, "Game.txt");
    const std::string folder = PuzzleFolderName(number);
    if (!result) {
        std::cout << folder << ": no puzzle; " << DisplayName(file.path)
                  << (file.exists ? " is empty or cannot be read" : " does not exist")
                  << ". The game skips this number.\n";
        return;
    }
    std::cout << folder << ": " << DisplayName(file.path) << "\n"
              << "Question: " << Windows1252ToUtf8(content.QuestionText) << "\n"
              << "Answers in the correct order: " << content.ElementCount << "\n";
    for (std::size_t i = 0; i < static_cast<std::size_t>(content.ElementCount); ++i) {
        std::cout << "  " << (i + 1) << ". " << Windows1252ToUtf8(content.AnswerTexts.Text(i));
        if (!content.SolutionTexts.Text(i).empty()) {
            std::cout << "  (solution: " << Windows1252ToUtf8(content.SolutionTexts.Text(i)) << ")";
        }
        std::cout << "\n";
        const std::string& picture = content.PictureNames.Text(i);
        if (!picture.empty()) {
            std::cout << "     picture " << Windows1252ToUtf8(picture) << ": "
                      << DescribePicture(content, i, recorder).detail << "\n";
        }
    }
    std::cout << "HasElementPictures: " << (content.HasElementPictures ? "yes" : "no")
              << ", PictureAspect: " << content.PictureAspect << "\n";
}

}  // namespace

int RunPuzzle(int argc, char** argv) {
    // "-3" is a puzzle number, not an option.
    const auto isNumber = [](std::string_view arg) {
        return arg.find_first_not_of("0123456789", 1) == std::string_view::npos;
    };
    const ScannedArguments args =
        ScanArguments("puzzle", argc, argv, kUsage, {{"--json"}}, isNumber);
    if (args.exitNow) {
        return *args.exitNow;
    }
    const bool json = args.Has("--json");
    const std::vector<std::string_view>& positional = args.positional;
    if (positional.size() != 2) {
        return UsageError("puzzle: expected ROOT and N (see kelvandor-tool puzzle --help)");
    }
    std::int32_t number = 0;
    if (!ParsePuzzleNumber(positional[1], number)) {
        return UsageError("puzzle: N must be a whole number, not " + std::string(positional[1]));
    }
    std::string root(positional[0]);
    TrimPathSeparator(root);

    PuzzleContent content;
    CPictureRecorder recorder;
    const bool result = LoadPuzzle(root, number, content, recorder.Bind());
    if (json) {
        PrintJson(result, content, recorder);
    } else {
        PrintText(root, number, result, content, recorder);
    }
    return result ? 0 : 1;
}

}  // namespace kelvandor::cli
