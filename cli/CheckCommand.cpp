// kelvandor-tool check ROOT [--json]: the quiz master's puzzle-set checker. Walks the numbered
// puzzle folders as the game will and reports in plain words everything that would go wrong
// or look wrong on show day.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/TextCodec.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/PictureAdvice.h"
#include "cli/PuzzleToolSupport.h"
#include "game/BoardText.h"
#include "game/GameState.h"
#include "game/ScreenLayout.h"
#include "image/ImageFile.h"
#include "puzzles/LoadPuzzle.h"
#include "puzzles/PuzzleFiles.h"
#include "puzzles/PuzzleText.h"
#include "puzzles/Selection.h"

namespace kelvandor::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: kelvandor-tool check ROOT [--json]\n"
    "Checks a puzzle set: walks the folders Game001, Game002, ... below ROOT as the game does\n"
    "(gaps of up to nine numbers are bridged within one press of F5) and reports per puzzle the\n"
    "question, the answer count and every problem: missing or unreadable pictures, more than\n"
    "12 answers, a question longer than 255 bytes, text saved as UTF-8 or with a byte-order\n"
    "mark, gaps the game cannot bridge in one press, fewer than three answers, and files the\n"
    "game cannot read at all; and what would look bad on the screen: pictures so wide or tall\n"
    "that they show small, pictures enlarged more than four times, and texts that do not fit\n"
    "their room at 1280x720 even on two lines.\n"
    "  --json  one JSON line per puzzle and a summary line instead of text\n"
    "Exit status: 0 nothing is wrong, 1 at least one problem, 2 bad usage.\n";

// A round needs at least this many answers to be worth playing.
constexpr std::size_t kFewestAnswers = 3;
// The game passes over a puzzle with fewer answers than this, as it does a missing folder:
// with one answer or none there is nothing to order.
constexpr std::size_t kFewestPlayableAnswers = 2;
// Presses of F5 the walk simulates before it gives up on folders with absurdly high numbers.
constexpr int kMaxPresses = 100000;

struct Findings {
    std::vector<std::string> problems;  // UTF-8 sentences
    std::vector<std::string> notes;     // worth knowing, not wrong
};

struct PuzzleReport {
    std::int32_t number = 0;
    std::string folder;  // the folder's name on disk, for printing
    bool loaded = false;
    std::string question;  // UTF-8
    std::size_t answers = 0;
    std::size_t pictures = 0;
    std::size_t picturesLoaded = 0;
    Findings findings;
};

struct SetReport {
    std::string root;  // for printing
    std::vector<PuzzleReport> puzzles;
    Findings findings;
    std::size_t ProblemCount() const {
        std::size_t count = findings.problems.size();
        for (const PuzzleReport& p : puzzles) {
            count += p.findings.problems.size();
        }
        return count;
    }
};

