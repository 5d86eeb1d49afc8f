#include "sound/PlaySound.h"

#include <mutex>

#include "sound/SdlSoundOutput.h"

namespace kelvandor {
namespace {

struct ProcessPlayer {
    std::mutex mutex;
    std::shared_ptr<CSoundPlayer> player;
};

ProcessPlayer& Process() {
    static ProcessPlayer process;
    return process;
}

std::shared_ptr<CSoundPlayer> CurrentPlayer() {
    ProcessPlayer& process = Process();
    std::lock_guard lock(process.mutex);
    if (!process.player) {
        // Cheap: the audio device is opened only when the first clip starts.
        process.player =
            std::make_shared<CSoundPlayer>(MakeSystemSoundClock(), MakeSdlSoundOutput());
    }
    return process.player;
}

}  // namespace

void PlaySoundAsync(const char* name) {
    if (name == nullptr) {
        return;
    }
    CurrentPlayer()->Request(name);
}

std::shared_ptr<CSoundPlayer> SetSoundPlayer(std::shared_ptr<CSoundPlayer> player) {
    ProcessPlayer& process = Process();
    std::lock_guard lock(process.mutex);
    std::swap(process.player, player);
    return player;
}

}  // namespace kelvandor
