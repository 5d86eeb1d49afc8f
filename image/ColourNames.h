#pragma once
// Colour names and the colour definitions of XPM pictures.
//
// The name table holds the 658 names of the X11 colour database, folded to lower case
// without spaces ("lightgoldenrod", "gray50"), plus "aqua"; values are 0x00RRGGBB.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvandor {

struct ColourName {
    const char* name;
    std::uint32_t value;  // 0x00RRGGBB
};

// The table, sorted by the bytes of the names.
std::span<const ColourName> ColourNameTable();

// The value of a name of the table, matched whole and without regard to the case of ASCII
// letters ("LightGoldenrod"); nullopt for any other text, including names with spaces.
std::optional<std::uint32_t> FindColourName(std::string_view name);

// The value an XPM colour definition gives the word None: no colour, transparent.
constexpr std::uint32_t kXpmTransparent = 0xFFFFFFFF;

struct XpmColour {
    std::string code;     // the pixel code: the picture's characters per pixel
    std::uint32_t value;  // 0x00RRGGBB, or kXpmTransparent
};

// Parses one colour line of an XPM picture: after any blanks and line ends a quoted string
// that starts with the pixel code (charsPerPixel characters), then a key and its value. The
// key must be 'c', 'g' or 's'; the value is "None" in any case (transparent), '#' with 3, 6,
// 9 or 12 hexadecimal digits (red, green and blue take a third each, scaled to 8 bits, so
// "#F00" is 0xFF0000 and "#FFFF00000000" too), or a name of the table, which runs to the
// first tab, line end, quote, comma or semicolon. Returns false when the text does not start with
// a quote; throws EXpmError "Nicht unterstütztes Farbformat" for any other definition it
// cannot take.
bool ParseXpmColour(std::string_view line, std::size_t charsPerPixel, XpmColour& colour);

}  // namespace kelvandor
