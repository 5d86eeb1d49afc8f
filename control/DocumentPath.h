#pragma once
// Document paths as other programs name them: made full, and compared the way the file
// names of Windows compare, so that a program that learnt the path there finds the game.

#include <string>
#include <string_view>

namespace kelvandor {

// `path` (UTF-8 or raw bytes) as a full path: "\" read as "/", a relative path taken from the
// working folder, "." and ".." resolved by their names (links are not followed), no
// trailing separator. The empty text stays empty.
std::string MakeFullPath(std::string_view path);

// Whether two paths name the same document: both made full, then compared without regard to
// case (also for the accented letters of Windows-1252) and with "/" and "\" the same.
bool SameDocumentPath(std::string_view a, std::string_view b);

}  // namespace kelvandor
