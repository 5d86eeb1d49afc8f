// What one press of F5 costs in the puzzle layer: reading a Game.txt at its size limit, the
// ten tries of a press that finds nothing, and a formula puzzle.

#include <benchmark/benchmark.h>

#include <string>

#include "puzzles/Formulas.h"
#include "puzzles/LoadPuzzle.h"
#include "puzzles/PuzzleText.h"
#include "puzzles/Selection.h"

namespace kelvandor {
namespace {

void BM_ParseFullSizePuzzleText(benchmark::State& state) {
    std::string text(kMaxQuestionLength + 40, 'F');
    text += "\r\n";
    while (text.size() < kMaxPuzzleFileBytes) {
        text += "Eine Antwort|ihre L\xF6sung|bild.png\r\n\r\n   ";
    }
    text.resize(kMaxPuzzleFileBytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParsePuzzleText(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseFullSizePuzzleText);

void BM_PressThatFindsNoFolder(benchmark::State& state) {
    // Missing folders below a missing root: every try falls back to the lookup without
    // regard to case, which is what a press after the last puzzle pays.
    PuzzleContent content;
    for (auto _ : state) {
        std::int32_t gameNumber = 0;
        benchmark::DoNotOptimize(SelectNextPuzzle(
            gameNumber, false,
            [&](std::int32_t n) {
                return LoadPuzzle("/nonexistent-puzzle-root", n, content, nullptr);
            },
            nullptr));
    }
}
BENCHMARK(BM_PressThatFindsNoFolder);

void BM_GenerateFormulas(benchmark::State& state) {
    GameRandom random(1);
    PuzzleContent content;
    for (auto _ : state) {
        GenerateFormulas(content, random);
        benchmark::DoNotOptimize(content.ElementCount);
    }
}
BENCHMARK(BM_GenerateFormulas);

}  // namespace
}  // namespace kelvandor

BENCHMARK_MAIN();
