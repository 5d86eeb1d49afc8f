#pragma once
// Loading a numbered puzzle folder into the content a round plays.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/RegularFile.h"
#include "puzzles/PuzzleContent.h"

#include <array>
#include <optional>

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

// LoadPuzzle in two halves, so that the pictures can be loaded elsewhere (on worker threads)
// between them.
//
// The files of the pictures to load, slot i for answer i: empty where the answer names none
// or the name is something that must not be opened (a folder, a pipe, a device).
using PicturePaths = std::array<std::string, kMaxElements>;

// A picture as loaded for its slot: the loader's result code, the picture, its stored size and
// the stamp its file had just before it was read (none when the file could not be looked at).
struct LoadedPicture {
    int code = -1;
    CDibImage image;
    ImageSize fullSize;
    std::optional<FileStamp> stamp;
};
using LoadedPictures = std::array<LoadedPicture, kMaxElements>;

// The first half: LoadPuzzle without loading pictures. Same result; `pictures` receives the
// files to load.
bool LoadPuzzleText(const std::string& root, std::int32_t number, PuzzleContent& content,
                    PicturePaths& pictures);

// The second half: the pictures that loaded whole (code 0, a size) move into their slots of
// content, the others are dropped, and PictureAspect and HasElementPictures follow from the
// stored sizes.
void TakePuzzlePictures(PuzzleContent& content, LoadedPictures& pictures);

}  // namespace kelvandor
