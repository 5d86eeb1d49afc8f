#pragma once
// What a round plays: the question, the answers in their correct order with their solution
// texts and pictures. Filled by LoadPuzzle (LoadPuzzle.h) or GenerateFormulas (Formulas.h).

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "puzzles/StringList.h"

namespace kelvandor {

constexpr int kMaxElements = 12;
constexpr std::size_t kMaxQuestionBytes = 255;

struct PuzzleContent {
    std::string QuestionText;  // at most kMaxQuestionBytes bytes, Windows-1252
    std::int32_t ElementCount = 0;
    StringList AnswerTexts;                               // one per element, in the correct order
    StringList SolutionTexts;                             // one per element, possibly empty texts
    StringList PictureNames;                              // one per element, possibly empty texts
    std::array<CDibImage, kMaxElements> ElementPictures;  // picture of element i in slot i
    bool HasElementPictures = false;
    std::int32_t PictureAspect = 0;  // largest width * 256 / height of the loaded pictures
    // The size of picture i as stored in its file, 0 x 0 where none loaded. The picture in
    // its slot may have been loaded reduced, to what the largest tile can show; the screen is
    // laid out by this size, so that a reduced picture takes the same room as a whole one.
    std::array<ImageSize, kMaxElements> PictureFullSize{};
};

// The pixels that the pictures of one puzzle may have together: 192 megapixels, twelve
// 16-megapixel phone photos or a few 48-megapixel ones, at most about 770 MB at 32 bits.
// Every answer's picture counts, however often a name repeats; a picture that does not fit in
// what the pictures before it left is refused as too large.
constexpr std::uint64_t kPuzzlePixelBudget = 192'000'000;

// Loads an image file into `image`, refusing a picture of more than `maxPixels` pixels before
// it is allocated; returns 0 on success, a negative code otherwise (the contract of
// LoadImageFile). Injected so that the puzzle layer needs no image reader.
using PictureLoader =
    std::function<int(const std::string& path, CDibImage& image, std::uint64_t maxPixels)>;

// Loads a picture that is shown no larger than what fits a box of `fit` (0 x 0: any size). It
// may come back reduced, no smaller than that; `fullSize` receives its size as stored. Returns
// as PictureLoader does. Called on worker threads, several at once.
using FittingPictureLoader = std::function<int(const std::string& path, ImageSize fit,
                                               CDibImage& image, ImageSize& fullSize)>;

}  // namespace kelvandor
