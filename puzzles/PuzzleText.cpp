#include "puzzles/PuzzleText.h"

#include <algorithm>

namespace kelvandor {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsSkippedAfterAnswer(char c) {
    return c == ' ' || c == '\t' || IsLineBreak(c);
}

std::size_t FindLineEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && !IsLineBreak(text[pos])) {
        ++pos;
    }
    return pos;
}

// Takes one field off the front of `line`: up to the next '|', which is consumed.
std::string TakeField(std::string_view& line) {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) {
        std::string field(line);
        line = {};
        return field;
    }
    std::string field(line.substr(0, bar));
    line.remove_prefix(bar + 1);
    return field;
}

PuzzleAnswerLine SplitAnswerLine(std::string_view line) {
    PuzzleAnswerLine answer;
    answer.text = TakeField(line);
    answer.solution = TakeField(line);
    answer.picture = TakeField(line);
    // Whatever follows a third bar is ignored.
    return answer;
}

}  // namespace

PuzzleText ParsePuzzleText(std::string_view bytes) {
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    PuzzleText result;

    const std::size_t questionEnd = FindLineEnd(text, 0);
    result.questionLength = questionEnd;
    result.question.assign(text.substr(0, std::min(questionEnd, kMaxQuestionLength)));

    std::size_t pos = questionEnd;
    while (pos < text.size() && IsLineBreak(text[pos])) {
        ++pos;
    }
    if (pos >= text.size()) {
        return result;
    }

    bool last = false;
    while (!last) {
        const std::size_t lineEnd = FindLineEnd(text, pos);
        std::size_t next = lineEnd;
        while (next < text.size() && IsSkippedAfterAnswer(text[next])) {
            ++next;
        }
        last = next >= text.size();
        if (result.answers.size() < kMaxAnswerLines) {
            result.answers.push_back(SplitAnswerLine(text.substr(pos, lineEnd - pos)));
        }
        ++result.answerLineCount;
        pos = next;
    }
    return result;
}

}  // namespace kelvandor