std::string Quote(std::string_view cp1252) {
    return "\"" + Windows1252ToUtf8(cp1252) + "\"";
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// ---- the folders below the root -------------------------------------------------------------

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The folders the game can reach, by number; everything named like a puzzle folder that the
// game would never read becomes a problem of the set.
std::map<std::int32_t, std::string> FindPuzzleFolders(const std::vector<FolderEntry>& entries,
                                                      Findings& findings) {
    std::map<std::int32_t, std::string> folders;
    std::vector<FolderEntry> sorted = entries;
    std::sort(sorted.begin(), sorted.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : sorted) {
        const std::string& name = entry.name;
        if (name.size() <= 4 || !NamesMatchIgnoringCase(name.substr(0, 4), "game") ||
            name.find_first_not_of("0123456789", 4) != std::string::npos) {
            continue;
        }
        const std::string shown = DisplayName(name);
        const std::string digits = name.substr(4);
        if (digits.size() > 9) {
            findings.problems.push_back(shown + ": the number is too large for the game.");
            continue;
        }
        const auto number = static_cast<std::int32_t>(std::stol(digits));
        const std::string expected = PuzzleFolderName(number);
        if (!entry.isFolder) {
            findings.problems.push_back(shown + " is a file, not a folder; the game skips it.");
            continue;
        }
        if (number == 0) {
            findings.problems.push_back(shown + " is never played: the game starts at Game001.");
            continue;
        }
        if (!NamesMatchIgnoringCase(name, expected)) {
            findings.problems.push_back(shown + " is never read: the game looks for " + expected +
                                        " (three digits at least, no extra zeros).");
            continue;
        }
        auto [it, inserted] = folders.emplace(number, name);
        if (!inserted) {
            // Two spellings of one folder: the exact one wins, as the game looks it up.
            // Otherwise the lookup takes the first in byte order, which is the one kept.
            const std::string& kept = name == expected ? name : it->second;
            const std::string& ignored = kept == name ? it->second : name;
            findings.notes.push_back(DisplayName(ignored) + " is ignored: the game reads " +
                                     DisplayName(kept) + ".");
            it->second = kept;
        }
    }
    return folders;
}

// ---- one puzzle -----------------------------------------------------------------------------

bool IsNotText(unsigned char c) {
    if (c < 0x20) {
        return c != '\t' && c != '\r' && c != '\n';
    }
    // DEL and the five bytes that Windows-1252 leaves unassigned.
    return c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// Problems of the bytes themselves: size, zero bytes, encoding, binary data. Returns false
// when the file is not Windows-1252 text at all and looking at its lines would only add noise.
bool CheckEncoding(const FileHead& head, Findings& findings) {
    const std::string& bytes = head.bytes;
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        findings.problems.push_back(
            "Game.txt is saved as UTF-16 (\"Unicode\"): the game cannot read it. Save it as "
            "Windows-1252 (\"ANSI\").");
        return false;
    }
    if (head.fileSize > bytes.size()) {
        findings.problems.push_back("Game.txt has " + std::to_string(head.fileSize) +
                                    " bytes; the game reads only the "
                                    "first " +
                                    std::to_string(kMaxPuzzleFileBytes) + " and ignores the rest.");
    }
    std::string_view text(bytes);
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) {
        findings.problems.push_back("Game.txt holds a zero byte at byte " + std::to_string(zero) +
                                    ": the game stops reading there and ignores the rest.");
        text = text.substr(0, zero);
    }
    bool bom = false;
    if (StartsWith(text, "\xEF\xBB\xBF")) {
        bom = true;
        findings.problems.push_back(
            "Game.txt starts with a UTF-8 byte-order mark: the game shows it as \"\xC3\xAF\xC2\xBB"
            "\xC2\xBF\" in front of the question. Save it as Windows-1252 (\"ANSI\").");
        text.remove_prefix(3);
    }
    const std::size_t notText = static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return IsNotText(static_cast<unsigned char>(c)); }));
    if (notText > 0) {
        findings.problems.push_back("Game.txt holds " + Plural(notText, "byte", "bytes") +
                                    " that are not text (control codes): is it a text file?");
    }
    const bool hasHighBytes = std::any_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    // A sequence cut at the 65534-byte limit does not make the rest less UTF-8.
    std::string_view whole = text;
    if (head.fileSize > bytes.size()) {
        while (!whole.empty() && static_cast<unsigned char>(whole.back()) >= 0x80 &&
               text.size() - whole.size() < 3) {
            whole.remove_suffix(1);
        }
    }
    if (hasHighBytes && IsValidUtf8(whole)) {
        findings.problems.push_back(
            std::string("Game.txt looks like UTF-8") + (bom ? "" : " text") +
            ": every umlaut would show as two characters (\"\xC3\x83\xC2\xA4\" instead of "
            "\"\xC3\xA4\"). Save it as Windows-1252 (\"ANSI\").");
    }
    return notText * 10 < text.size() + 10;  // mostly text: its lines are worth a look
}

