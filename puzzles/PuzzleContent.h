#pragma once
// What a round plays: the question, the answers in their correct order with their solution
// texts and pictures. Filled by LoadPuzzle or GenerateFormulas.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "image/DibImage.h"
#include "puzzles/GameRandom.h"
#include "puzzles/StringList.h"

namespace kelvandor {

constexpr int kMaxElements = 12;
constexpr std::size_t kMaxQuestionBytes = 255;

struct PuzzleContent {
    std::string QuestionText;  // at most kMaxQuestionBytes bytes, Windows-1252
    std::int32_t ElementCount = 0;
    StringList AnswerTexts;    // one per element, in the correct order
    StringList SolutionTexts;  // one per element, possibly empty texts
    StringList PictureNames;   // one per element, possibly empty texts
    std::array<CDibImage, kMaxElements> ElementPictures;  // picture of element i in slot i
    bool HasElementPictures = false;
    std::int32_t PictureAspect = 0;  // largest width * 256 / height of the loaded pictures
};

// Loads an image file into `image`; returns 0 on success, a negative code otherwise (the
// contract of LoadImageFile). Injected so that the puzzle layer needs no image reader.
using PictureLoader = std::function<int(const std::string& path, CDibImage& image)>;

// Removes one trailing '\' or '/' from `path`; returns the new length.
std::size_t TrimPathSeparator(std::string& path);

// Reads puzzle `number` below `root` ("<root>/Game%03i/Game.txt") into `content`. Resets
// the previous puzzle's content first (except QuestionText, which a failed load keeps).
// Returns true when Game.txt could be read (at least one byte); on false the lists are empty
// and ElementCount is 0. Path components that do not exist exactly are looked up without
// regard to case. Takes no lock.
bool LoadPuzzle(const std::string& root, std::int32_t number, PuzzleContent& content,
                const PictureLoader& loadPicture);

// Fills `content` with ten formulas whose results the players must order. Always succeeds.
void GenerateFormulas(PuzzleContent& content, GameRandom& random);

enum class SelectionOutcome { PuzzleLoaded, FormulasGenerated, NothingLeft };

// The selection step of "next puzzle": up to ten times increments `gameNumber` and calls
// `tryLoad(gameNumber)`; at the first true the outcome is PuzzleLoaded. Otherwise, with
// `useFormulas`, calls `generateFormulas()`; else the outcome is NothingLeft.
SelectionOutcome SelectNextPuzzle(std::int32_t& gameNumber, bool useFormulas,
                                  const std::function<bool(std::int32_t)>& tryLoad,
                                  const std::function<void()>& generateFormulas);

}  // namespace kelvandor
