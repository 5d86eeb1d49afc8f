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
    content.PictureFullSize = {};
}

}  // namespace

std::size_t TrimPathSeparator(std::string& path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path.size();
}

bool LoadPuzzleText(const std::string& root, std::int32_t number, PuzzleContent& content,
                    PicturePaths& pictures) {
    ResetPuzzle(content);
    pictures = {};

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
        const std::string& name = text.answers[i].picture;
        if (name.empty()) {
            continue;
        }
        const ResolvedPath picturePath = ResolvePuzzleFile(root, number, name, &listings);
        // Only files are handed to the reader: a folder cannot be a picture, and opening a
        // pipe or a device could block the game for good.
        if (picturePath.exists && !IsRegularFile(picturePath.path)) {
            continue;
        }
        pictures[i] = picturePath.path;
    }
    content.ElementCount = static_cast<std::int32_t>(text.answers.size());
    return true;
}

void TakePuzzlePictures(PuzzleContent& content, LoadedPictures& pictures) {
    // A picture counts only when it loaded completely and has a size. One that failed part
    // way (a file cut short, a damaged one) is dropped with whatever the loader filled in:
    // half a picture over grey, or pixels never written, must not reach the screen. The
    // answer then shows its text alone, as when the file is missing. The pictures kept stay
    // within the puzzle's budget, counted in slot order, however often a name repeats.
    std::uint64_t aspect = 0;
    std::uint64_t pixelsLeft = kPuzzlePixelBudget;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        LoadedPicture& loaded = pictures[i];
        CDibImage& picture = content.ElementPictures[i];
        picture.Free();
        content.PictureFullSize[i] = {};
        if (loaded.code != 0 || loaded.image.IsEmpty()) {
            continue;
        }
        const std::uint64_t pixels = std::uint64_t{loaded.image.width} * loaded.image.height;
        if (pixels > pixelsLeft) {
            loaded.image.Free();
            continue;
        }
        pixelsLeft -= pixels;
        picture.SwapPictureWith(loaded.image);
        if (picture.width > 0 && picture.height > 0 && loaded.fullSize.width > 0 &&
            loaded.fullSize.height > 0) {
            content.PictureFullSize[i] = loaded.fullSize;
            const std::uint64_t w = loaded.fullSize.width;
            const std::uint64_t h = loaded.fullSize.height;
            aspect = std::max(aspect, w * 256 / h);
        }
    }
    content.PictureAspect = static_cast<std::int32_t>(std::min<std::uint64_t>(aspect, INT32_MAX));
    content.HasElementPictures = content.PictureAspect > 0;
}

bool LoadPuzzle(const std::string& root, std::int32_t number, PuzzleContent& content,
                const PictureLoader& loadPicture) {
    PicturePaths paths;
    if (!LoadPuzzleText(root, number, content, paths)) {
        return false;
    }
    LoadedPictures pictures;
    std::uint64_t pixelsLeft = kPuzzlePixelBudget;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty() || !loadPicture) {
            continue;
        }
        // Loaded in its slot, as callers that watch the slots expect; it is put back there.
        // Each picture may take what the ones before it left of the budget.
        CDibImage& slot = content.ElementPictures[i];
        LoadedPicture& loaded = pictures[i];
        loaded.code = loadPicture(paths[i], slot, pixelsLeft);
        const std::uint64_t pixels = std::uint64_t{slot.width} * slot.height;
        if (loaded.code == 0 && pixels <= pixelsLeft) {
            pixelsLeft -= pixels;
        }
        loaded.fullSize = {slot.width, slot.height};
        loaded.image.SwapPictureWith(slot);
    }
    TakePuzzlePictures(content, pictures);
    return true;
}

}  // namespace kelvandor