void CheckLines(const PuzzleText& text, Findings& findings) {
    if (text.question.empty()) {
        findings.problems.push_back("The question (the first line) is empty.");
    }
    if (text.questionLength > kMaxQuestionLength) {
        findings.problems.push_back("The question is " + std::to_string(text.questionLength) +
                                    " bytes long; only the first " +
                                    std::to_string(kMaxQuestionLength) + " are shown, up to ..." +
                                    Quote(text.question.substr(text.question.size() - 20)) + ".");
    }
    if (text.answerLineCount > kMaxAnswerLines) {
        findings.problems.push_back(
            Plural(text.answerLineCount, "answer", "answers") + ": only the first " +
            std::to_string(kMaxAnswerLines) + " are played; " +
            Plural(text.answerLineCount - kMaxAnswerLines, "line is", "lines are") +
            " ignored (after " + Quote(text.answers.back().text) + ").");
    }
    if (text.answers.size() < kFewestPlayableAnswers) {
        findings.problems.push_back(
            (text.answers.empty() ? std::string("No answers") : std::string("Only 1 answer")) +
            ": there is nothing to put in order, and the game skips this puzzle.");
    } else if (text.answers.size() < kFewestAnswers) {
        findings.problems.push_back("Only " + Plural(text.answers.size(), "answer", "answers") +
                                    ": a round needs at least " + std::to_string(kFewestAnswers) +
                                    " to be a real puzzle.");
    }
    for (std::size_t i = 0; i < text.answers.size(); ++i) {
        const std::string& answer = text.answers[i].text;
        if (answer.find_first_not_of(" \t") == std::string::npos) {
            findings.problems.push_back("Answer " + std::to_string(i + 1) +
                                        " has no text (the line is blank or starts with |).");
            continue;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (text.answers[j].text == answer) {
                findings.problems.push_back("Answers " + std::to_string(j + 1) + " and " +
                                            std::to_string(i + 1) + " are both " + Quote(answer) +
                                            ": the players cannot tell them apart.");
                break;
            }
        }
    }
}

// ---- how the puzzle looks on the screen ---------------------------------------------------

// The sizes the checks judge by: the smallest screen a show runs on (a projector at 1280x720)
// for what must fit, a 1920x1080 screen for how much a picture is enlarged. The star panels
// are the widest the settings offer.
constexpr std::int32_t kSmallScreenWidth = 1280, kSmallScreenHeight = 720;
constexpr std::int32_t kFullHdWidth = 1920, kFullHdHeight = 1080;
// A picture enlarged more than this looks blurred.
constexpr std::uint32_t kMostEnlargement = 4;
// A picture narrower than a third of its height shows as a thin strip.
constexpr std::uint32_t kTallestAspect = 3;

ScreenLayout LayoutFor(std::int32_t width, std::int32_t height, const PuzzleContent& content) {
    const GameState defaults;
    return ComputeScreenLayout(width, height, content.ElementCount, defaults.StarPanelWidth,
                               defaults.StarCellHeight);
}

