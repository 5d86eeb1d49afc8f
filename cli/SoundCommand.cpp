// kelvandor-tool sound: plays the program's sounds on the audio device through the same
// player and sound gate as the game, so that the clips and their spacing can be checked by
// ear, or captured with SDL's disk audio driver and measured.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "sound/SdlSoundOutput.h"
#include "sound/SoundPlayer.h"
#include "sound/WaveClip.h"

namespace kelvandor::cli {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kUsage =
    "usage: kelvandor-tool sound [--list] [NAME[@MS] ...]\n"
    "Plays the program's sounds on the audio device, through the sound gate as in the game.\n"
    "NAME is TICK, TUCK, WRONG, ERROR, CLING1 or CLING2. NAME@MS requests the sound MS\n"
    "milliseconds after the first request; a bare NAME right after the previous one.\n"
    "Prints \"start <ms> <NAME>\" for each clip as it starts (ms since the first request).\n"
    "--list prints the clips with their format and length.\n";

struct Request {
    std::string name;
    std::uint32_t at = 0;  // milliseconds after the first request
};

// Prints every start as it happens, then hands the clip on to the device.
class CAnnouncingOutput : public ISoundOutput {
public:
    CAnnouncingOutput(std::shared_ptr<ISoundOutput> device, Clock::time_point origin)
        : device_(std::move(device)), origin_(origin) {}

    void StartClip(std::string_view name) override {
        {
            std::lock_guard lock(mutex_);
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - origin_);
            std::printf("start %lld %.*s\n", static_cast<long long>(ms.count()),
                        static_cast<int>(name.size()), name.data());
            std::fflush(stdout);
            last_ = std::string(name);
        }
        device_->StartClip(name);
    }

    std::string LastStarted() {
        std::lock_guard lock(mutex_);
        return last_;
    }

private:
    std::shared_ptr<ISoundOutput> device_;
    Clock::time_point origin_;
    std::mutex mutex_;
    std::string last_;
};

bool ParseRequest(std::string_view arg, Request& request) {
    const auto at = arg.find('@');
    request.name = std::string(arg.substr(0, at));
    WaveClip clip;
    std::string error;
    if (!ParseWaveClip(FindSoundResource(request.name), clip, error)) {
        return false;
    }
    if (at == std::string_view::npos) {
        return true;
    }
    const std::string_view digits = arg.substr(at + 1);
    if (digits.empty() || digits.size() > 7 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    request.at = static_cast<std::uint32_t>(std::stoul(std::string(digits)));
    return true;
}

int ListClips() {
    for (const char* name : {"TICK", "TUCK", "WRONG", "ERROR", "CLING1", "CLING2"}) {
        WaveClip clip;
        std::string error;
        if (!ParseWaveClip(FindSoundResource(name), clip, error)) {
            std::cout << name << " unreadable: " << error << "\n";
            return 1;
        }
        std::printf("%s channels=%u rate=%u bits=%u seconds=%.3f\n", name, clip.channels,
                    clip.sampleRate, clip.bitsPerSample, clip.Seconds());
    }
    return 0;
}

double ClipSeconds(const std::string& name) {
    WaveClip clip;
    std::string error;
    return ParseWaveClip(FindSoundResource(name), clip, error) ? clip.Seconds() : 0.0;
}

}  // namespace

int RunSound(int argc, char** argv) {
    std::vector<Request> requests;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (IsHelp(arg)) {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--list") {
            return ListClips();
        }
        if (arg.starts_with("-")) {
            return UsageError("sound: unknown option " + std::string(arg));
        }
        Request request;
        if (!ParseRequest(arg, request)) {
            return UsageError("sound: not a sound or a bad time: " + std::string(arg));
        }
        if (arg.find('@') == std::string_view::npos && !requests.empty()) {
            request.at = requests.back().at;
        }
        if (!requests.empty() && request.at < requests.back().at) {
            return UsageError("sound: requests must be in time order: " + std::string(arg));
        }
        requests.push_back(request);
    }
    if (requests.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    const Clock::time_point origin = Clock::now();
    auto output = std::make_shared<CAnnouncingOutput>(MakeSdlSoundOutput(), origin);
    CSoundPlayer player(MakeSystemSoundClock(), output);
    for (const Request& request : requests) {
        std::this_thread::sleep_until(origin + std::chrono::milliseconds(request.at));
        player.Request(request.name);
    }
    // Let the gate release its last requests, then let the clip that plays last ring out.
    player.WaitUntilIdle(10s);
    const double seconds = ClipSeconds(output->LastStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(seconds * 1000) + 100));
    return 0;
}

}  // namespace kelvandor::cli
