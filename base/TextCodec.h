#pragma once
// Text codecs. The game's texts are Windows-1252 bytes; the tool prints UTF-8, Qt wants
// Unicode, and file names may be either. This is the one table of the code page.

#include <optional>
#include <string>
#include <string_view>

namespace kelvandor {

// The code point of a Windows-1252 byte. The five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
char32_t Windows1252ToUnicode(unsigned char byte);

// False for the five unassigned bytes.
bool IsWindows1252Assigned(unsigned char byte);

// The byte that stands for `cp`, or nullopt when Windows-1252 has no such character.
std::optional<unsigned char> UnicodeToWindows1252(char32_t cp);

// Each byte as its code point (unassigned bytes as C1 controls).
std::u32string DecodeWindows1252(std::string_view bytes);

// Windows-1252 bytes to UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; characters the code page cannot hold, and bytes that are not UTF-8,
// become '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

// The code points of well-formed UTF-8 (no overlong forms, surrogates or values beyond
// Unicode), or nullopt.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes);

// One code point as UTF-8, appended to `out`.
void AppendUtf8(std::string& out, char32_t cp);

// The code points of UTF-16 code units; a surrogate that is not part of a pair becomes
// U+FFFD, so that a broken text still has one character per broken unit.
std::u32string DecodeUtf16(std::u16string_view units);

// Code points as UTF-16 code units (pairs beyond the basic plane). Values that are no
// characters (surrogates, beyond U+10FFFF) become U+FFFD.
std::u16string EncodeUtf16(std::u32string_view codePoints);

// Lower case for the letters of Windows-1252 (ASCII, Latin-1's accented letters, and the
// code page's own Š, Œ, Ž, Ÿ); every other code point is returned as it is.
char32_t FoldCase(char32_t cp);

}  // namespace kelvandor
