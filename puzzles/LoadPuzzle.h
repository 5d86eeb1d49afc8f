#pragma once
// Loading a numbered puzzle folder into the content a round plays.

#include <cstddef>
#include <cstdint>
#include <string>

#include "puzzles/PuzzleContent.h"

namespace kelvandor {

// Removes one trailing '\' or '/' from `path`; returns the new length.
std::size_t TrimPathSeparator(std::string& path);

// Reads puzzle `number` below `root` ("<root>/Game%03i/Game.txt") into `content`. Resets
// the previous puzzle's content first (except QuestionText, which a failed load keeps).
// Returns true when Game.txt could be read (at least one byte); on false the lists are empty
// and ElementCount is 0. Path components that do not exist exactly are looked up without
// regard to case, each folder listed at most once. The pictures together stay within
// kPuzzlePixelBudget: each is loaded with what the ones before it left. Takes no lock.
bool LoadPuzzle(const std::string& root, std::int32_t number, PuzzleContent& content,
                const PictureLoader& loadPicture);

}  // namespace kelvandor
