#include "game/BoardText.h"

#include <algorithm>
#include <vector>

#include "image/GlyphFonts.h"

namespace kelvandor {

namespace {

// 1080p lengths of the question band: its fonts with the row each is drawn at, and the room
// kept free at the band's ends.
struct QuestionFont {
    std::int32_t cellHeight;
    std::int32_t top;
};
constexpr QuestionFont kQuestionFonts[] = {{36, 1}, {24, 5}, {18, 11}};
constexpr std::int32_t kQuestionMargin = 8;
// Room kept between the solution texts and the tile on their left, and the right bevel.
constexpr std::int32_t kSolutionGap = 16;

std::vector<std::string> TextsOf(const StringList& list, std::size_t count) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < std::min(count, list.Count()); ++i) {
        texts.push_back(list.Text(i));
    }
    return texts;
}

}  // namespace

std::array<FontChoice, 4> AnswerFonts(const ScreenLayout& layout) {
    const ScreenScale s = layout.Scale;
    return {{{FontForCellHeight(s(55)), s(44)},
             {FontForCellHeight(s(36)), s(32)},
             {FontForCellHeight(s(24)), s(24)},
             {FontForCellHeight(s(18)), 0}}};
}

AnswerRoom AnswerRoomOf(const ScreenLayout& layout, const PuzzleContent& puzzle) {
    return AnswerRoomFor(layout, puzzle.HasElementPictures ? puzzle.PictureAspect : 0);
}

FittedTexts FitAnswerTexts(const ScreenLayout& layout, const PuzzleContent& puzzle) {
    const std::vector<std::string> texts =
        TextsOf(puzzle.AnswerTexts, static_cast<std::size_t>(std::max(puzzle.ElementCount, 0)));
    const std::array<FontChoice, 4> fonts = AnswerFonts(layout);
    return FitTexts(texts, fonts, AnswerRoomOf(layout, puzzle).textWidth, layout.TileHeight);
}

QuestionLines FitQuestion(const ScreenLayout& layout, const std::string& question) {
    const ScreenScale s = layout.Scale;
    std::array<FontChoice, std::size(kQuestionFonts)> fonts{};
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        const std::int32_t cell = s(kQuestionFonts[i].cellHeight);
        fonts[i] = {FontForCellHeight(cell), cell};
    }
    const std::int32_t bandWidth = layout.ViewWidth - 2 * layout.AreaLeft();
    QuestionLines out;
    out.fit =
        FitTexts(std::span(&question, 1), fonts, bandWidth - s(kQuestionMargin), layout.BandHeight);
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        if (fonts[i].font == out.fit.font) {
            out.top[0] = s(kQuestionFonts[i].top);
            break;
        }
    }
    if (out.fit.texts[0].wrapped) {
        // Two lines share the band, each in a cell of the font, centred together.
        const std::int32_t cell = CellHeightOf(out.fit.font);
        out.top[0] = std::max((layout.BandHeight - 2 * cell) / 2, 0);
        out.top[1] = out.top[0] + std::min(cell, layout.BandHeight / 2);
    }
    return out;
}

SolutionRoom SolutionRoomOf(const ScreenLayout& layout) {
    const std::int32_t gap = layout.Scale(kSolutionGap);
    SolutionRoom room;
    room.x = layout.BoardOriginX + layout.TileWidth + gap;
    const std::int32_t rightBevel = layout.ViewWidth - layout.PanelWidth - layout.BevelWidth;
    room.width = std::max(rightBevel - gap - room.x, 0);
    return room;
}

FittedTexts FitSolutionTexts(const ScreenLayout& layout, const PuzzleContent& puzzle) {
    const std::vector<std::string> texts =
        TextsOf(puzzle.SolutionTexts, static_cast<std::size_t>(std::max(puzzle.ElementCount, 0)));
    // The same fonts as the answers, tried against the height of a whole row.
    const std::array<FontChoice, 4> fonts = AnswerFonts(layout);
    return FitTexts(texts, fonts, SolutionRoomOf(layout).width, layout.RowStep);
}

std::int32_t LinePitch(const std::uint8_t* font, std::int32_t roomHeight) {
    return std::max(std::min(CellHeightOf(font), roomHeight / 2), 1);
}

}  // namespace kelvandor
