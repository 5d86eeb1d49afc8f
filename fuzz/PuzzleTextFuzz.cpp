// A Game.txt of arbitrary bytes through the puzzle text parser.

#include <string_view>

#include "FuzzTarget.h"
#include "puzzles/PuzzleText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvandor::ParsePuzzleText(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
