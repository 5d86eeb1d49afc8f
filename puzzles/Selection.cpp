// The selection step of "next puzzle".

#include "puzzles/Selection.h"

namespace kelvandor {
namespace {

// Gaps of up to nine missing numbers are bridged within one press.
constexpr int kTries = 10;

}  // namespace

SelectionOutcome SelectNextPuzzle(std::int32_t& gameNumber, bool useFormulas,
                                  const std::function<bool(std::int32_t)>& tryLoad,
                                  const std::function<void()>& generateFormulas) {
    for (int i = 0; i < kTries; ++i) {
        // The number only grows; past the largest number it stays there instead of wrapping
        // around to negative folder names.
        if (gameNumber < INT32_MAX) {
            ++gameNumber;
        }
        if (tryLoad && tryLoad(gameNumber)) {
            return SelectionOutcome::PuzzleLoaded;
        }
    }
    if (useFormulas) {
        if (generateFormulas) {
            generateFormulas();
        }
        return SelectionOutcome::FormulasGenerated;
    }
    return SelectionOutcome::NothingLeft;
}

}  // namespace kelvandor
