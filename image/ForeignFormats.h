#pragma once
// Picture formats that the library does not read but knows by their signatures, so that a
// refused file can be named: a quiz master who is told "HEIC photo" knows what to do, one who
// is told "unknown format" does not.

#include <cstddef>
#include <cstdint>

namespace kelvandor {

enum class ForeignFormat { None, Svg, Heif, Avif, Jpeg2000, Pdf };

// How many bytes from the start RecogniseForeignFormat looks at: an SVG drawing may open with
// an XML declaration and a comment before its first element.
constexpr std::size_t kForeignHeaderLength = 1024;

// The foreign format that the first bytes of a source show, or None.
ForeignFormat RecogniseForeignFormat(const std::uint8_t* bytes, std::size_t length);

}  // namespace kelvandor
