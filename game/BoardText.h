#pragma once
// The texts of the game screen laid into their room: the answers in their tiles, the question
// in its band and the solution texts beside the tiles, each group in one font that fits
// (TextFit.h). The renderer draws what these give, and kelvandor-tool's checker asks them
// whether a puzzle's texts fit a given screen.

#include <array>
#include <cstdint>
#include <string>

#include "game/ScreenLayout.h"
#include "game/TextFit.h"
#include "puzzles/PuzzleContent.h"

namespace kelvandor {

// The answer fonts, largest first: FontLarge in tiles at least 44 pixels high, FontMedium
// from 32, FontSmall from 24, FontTiny in any tile (1080p lengths, grown with the screen).
std::array<FontChoice, 4> AnswerFonts(const ScreenLayout& layout);

// The room an answer's text has in its tile for this puzzle (with or without the picture
// column).
AnswerRoom AnswerRoomOf(const ScreenLayout& layout, const PuzzleContent& puzzle);

// The answers of `puzzle` (one entry per answer text) in their tiles.
FittedTexts FitAnswerTexts(const ScreenLayout& layout, const PuzzleContent& puzzle);

// The question band: the font, the question's lines and the rows they are drawn at (the
// tops of their glyph cells).
struct QuestionLines {
    FittedTexts fit;  // one text
    std::int32_t top[2] = {0, 0};
};
QuestionLines FitQuestion(const ScreenLayout& layout, const std::string& question);

// Where the solution texts start and how wide they may be: from beside the left column's
// tiles to short of the right bevel.
struct SolutionRoom {
    std::int32_t x = 0;
    std::int32_t width = 0;
};
SolutionRoom SolutionRoomOf(const ScreenLayout& layout);

// The solution texts of `puzzle` (one entry per solution text) beside their tiles.
FittedTexts FitSolutionTexts(const ScreenLayout& layout, const PuzzleContent& puzzle);

// The distance between the middles of a wrapped text's two lines in `font` when the room is
// `roomHeight` high: the font's cell height, or less in a low room.
std::int32_t LinePitch(const std::uint8_t* font, std::int32_t roomHeight);

}  // namespace kelvandor
