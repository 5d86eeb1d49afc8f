#pragma once
// The arithmetic puzzles that are played when the puzzle folders are used up.

#include "puzzles/GameRandom.h"
#include "puzzles/PuzzleContent.h"

namespace kelvandor {

// Fills `content` with ten formulas whose results the players must order. Always succeeds.
void GenerateFormulas(PuzzleContent& content, GameRandom& random);

}  // namespace kelvandor
