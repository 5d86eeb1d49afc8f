#pragma once
// Fitting texts into the room the screen has for them. A group of texts (the answers of a
// puzzle, its solution texts, its question) is drawn in one font: the largest in which every
// text of the group fits its room, on one line or, where the room is high enough for two
// lines of that font, on two lines broken between words. When not even the smallest font
// does that, the texts too wide for it go onto two lines of it all the same, and what two
// lines cannot hold is cut off with an ellipsis, so that no text ever runs out of its room.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvandor {

// A candidate font and the smallest room height it is used in (a large font is not tried in
// a room too low for it). Two lines of it need one cell height more.
struct FontChoice {
    const std::uint8_t* font = nullptr;
    std::int32_t minimumRoomHeight = 0;
};

// One text as it is drawn: one line, or two when `wrapped`; `cut` when even two lines could
// not hold it and the second line ends in an ellipsis.
struct FittedText {
    std::string first, second;
    bool wrapped = false;
    bool cut = false;
};

// The texts of a group in their common font, in the order given.
struct FittedTexts {
    const std::uint8_t* font = nullptr;
    std::vector<FittedText> texts;
};

// Width in pixels of `text` (Windows-1252) in `font`, as DrawText measures it; 0 without a
// font.
std::int32_t TextWidth(const std::uint8_t* font, std::string_view text);

// The one font for all of `texts`: the first of `fonts` (largest first) whose minimum room
// height is at most `roomHeight` and in which every text is at most `width` wide, or breaks
// between words onto two lines of that width when the room holds two lines. When there is
// none, the last of `fonts`, with the texts that are too wide for it wrapped onto two lines
// (WrapOnTwoLines) and, where two lines cannot hold them, cut. `fonts` must not be empty.
FittedTexts FitTexts(std::span<const std::string> texts, std::span<const FontChoice> fonts,
                     std::int32_t width, std::int32_t roomHeight);

// `text` on at most two lines of at most `width` pixels in `font`. One line when it fits.
// Otherwise it breaks at the blank (or after the hyphen) that makes the longer of the two
// lines shortest; when no break leaves both lines within the width, the first line takes as
// many whole words as fit (as many characters, when not even the first word fits) and the
// second line is cut with an ellipsis where it would run over.
FittedText WrapOnTwoLines(const std::uint8_t* font, const std::string& text, std::int32_t width);

}  // namespace kelvandor