std::string SizeText(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Pictures that show badly beside their answers: so wide that, held to half of the tile
// (which pushes every answer's text to the right), they lose more than a third of their
// height; so tall that they show as a strip; or so small that the game enlarges them more
// than four times.
void CheckPictureShapes(const PuzzleContent& content, const CPictureRecorder& recorder,
                        PuzzleReport& report) {
    if (!content.HasElementPictures) {
        return;
    }
    const ScreenLayout small = LayoutFor(kSmallScreenWidth, kSmallScreenHeight, content);
    const ScreenLayout fullHd = LayoutFor(kFullHdWidth, kFullHdHeight, content);
    const AnswerRoom smallRoom = AnswerRoomOf(small, content);
    const AnswerRoom fullHdRoom = AnswerRoomOf(fullHd, content);
    for (std::size_t i = 0; i < static_cast<std::size_t>(content.ElementCount); ++i) {
        const CDibImage& picture = content.ElementPictures[i];
        const PictureLoadRecord* record = recorder.Find(&picture);
        if (record == nullptr || record->code != 0 || picture.width == 0 || picture.height == 0) {
            continue;
        }
        const std::string which = "The picture " + Quote(content.PictureNames.Text(i)) +
                                  " of answer " + std::to_string(i + 1) + " (" +
                                  Quote(content.AnswerTexts.Text(i)) + ")";
        const std::string size = SizeText(picture.width, picture.height);
        const PictureSize shown = FitPicture(picture.width, picture.height, smallRoom.pictureWidth,
                                             smallRoom.pictureHeight);
        // Held to the column's width, it loses more than a third of the column's height.
        if (3 * std::uint64_t{shown.height} <
            2 * static_cast<std::uint64_t>(smallRoom.pictureHeight)) {
            report.findings.problems.push_back(
                which + " is very wide (" + size +
                "): it may take only half of the tile, so at 1280x720 it shows at " +
                SizeText(shown.width, shown.height) +
                " pixels, and every answer's text moves right to make room for it. Crop it "
                "nearer to 3:2 or 4:3.");
        } else if (std::uint64_t{picture.width} * kTallestAspect < picture.height) {
            report.findings.problems.push_back(which + " is very tall and narrow (" + size +
                                               "): at 1280x720 it shows as a strip " +
                                               SizeText(shown.width, shown.height) +
                                               " pixels. Crop it nearer to square.");
        }
        const PictureSize big = FitPicture(picture.width, picture.height, fullHdRoom.pictureWidth,
                                           fullHdRoom.pictureHeight);
        if (big.height > kMostEnlargement * picture.height ||
            big.width > kMostEnlargement * picture.width) {
            // In tenths, rounded down: "4.2 times".
            const std::uint64_t tenths = std::max(std::uint64_t{big.height} * 10 / picture.height,
                                                  std::uint64_t{big.width} * 10 / picture.width);
            report.findings.problems.push_back(
                which + " is only " + size + " pixels: at 1920x1080 the game enlarges it " +
                std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " times (to " +
                SizeText(big.width, big.height) +
                "), which looks blurred. Use a picture of at least " +
                SizeText(big.width, big.height) + " pixels.");
        }
    }
}

// How a cut text ends on the screen, for the message: its last words and the ellipsis.
std::string ShownEnd(const FittedText& text) {
    const std::string& line = text.second;
    constexpr std::size_t kShown = 24;
    const std::string end = line.size() > kShown ? "..." + line.substr(line.size() - kShown) : line;
    return Quote(end);
}

// Texts that do not fit their room at 1280x720 even on two lines in the smallest font: the
// game cuts them short.
void CheckTextsFit(const PuzzleContent& content, PuzzleReport& report) {
    if (content.ElementCount <= 0) {
        return;
    }
    const ScreenLayout small = LayoutFor(kSmallScreenWidth, kSmallScreenHeight, content);
    const std::string advice =
        " at 1280x720, even on two lines in the smallest font: the game "
        "cuts it short, so that it ends in ";
    const QuestionLines question = FitQuestion(small, content.QuestionText);
    if (question.fit.texts[0].cut) {
        report.findings.problems.push_back("The question is too long for its band" + advice +
                                           ShownEnd(question.fit.texts[0]) + ". Shorten it.");
    }
    const FittedTexts answers = FitAnswerTexts(small, content);
    for (std::size_t i = 0; i < answers.texts.size(); ++i) {
        if (answers.texts[i].cut) {
            report.findings.problems.push_back("Answer " + std::to_string(i + 1) + " (" +
                                               Quote(content.AnswerTexts.Text(i)) +
                                               ") is too long for its tile" + advice +
                                               ShownEnd(answers.texts[i]) + ". Shorten it.");
        }
    }
    const FittedTexts solutions = FitSolutionTexts(small, content);
    for (std::size_t i = 0; i < solutions.texts.size(); ++i) {
        if (solutions.texts[i].cut) {
            report.findings.problems.push_back(
                "The solution text of answer " + std::to_string(i + 1) + " (" +
                Quote(content.AnswerTexts.Text(i)) +
                ") is too long for the room beside the "
                "tiles" +
                advice + ShownEnd(solutions.texts[i]) + ". Shorten it.");
        }
    }
}

void CheckPictures(const std::string& root, std::int32_t number, const PuzzleContent& content,
                   const CPictureRecorder& recorder, PuzzleReport& report) {
    CFolderListings listings;  // each folder listed once, however many names miss by case
    for (std::size_t i = 0; i < static_cast<std::size_t>(content.ElementCount); ++i) {
        const std::string& name = content.PictureNames.Text(i);
        if (name.empty()) {
            continue;
        }
        ++report.pictures;
        const std::string which = "The picture " + Quote(name) + " of answer " +
                                  std::to_string(i + 1) + " (" +
                                  Quote(content.AnswerTexts.Text(i)) + ")";
        const ResolvedPath path = ResolvePuzzleFile(root, number, name, &listings);
        if (!path.exists) {
            // Nothing is trimmed, so a stray blank next to a bar is part of the name.
            const std::size_t first = name.find_first_not_of(" \t");
            const std::size_t last = name.find_last_not_of(" \t");
            const std::string trimmed =
                first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
            if (!trimmed.empty() && trimmed != name &&
                ResolvePuzzleFile(root, number, trimmed, &listings).exists) {
                report.findings.problems.push_back(
                    which +
                    " is missing: the name has blanks around it, and the game looks "
                    "for the name with the blanks. Remove the blanks next to the bar.");
            } else {
                report.findings.problems.push_back(which + " is missing.");
            }
            continue;
        }
        if (!IsRegularFile(path.path)) {
            report.findings.problems.push_back(which + " is not a file.");
            continue;
        }
        const CDibImage& image = content.ElementPictures[i];
        const PictureLoadRecord* record = recorder.Find(&image);
        if (record == nullptr || record->code != 0) {
            const std::string reason =
                record != nullptr ? PictureAdvice(*record) : std::string("it was not read");
            report.findings.problems.push_back(which + " does not load: " + reason + ".");
            continue;
        }
        if (image.width == 0 || image.height == 0) {
            report.findings.problems.push_back(which + " has no pixels.");
            continue;
        }
        ++report.picturesLoaded;
        if (path.caseAdjusted) {
            report.findings.notes.push_back(which + " is found as " +
                                            DisplayName(path.path.substr(root.size() + 1)) +
                                            " (different case; the game finds it).");
        }
    }
}

PuzzleReport CheckPuzzle(const std::string& root, std::int32_t number,
                         const std::string& folderName) {
    PuzzleReport report;
    report.number = number;
    report.folder = DisplayName(folderName);

    const ResolvedPath file = ResolvePuzzleFile(root, number, "Game.txt");
    const FileHead head = ReadFileHead(file.path, kMaxPuzzleFileBytes);
    const std::string skip = " The game skips " + PuzzleFolderName(number) + ".";
    switch (head.status) {
        case FileReadStatus::Missing:
            report.findings.problems.push_back("Game.txt is missing." + skip);
            return report;
        case FileReadStatus::NotARegularFile:
            report.findings.problems.push_back("Game.txt is not a file (a folder?)." + skip);
            return report;
        case FileReadStatus::Unreadable:
            report.findings.problems.push_back("Game.txt cannot be read (no permission?)." + skip);
            return report;
        case FileReadStatus::Ok:
            break;
    }
    if (head.bytes.empty()) {
        report.findings.problems.push_back("Game.txt is empty." + skip);
        return report;
    }
    if (file.caseAdjusted) {
        report.findings.notes.push_back("The puzzle file is found as " +
                                        DisplayName(file.path.substr(root.size() + 1)) +
                                        " (different case; the game finds it).");
    }

    PuzzleContent content;
    CPictureRecorder recorder;
    report.loaded = LoadPuzzle(root, number, content, recorder.Bind());
    report.question = Windows1252ToUtf8(content.QuestionText);
    report.answers = static_cast<std::size_t>(content.ElementCount);

    if (CheckEncoding(head, report.findings)) {
        CheckLines(ParsePuzzleText(head.bytes), report.findings);
    }
    CheckPictures(root, number, content, recorder, report);
    if (report.loaded) {
        CheckPictureShapes(content, recorder, report);
        CheckTextsFit(content, report);
    }
    return report;
}

// ---- the walk ---------------------------------------------------------------------------------

// Presses F5 as the game does, starting from a fresh program, and tells where the ten-try
// rule cannot bridge a gap.
void WalkAsTheGame(std::map<std::int32_t, PuzzleReport*>& playable) {
    if (playable.empty()) {
        return;
    }
    const std::int32_t last = playable.rbegin()->first;
    std::int32_t gameNumber = 0;
    std::int32_t previous = 0;
    int idlePresses = 0;
    for (int press = 0; press < kMaxPresses && gameNumber < last; ++press) {
        const SelectionOutcome outcome = SelectNextPuzzle(
            gameNumber, false, [&](std::int32_t n) { return playable.count(n) > 0; }, nullptr);
        if (outcome != SelectionOutcome::PuzzleLoaded) {
            ++idlePresses;
            continue;
        }
        const std::int32_t missing = gameNumber - previous - 1;
        Findings& findings = playable[gameNumber]->findings;
        const std::string range = missing == 1 ? PuzzleFolderName(previous + 1)
                                               : PuzzleFolderName(previous + 1) + " to " +
                                                     PuzzleFolderName(gameNumber - 1);
        const std::string hold = missing == 1 ? " holds" : " hold";
        if (idlePresses > 0) {
            findings.problems.push_back(
                range + " (" + std::to_string(missing) + " numbers)" + hold +
                " no playable puzzle: one press of F5 bridges at most nine. " +
                Plural(static_cast<std::size_t>(idlePresses), "press finds", "presses find") +
                " nothing (a formula puzzle, or \"no puzzles left\") before " +
                PuzzleFolderName(gameNumber) + " is played.");
        } else if (missing > 0) {
            findings.notes.push_back(range + hold +
                                     " no playable puzzle; the game bridges the gap within one "
                                     "press.");
        }
        previous = gameNumber;
        idlePresses = 0;
    }
    for (const auto& [number, report] : playable) {
        if (number > gameNumber) {
            report->findings.problems.push_back(
                PuzzleFolderName(number) +
                " lies so far beyond the other puzzles that the game "
                "would need more than " +
                std::to_string(kMaxPresses) + " presses of F5 to reach it.");
        }
    }
}

SetReport CheckPuzzleSet(const std::string& root) {
    SetReport report;
    report.root = DisplayName(root.empty() ? "/" : root);  // "/" lost its only separator
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(root.empty() ? "/" : root), ec);
    if (!fs::exists(status)) {
        report.findings.problems.push_back("The puzzle root " + report.root + " does not exist.");
        return report;
    }
    if (!fs::is_directory(status)) {
        report.findings.problems.push_back("The puzzle root " + report.root + " is not a folder.");
        return report;
    }
    std::vector<FolderEntry> entries;
    fs::directory_iterator it(fs::path(root.empty() ? "/" : root), ec);
    if (ec) {
        report.findings.problems.push_back("The puzzle root " + report.root +
                                           " cannot be read: " + ec.message() + ".");
        return report;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        std::error_code typeEc;
        entries.push_back({it->path().filename().native(), it->is_directory(typeEc)});
    }

    const std::map<std::int32_t, std::string> folders = FindPuzzleFolders(entries, report.findings);
    for (const auto& [number, name] : folders) {
        report.puzzles.push_back(CheckPuzzle(root, number, name));
    }
    std::map<std::int32_t, PuzzleReport*> playable;
    for (PuzzleReport& puzzle : report.puzzles) {
        // The game passes over a puzzle without answers as it does a missing folder.
        if (puzzle.loaded && puzzle.answers >= kFewestPlayableAnswers) {
            playable[puzzle.number] = &puzzle;
        }
    }
    if (playable.empty()) {
        report.findings.problems.push_back(
            "No puzzle the game can play: it needs folders Game001, Game002, ... each with a "
            "Game.txt. The game would go straight to formula puzzles (or say that none is left).");
    }
    WalkAsTheGame(playable);
    return report;
}

