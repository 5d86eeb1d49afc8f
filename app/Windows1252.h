#pragma once
// The game's texts are Windows-1252 bytes; Qt wants Unicode. These two functions are the
// bridge for texts (titles, prompts, entries), never for file paths, which keep the bytes
// of the file system.

#include <string>
#include <string_view>

#include <QString>

namespace kelvandor {

QString FromWindows1252(std::string_view text);

// Characters that Windows-1252 cannot hold become "?".
std::string ToWindows1252(const QString& text);

}  // namespace kelvandor
