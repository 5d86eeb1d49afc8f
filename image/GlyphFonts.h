#pragma once
// The glyph fonts the program carries, for CDibImage::SetFont: one bold sans-serif in eight
// cell heights, Windows-1252 codes 0-255, proportional widths, no metrics trailer. The four
// named ones are the fonts of a 1920 x 1080 screen; bigger screens draw the same texts in the
// larger heights (FontForCellHeight). They are constant data embedded in the program
// (resource type GLYPHFONT); the pointers stay valid for the program's whole run. A font
// missing from the build gives nullptr, which SetFont takes as "no font".

#include <cstdint>

namespace kelvandor {

const std::uint8_t* FontLarge();   // cell height 55
const std::uint8_t* FontMedium();  // cell height 36
const std::uint8_t* FontSmall();   // cell height 24
const std::uint8_t* FontTiny();    // cell height 18

// The cell heights there are fonts of, smallest first.
inline constexpr std::int32_t kGlyphFontCellHeights[] = {18, 24, 32, 36, 48, 55, 72, 110};

// The largest font whose cell height is at most `cellHeight` (FontLarge for 55 to 71, say);
// FontTiny when `cellHeight` is below all of them.
const std::uint8_t* FontForCellHeight(std::int32_t cellHeight);

// The cell height of a font this header hands out; 0 for any other pointer.
std::int32_t CellHeightOf(const std::uint8_t* font);

}  // namespace kelvandor
