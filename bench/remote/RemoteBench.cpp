// The remote reader's latency and its idle cost.
//
// Latency: from writing the last byte of a frame (its line end) into a pseudo-terminal to the
// press arriving on the consuming thread, which stands for the game's thread. Idle: the CPU
// time the reader uses per second of wall time with no device, and with an open, silent one.

#include <benchmark/benchmark.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "remote/RemoteReader.h"
#include "remote/SerialPort.h"

namespace kelvandor {
namespace {

using Clock = std::chrono::steady_clock;

// Presses queued to a consumer thread, as the shell queues them to the game's thread.
class CQueueTarget : public IRemoteTarget {
public:
    int RemotePortIndex() const override { return 0; }
    void HandOver(const RemotePress& press) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(press);
        }
        ready_.notify_one();
    }
    bool Take(std::chrono::milliseconds patience) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, patience, [&] { return !queue_.empty(); })) {
            return false;
        }
        queue_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<RemotePress> queue_;
};

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = name;
            termios tio{};
            tcgetattr(slave, &tio);
            cfmakeraw(&tio);
            tcsetattr(slave, TCSANOW, &tio);
        }
    }
    ~Pty() {
        close(master);
        close(slave);
    }
    bool Send(const std::string& bytes) const {
        return write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
};

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_FrameLineEndToGameThread(benchmark::State& state) {
    Pty pty;
    if (pty.path.empty()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    CComPorts ports([&](int) { return pty.path; });
    CQueueTarget target;
    std::uint32_t tick = 0;
    // Each press a second later on the reader's clock: no press is taken for a bounce.
    CRemoteReader reader(ports, target, [&] { return tick += 1000; });
    reader.Start();
    while (!reader.Status().open) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<double> samples;
    for (auto _ : state) {
        // The frame without its line end first, so that only the last byte is measured.
        pty.Send("5D0123ABCD");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const auto start = Clock::now();
        pty.Send("\r");
        if (!target.Take(std::chrono::seconds(5))) {
            state.SkipWithError("press lost");
            break;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e6);
    }
    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        state.counters["median_us"] = samples[samples.size() / 2];
        state.counters["p99_us"] = samples[samples.size() * 99 / 100];
        state.counters["max_us"] = samples.back();
    }
}
BENCHMARK(BM_FrameLineEndToGameThread)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);

// CPU share of one core used by the reader while it has nothing to do.
void IdleCpu(benchmark::State& state, bool withDevice) {
    Pty pty;
    CComPorts ports([&](int) { return withDevice ? pty.path : std::string("/nonexistent/tty"); });
    CQueueTarget target;
    CRemoteReader reader(ports, target);
    reader.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // settle
    double percent = 0;
    for (auto _ : state) {
        const double cpu = ProcessCpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        percent = (ProcessCpuSeconds() - cpu) / wall * 100.0;
    }
    state.counters["cpu_percent"] = percent;
    state.counters["open"] = reader.Status().open ? 1 : 0;
}
void BM_IdleReaderNoDevice(benchmark::State& state) {
    IdleCpu(state, false);
}
void BM_IdleReaderSilentDevice(benchmark::State& state) {
    IdleCpu(state, true);
}
BENCHMARK(BM_IdleReaderNoDevice)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleReaderSilentDevice)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvandor

BENCHMARK_MAIN();
