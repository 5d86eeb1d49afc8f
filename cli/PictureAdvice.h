#pragma once
// What `check` tells the quiz master about a picture that does not load: the kind of file it
// found and what to do about it, in English (the report's language). The loader's own German
// message stays for the game and `kelvandor-tool image`.

#include <string>

#include "cli/PuzzleToolSupport.h"

namespace kelvandor::cli {

// One sentence (without the final full stop) for a failed load, such as "HEIC photo: not
// supported, save it as JPEG" or "PNG cut short: the file is damaged, copy it again".
std::string PictureAdvice(const PictureLoadRecord& record);

}  // namespace kelvandor::cli
