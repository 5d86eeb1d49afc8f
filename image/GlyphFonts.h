#pragma once
// The four glyph fonts the program carries, for CDibImage::SetFont: a bold sans-serif in
// four cell heights, Windows-1252 codes 0-255, proportional widths, no metrics trailer.
// They are constant data embedded in the program (resource type GLYPHFONT); the pointers
// stay valid for the program's whole run. A font missing from the build gives nullptr,
// which SetFont takes as "no font".

#include <cstdint>

namespace kelvandor {

const std::uint8_t* FontLarge();   // cell height 55
const std::uint8_t* FontMedium();  // cell height 36
const std::uint8_t* FontSmall();   // cell height 24
const std::uint8_t* FontTiny();    // cell height 18

}  // namespace kelvandor
