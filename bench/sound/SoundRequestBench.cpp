// How long a sound request holds up its caller (the user-interface or remote reader thread):
// starting the player thread is all it may cost.

#include <benchmark/benchmark.h>

#include <chrono>

#include "sound/SoundPlayer.h"

namespace kelvandor {
namespace {

// Chimes pass the gate at once, so the threads end as fast as they are started and do not
// pile up while the loop runs.
void BM_RequestReturns(benchmark::State& state) {
    CSoundPlayer player(MakeSystemSoundClock(), MakeSilentSoundOutput());
    for (auto _ : state) {
        player.Request("CLING1");
    }
    player.WaitUntilIdle(std::chrono::seconds(30));
}
BENCHMARK(BM_RequestReturns)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvandor

BENCHMARK_MAIN();
