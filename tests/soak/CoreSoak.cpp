// The game core driven for many simulated hours: random keys, commands and remote buttons,
// in turns of ten simulated minutes at a quiz master's pace (a step every one to three
// seconds) and at flood rate (a remote button every tick besides the random steps), with the
// invariant check after every step. Prints one line per simulated hour: steps, resident
// memory, and the CPU time one tick costs (with the steps between ticks; CPU time, so that
// other programs on the machine do not change it). Fails when an invariant breaks or when memory
// after the first hour grows by more than --max-growth-kb.
//
//   kelvandor-core-soak [--hours H] [--max-growth-kb K]      (defaults: 24 hours, 2048 kB)

#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "puzzles/GameRandom.h"
#include "settings/SettingsStore.h"
#include "tests/game/GameInvariants.h"

namespace {

using namespace kelvandor;

long ResidentKilobytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void WritePuzzle(const std::filesystem::path& root, int number, const std::string& text) {
    char name[16];
    std::snprintf(name, sizeof name, "Game%03d", number);
    std::filesystem::create_directories(root / name);
    std::ofstream(root / name / "Game.txt", std::ios::binary) << text;
}

int NoPictures(const std::string&, CDibImage&, std::uint64_t) {
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    double hours = 24;
    long maxGrowthKb = 2048;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--hours") {
            hours = std::atof(argv[i + 1]);
        } else if (option == "--max-growth-kb") {
            maxGrowthKb = std::atol(argv[i + 1]);
        }
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvandor-soak-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 2;
    }
    const std::filesystem::path root = pattern;
    WritePuzzle(root, 1, "Drei\nA\nB\nC\n");
    WritePuzzle(root, 2, "Zw\xF6lf\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n");
    WritePuzzle(root, 4, "Zwei\nA|a\nB|b\n");
    WritePuzzle(root, 6, "Sieben\nA\nB\nC\nD\nE\nF\nG\n");

    CMemorySettingsStore store;
    store.WriteText("PicPath", root.string());
    store.WriteNumber("Timeout", 20);
    CHeadlessViewHost host;
    CKelvandorView view(host, store, NoPictures);
    view.SeedRandom(24);
    host.Attach(&view);
    view.OnCreate();
    view.OnSize(1280, 720);
    host.DeliverPosted();

    GameRandom random(20261207);
    const std::uint64_t totalMs = static_cast<std::uint64_t>(hours * 3600 * 1000);
    const std::uint32_t start = host.TickCount();
    std::uint64_t steps = 0, ticks = 0;
    long afterFirstHour = 0, peak = 0;
    int status = 0;
    const auto cpuSeconds = [] {
        timespec t{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    };
    double hourStart = cpuSeconds();
    std::uint64_t hourTicks = 0;
    std::printf("hour steps rss_kb cpu_us_per_tick\n");
    for (std::uint64_t hour = 1; status == 0 && (hour - 1) * 3600000 < totalMs; ++hour) {
        const std::uint64_t hourEnd = std::min<std::uint64_t>(hour * 3600000, totalMs);
        while (status == 0 && std::uint64_t{host.TickCount() - start} < hourEnd) {
            const bool flood = (host.TickCount() - start) / 600000 % 2 == 1;
            const auto starsBefore = view.State().Stars;
            const std::uint32_t sizeBefore = view.State().StarSize;
            const std::uint32_t before = host.TickCount();
            if (flood) {
                host.PostRemoteButton(random.NextRandom() % 16);
                host.DeliverPosted();
                host.RunTicks(1);
                if (random.NextRandom() % 4 == 0) {
                    test::TakeRandomStep(view, host, random, 3);
                }
            } else {
                test::TakeRandomStep(view, host, random, 60);
            }
            ++steps;
            const std::uint32_t ticked = (host.TickCount() - before) / kTickMilliseconds;
            ticks += ticked;
            hourTicks += ticked;
            if (ticked == 0) {
                host.Advance(kTickMilliseconds);  // a key or a command also takes a moment
            }
            const std::string broken = test::BrokenInvariant(view.State(), starsBefore, sizeBefore);
            if (!broken.empty()) {
                std::printf("invariant broken after step %llu: %s\n",
                            static_cast<unsigned long long>(steps), broken.c_str());
                status = 1;
            }
            host.ForgetRecords(0);  // nobody listens here: the host's own records stay flat
        }
        const double now = cpuSeconds();
        const double usPerTick =
            hourTicks == 0 ? 0 : (now - hourStart) * 1e6 / static_cast<double>(hourTicks);
        hourStart = now;
        hourTicks = 0;
        const long rss = ResidentKilobytes();
        peak = std::max(peak, rss);
        if (hour == 1) {
            afterFirstHour = rss;
        }
        std::printf("%llu %llu %ld %.1f\n", static_cast<unsigned long long>(hour),
                    static_cast<unsigned long long>(steps), rss, usPerTick);
        std::fflush(stdout);
    }
    std::filesystem::remove_all(root);
    std::printf("steps %llu ticks %llu games %d rss after hour 1 %ld kB, peak %ld kB\n",
                static_cast<unsigned long long>(steps), static_cast<unsigned long long>(ticks),
                view.State().GameNumber, afterFirstHour, peak);
    if (status == 0 && afterFirstHour > 0 && peak - afterFirstHour > maxGrowthKb) {
        std::printf("memory grew by %ld kB after the first hour\n", peak - afterFirstHour);
        status = 1;
    }
    return status;
}