// ---- output -----------------------------------------------------------------------------------

std::string JsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i > 0 ? "," : "") + JsonString(items[i]);
    }
    return out + "]";
}

void PrintJson(const SetReport& report) {
    for (const PuzzleReport& p : report.puzzles) {
        std::cout << "{\"number\":" << p.number << ",\"folder\":" << JsonString(p.folder)
                  << ",\"loaded\":" << (p.loaded ? "true" : "false")
                  << ",\"QuestionText\":" << JsonString(p.question)
                  << ",\"ElementCount\":" << p.answers << ",\"pictures\":" << p.pictures
                  << ",\"picturesLoaded\":" << p.picturesLoaded
                  << ",\"problems\":" << JsonList(p.findings.problems)
                  << ",\"notes\":" << JsonList(p.findings.notes) << "}\n";
    }
    const std::size_t problems = report.ProblemCount();
    std::cout << "{\"root\":" << JsonString(report.root) << ",\"puzzles\":" << report.puzzles.size()
              << ",\"problemCount\":" << problems
              << ",\"problems\":" << JsonList(report.findings.problems)
              << ",\"notes\":" << JsonList(report.findings.notes)
              << ",\"ok\":" << (problems == 0 ? "true" : "false") << "}\n";
}

void PrintFindings(const Findings& findings, const char* indent) {
    for (const std::string& problem : findings.problems) {
        std::cout << indent << "PROBLEM: " << problem << "\n";
    }
    for (const std::string& note : findings.notes) {
        std::cout << indent << "note: " << note << "\n";
    }
}

