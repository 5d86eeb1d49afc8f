// GenerateFormulas: the puzzle that is played when no puzzle folder is left.

#include <cstdio>
#include <cstring>

#include "puzzles/Formulas.h"

namespace kelvandor {
namespace {

constexpr int kFormulaCount = 10;
constexpr char kOperators[] = "+-*";
constexpr int kNoOperator = 3;

std::int32_t Apply(std::int32_t left, char op, std::int32_t right) {
    switch (op) {
        case '+':
            return left + right;
        case '-':
            return left - right;
        default:
            return left * right;
    }
}

// Times binds before plus and minus; operators of equal rank go from left to right.
std::int32_t Evaluate(std::int32_t a, char op1, std::int32_t b, int op2Index, std::int32_t c) {
    if (op2Index == kNoOperator) {
        return Apply(a, op1, b);
    }
    const char op2 = kOperators[op2Index];
    if (op2 == '*' && op1 != '*') {
        return Apply(a, op1, b * c);
    }
    return Apply(Apply(a, op1, b), op2, c);
}

std::int32_t PayloadValue(const StringList& list, std::size_t i) {
    std::int32_t value;
    std::memcpy(&value, list.Payload(i), sizeof value);
    return value;
}

// The place that keeps the values ascending, or -1 when the value is already there.
std::ptrdiff_t InsertPosition(const StringList& list, std::int32_t value) {
    std::size_t low = 0;
    std::size_t high = list.Count();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        const std::int32_t midValue = PayloadValue(list, mid);
        if (midValue == value) {
            return -1;
        }
        if (midValue < value) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return static_cast<std::ptrdiff_t>(low);
}

}  // namespace

void GenerateFormulas(PuzzleContent& content, GameRandom& random) {
    content.HasElementPictures = false;
    content.PictureAspect = 0;
    content.ElementCount = kFormulaCount;
    content.AnswerTexts.Clear();
    content.SolutionTexts.Clear();
    content.PictureNames.Clear();
    // Formula tiles have no pictures; empty slots make sure none of an earlier puzzle shows.
    for (CDibImage& picture : content.ElementPictures) {
        picture.Free();
    }
    StringList formulas(sizeof(std::int32_t));

    while (formulas.Count() < static_cast<std::size_t>(kFormulaCount)) {
        // Always five draws per attempt, so a seed gives the same puzzle on every machine.
        const auto a = static_cast<std::int32_t>(random.NextRandom() % 10);
        const char op1 = kOperators[random.NextRandom() % 3];
        const auto b = static_cast<std::int32_t>(random.NextRandom() % 12);
        const int op2Index = static_cast<int>(random.NextRandom() % 4);
        const auto c = static_cast<std::int32_t>(random.NextRandom() % 13);

        char text[64];
        if (op2Index == kNoOperator) {
            std::snprintf(text, sizeof text, "  %i %c %i ", a, op1, b);
        } else {
            std::snprintf(text, sizeof text, "  %i %c %i %c %i", a, op1, b, kOperators[op2Index],
                          c);
        }
        const std::int32_t value = Evaluate(a, op1, b, op2Index, c);
        if (value < 0) {
            continue;
        }
        const std::ptrdiff_t pos = InsertPosition(formulas, value);
        if (pos < 0) {
            continue;
        }
        formulas.Insert(static_cast<std::size_t>(pos), text, &value);
    }

    for (std::size_t i = 0; i < formulas.Count(); ++i) {
        char solution[16];
        std::snprintf(solution, sizeof solution, "%i", PayloadValue(formulas, i));
        content.AnswerTexts.Insert(i, formulas.Text(i));
        content.SolutionTexts.Insert(i, solution);
        content.PictureNames.Insert(i, "");
    }
    content.QuestionText = "Ordne die Ergebnisse der Formeln (kleine Werte oben)";
}

}  // namespace kelvandor
