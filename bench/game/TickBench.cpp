// The cost of one game tick of the core (without drawing): a board of twelve answers in
// motion, and a round's worth of random play.

#include <benchmark/benchmark.h>

#include <vector>

#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "settings/SettingsStore.h"

namespace kelvandor {
namespace {

int NoPicture(const std::string&, CDibImage&, std::uint64_t) {
    return -1;
}

// A formula round, dealt and kept in motion: every tick animates all elements again.
void BM_TickWhileEverythingMoves(benchmark::State& state) {
    CHeadlessViewHost host;
    CMemorySettingsStore settings;
    settings.WriteText("PicPath", "/nonexistent-puzzle-root");
    CKelvandorView view(host, settings, NoPicture);
    host.Attach(&view);
    view.OnCreate();
    view.OnSize(1920, 1080);
    host.DeliverPosted();
    view.SeedRandom(1);
    view.StartNextPuzzle();
    // The dealt board, every answer starting over from the other column.
    const GameState& dealt = view.State();
    std::vector<ArrangedElement> board;
    for (std::size_t i = 0; i < static_cast<std::size_t>(view.ElementCount()); ++i) {
        ArrangedElement e{dealt.ElementColumn[i], dealt.ElementSlot[i], dealt.ElementState[i]};
        e.fromColumn = static_cast<std::uint8_t>(e.column ^ 1u);
        e.answer = dealt.Puzzle.AnswerTexts.Text(i);
        if (i < dealt.Puzzle.SolutionTexts.Count()) {
            e.solution = dealt.Puzzle.SolutionTexts.Text(i);
        }
        board.push_back(e);
    }
    const std::uint32_t active = dealt.ActivePlayer;
    for (auto _ : state) {
        view.ArrangeBoard(board, active);
        host.RunTicks(1);
        benchmark::DoNotOptimize(view.State().MovingCount);
    }
}
BENCHMARK(BM_TickWhileEverythingMoves);

// Key presses, stop buttons and ticks as a busy show would send them.
void BM_RandomPlay(benchmark::State& state) {
    CHeadlessViewHost host;
    CMemorySettingsStore settings;
    settings.WriteText("PicPath", "/nonexistent-puzzle-root");
    CKelvandorView view(host, settings, NoPicture);
    host.Attach(&view);
    view.OnCreate();
    view.OnSize(1920, 1080);
    host.DeliverPosted();
    GameRandom random(7);
    for (auto _ : state) {
        const std::uint32_t r = random.NextRandom() % 8;
        if (r < 4) {
            view.OnKeyDown(0x25 + r);
        } else if (r == 4) {
            host.PostRemoteButton(random.NextRandom() % 4);
            host.DeliverPosted();
        } else {
            host.RunTicks(1);
        }
    }
}
BENCHMARK(BM_RandomPlay);

}  // namespace
}  // namespace kelvandor

BENCHMARK_MAIN();