void PrintText(const SetReport& report) {
    std::cout << "Puzzle root: " << report.root << "\n";
    PrintFindings(report.findings, "  ");
    for (const PuzzleReport& p : report.puzzles) {
        std::cout << p.folder << ": ";
        if (p.loaded) {
            std::cout << Plural(p.answers, "answer", "answers");
            if (p.pictures > 0) {
                std::cout << ", " << p.picturesLoaded << " of "
                          << Plural(p.pictures, "picture", "pictures") << " loaded";
            }
            std::cout << " - " << p.question;
        } else {
            std::cout << "not playable";
        }
        std::cout << "\n";
        PrintFindings(p.findings, "    ");
    }
    const std::size_t problems = report.ProblemCount();
    std::cout << Plural(report.puzzles.size(), "puzzle folder", "puzzle folders") << ", "
              << Plural(problems, "problem", "problems") << "."
              << (problems == 0 ? " Ready for the show.\n" : "\n");
}

}  // namespace

int RunCheck(int argc, char** argv) {
    const ScannedArguments args = ScanArguments("check", argc, argv, kUsage, {{"--json"}});
    if (args.exitNow) {
        return *args.exitNow;
    }
    const bool json = args.Has("--json");
    const std::vector<std::string_view>& positional = args.positional;
    if (positional.size() != 1 || positional[0].empty()) {
        return UsageError("check: expected one puzzle root (see kelvandor-tool check --help)");
    }
    std::string root(positional[0]);
    TrimPathSeparator(root);

    const SetReport report = CheckPuzzleSet(root);
    if (json) {
        PrintJson(report);
    } else {
        PrintText(report);
    }
    return report.ProblemCount() == 0 ? 0 : 1;
}

}  // namespace kelvandor::cli
