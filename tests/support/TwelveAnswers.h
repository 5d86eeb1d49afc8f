#pragma once
// The board the screen benchmarks draw: twelve answers at rest in both columns, the sixth
// selected, each with its own text ("Antwort Nummer 1" ...).

#include <string>
#include <vector>

#include "game/KelvandorView.h"

namespace kelvandor::test {

inline std::vector<ArrangedElement> TwelveAnswers() {
    std::vector<ArrangedElement> board;
    for (std::size_t i = 0; i < 12; ++i) {
        ArrangedElement e{static_cast<std::uint8_t>(i % 2), static_cast<std::uint8_t>(i),
                          i == 5 ? kStateSelected : kStateNormal};
        e.answer = "Antwort Nummer " + std::to_string(i + 1);
        board.push_back(e);
    }
    return board;
}

}  // namespace kelvandor::test
