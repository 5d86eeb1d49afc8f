#pragma once
// The text of a Game.txt, taken apart into the question and the answer lines. Pure: works on
// bytes already in memory, touches no file and no picture, so every line-break and field rule
// can be checked on small inline texts.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvandor {

// At most this many bytes of a Game.txt are read; the rest of a longer file is ignored.
constexpr std::size_t kMaxPuzzleFileBytes = 65534;

// The limits of the text itself (the same numbers as kMaxElements and kMaxQuestionBytes of the
// puzzle content, kept here so that the parser needs no image headers).
constexpr std::size_t kMaxAnswerLines = 12;
constexpr std::size_t kMaxQuestionLength = 255;

// One answer line split at '|' into its three fields; nothing is trimmed.
struct PuzzleAnswerLine {
    std::string text;
    std::string solution;
    std::string picture;  // file name inside the puzzle folder, empty when none
};

struct PuzzleText {
    std::string question;                   // line 1, cut to 255 bytes
    std::vector<PuzzleAnswerLine> answers;  // at most 12, in the file's (correct) order
    // What the limits cut away, for the checker: the full length of line 1 in bytes and the
    // number of answer lines the text holds without the limit of 12.
    std::size_t questionLength = 0;
    std::size_t answerLineCount = 0;
};

// Splits the Windows-1252 bytes of a Game.txt. A zero byte ends the text. Line breaks are CR,
// LF or any run of them. CR and LF right after the question are skipped; after each answer
// line the following blanks, tabs, CRs and LFs are skipped as well (so empty lines and lines
// of blanks between answers vanish, while a line of blanks right after the question is the
// first answer). Never fails: every line is an answer, with empty fields where text is
// missing.
PuzzleText ParsePuzzleText(std::string_view bytes);

}  // namespace kelvandor
