// LoadPuzzle: reads one numbered puzzle folder into the puzzle content.

#include <algorithm>

#include "puzzles/LoadPuzzle.h"
#include "puzzles/PuzzleFiles.h"
#include "puzzles/PuzzleText.h"

namespace kelvandor {

static_assert(kMaxAnswerLines == static_cast<std::size_t>(kMaxElements));
static_assert(kMaxQuestionLength == kMaxQuestionBytes);

namespace {

// Everything that belongs to the previous puzzle goes, so that nothing of it (a picture in a
// slot the new puzzle does not fill, say) can show up in the next round.
void ResetPuzzle(PuzzleContent& content) {
    content.ElementCount = 0;
    content.HasElementPictures = false;
    content.PictureAspect = 0;
    content.AnswerTexts.Clear();
    content.SolutionTexts.Clear();
    content.PictureNames.Clear();
    for (CDibImage& picture : content.ElementPictures) {
        picture.Free();
    }
}

}  // namespace

std::size_t TrimPathSeparator(std::string& path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path.size();
}

bool LoadPuzzle(const std::string& root, std::int32_t number, PuzzleContent& content,
                const PictureLoader& loadPicture) {
    ResetPuzzle(content);

    // One listing per folder for the whole load, however many names miss by case.
    CFolderListings listings;
    const ResolvedPath file = ResolvePuzzleFile(root, number, "Game.txt", &listings);
    const FileHead head = ReadFileHead(file.path, kMaxPuzzleFileBytes);
    if (head.bytes.empty()) {
        return false;
    }

    const PuzzleText text = ParsePuzzleText(head.bytes);
    content.QuestionText = text.question;
    for (std::size_t i = 0; i < text.answers.size(); ++i) {
        content.AnswerTexts.Insert(i, text.answers[i].text);
        content.SolutionTexts.Insert(i, text.answers[i].solution);
        content.PictureNames.Insert(i, text.answers[i].picture);
    }

    // A picture counts only when it loaded completely and has a size. One that failed part
    // way (a file cut short, a damaged one) is dropped with whatever the loader filled in:
    // half a picture over grey, or pixels never written, must not reach the screen. The
    // answer then shows its text alone, as when the file is missing.
    std::uint64_t aspect = 0;
    std::uint64_t pixelsLeft = kPuzzlePixelBudget;
    for (std::size_t i = 0; i < text.answers.size(); ++i) {
        const std::string& name = text.answers[i].picture;
        if (name.empty() || !loadPicture) {
            continue;
        }
        CDibImage& picture = content.ElementPictures[i];
        const ResolvedPath picturePath = ResolvePuzzleFile(root, number, name, &listings);
        // Only files are handed to the reader: a folder cannot be a picture, and opening a
        // pipe or a device could block the game for good.
        if (picturePath.exists && !IsRegularFile(picturePath.path)) {
            continue;
        }
        if (loadPicture(picturePath.path, picture, pixelsLeft) != 0) {
            picture.Free();
            continue;
        }
        const std::uint64_t pixels = std::uint64_t{picture.width} * picture.height;
        if (pixels > pixelsLeft) {
            picture.Free();  // a loader that did not keep to the budget
            continue;
        }
        pixelsLeft -= pixels;
        if (picture.width > 0 && picture.height > 0 && picture.bitsPerPixel > 0) {
            const std::uint64_t w = picture.width;
            const std::uint64_t h = picture.height;
            aspect = std::max(aspect, w * 256 / h);
        }
    }
    content.PictureAspect = static_cast<std::int32_t>(std::min<std::uint64_t>(aspect, INT32_MAX));
    content.HasElementPictures = content.PictureAspect > 0;
    content.ElementCount = static_cast<std::int32_t>(text.answers.size());
    return true;
}

}  // namespace kelvandor
