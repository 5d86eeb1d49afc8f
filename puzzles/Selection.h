#pragma once
// The step of "next puzzle" that chooses what the round plays, shared by the game and the
// puzzle-set checker so that both walk a set the same way.

#include <cstdint>
#include <functional>

namespace kelvandor {

enum class SelectionOutcome { PuzzleLoaded, FormulasGenerated, NothingLeft };

// The selection step of "next puzzle": up to ten times increments `gameNumber` and calls
// `tryLoad(gameNumber)`; at the first true the outcome is PuzzleLoaded. Otherwise, with
// `useFormulas`, calls `generateFormulas()`; else the outcome is NothingLeft.
SelectionOutcome SelectNextPuzzle(std::int32_t& gameNumber, bool useFormulas,
                                  const std::function<bool(std::int32_t)>& tryLoad,
                                  const std::function<void()>& generateFormulas);

}  // namespace kelvandor
