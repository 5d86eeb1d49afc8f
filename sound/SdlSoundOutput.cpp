#include "sound/SdlSoundOutput.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sound/WaveClip.h"

namespace kelvandor {
namespace {

// Every clip is converted once to the device's format: 16-bit stereo at 44.1 kHz, which is
// what the clips are made in; SDL adapts it to the hardware.
constexpr int kDeviceRate = 44100;
constexpr int kDeviceChannels = 2;
// About 12 ms per buffer: short enough that a new clip cuts in without an audible lag.
constexpr Uint16 kDeviceBufferFrames = 512;

using Samples = std::vector<Sint16>;

// The clip converted to the device format; empty when the resource is missing or broken.
Samples ConvertClip(std::string_view name) {
    WaveClip clip;
    std::string error;
    if (!ParseWaveClip(FindSoundResource(name), clip, error)) {
        return {};
    }
    const SDL_AudioFormat from = clip.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioStream* stream = SDL_NewAudioStream(from, clip.channels, int(clip.sampleRate),
                                                 AUDIO_S16SYS, kDeviceChannels, kDeviceRate);
    if (stream == nullptr) {
        return {};
    }
    Samples out;
    if (SDL_AudioStreamPut(stream, clip.samples.data(), int(clip.samples.size())) == 0 &&
        SDL_AudioStreamFlush(stream) == 0) {
        out.resize(std::size_t(SDL_AudioStreamAvailable(stream)) / sizeof(Sint16));
        const int got = SDL_AudioStreamGet(stream, out.data(), int(out.size() * sizeof(Sint16)));
        out.resize(got > 0 ? std::size_t(got) / sizeof(Sint16) : 0);
    }
    SDL_FreeAudioStream(stream);
    return out;
}

// Keeps standard error quiet while it lives. The sound libraries below SDL (ALSA above all)
// print several lines of their own when a machine has no sound card; the program says what
// matters in one line instead. Used only around the one attempt to open the device.
class CQuietStderr {
public:
    CQuietStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) {
            dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            close(null);
        }
    }
    ~CQuietStderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    CQuietStderr(const CQuietStderr&) = delete;
    CQuietStderr& operator=(const CQuietStderr&) = delete;

private:
    int saved_ = -1;
};

class CSdlSoundOutput : public ISoundOutput {
public:
    ~CSdlSoundOutput() override {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
        }
        if (audioInitialised_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

    void StartClip(std::string_view name) override {
        // One clip starts at a time; the lock also keeps the device opening to one thread.
        std::lock_guard lock(mutex_);
        if (!OpenDeviceOnce()) {
            return;
        }
        const Samples* clip = &ClipFor(name);
        if (clip->empty()) {
            clip = nullptr;
        }
        // The callback runs under the device lock, so the swap is atomic for it.
        SDL_LockAudioDevice(device_);
        playing_ = clip;
        position_ = 0;
        SDL_UnlockAudioDevice(device_);
    }

private:
    bool OpenDeviceOnce() {
        if (triedOpen_) {
            return device_ != 0;
        }
        triedOpen_ = true;
        std::optional<CQuietStderr> quiet(std::in_place);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            quiet.reset();
            ReportNoDevice();
            return false;
        }
        audioInitialised_ = true;
        SDL_AudioSpec want{};
        want.freq = kDeviceRate;
        want.format = AUDIO_S16SYS;
        want.channels = kDeviceChannels;
        want.samples = kDeviceBufferFrames;
        want.callback = &CSdlSoundOutput::Fill;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        quiet.reset();
        if (device_ == 0) {
            ReportNoDevice();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    static void ReportNoDevice() {
        std::cerr << "kelvandor: no audio device, sounds are off (" << SDL_GetError() << ")\n";
    }

    const Samples& ClipFor(std::string_view name) {
        auto found = clips_.find(name);
        if (found == clips_.end()) {
            // Map nodes never move, so the callback may keep pointing at a clip.
            found = clips_.emplace(std::string(name), ConvertClip(name)).first;
        }
        return found->second;
    }

    // SDL's audio thread asks for the next buffer; silence once the clip has ended.
    static void Fill(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<CSdlSoundOutput*>(userdata);
        const std::size_t wanted = std::size_t(length) / sizeof(Sint16);
        std::size_t copied = 0;
        if (self->playing_ != nullptr) {
            const Samples& clip = *self->playing_;
            copied = std::min(wanted, clip.size() - self->position_);
            std::memcpy(stream, clip.data() + self->position_, copied * sizeof(Sint16));
            self->position_ += copied;
            if (self->position_ == clip.size()) {
                self->playing_ = nullptr;
            }
        }
        std::memset(stream + copied * sizeof(Sint16), 0,
                    std::size_t(length) - copied * sizeof(Sint16));
    }

    std::mutex mutex_;
    bool triedOpen_ = false;
    bool audioInitialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    std::map<std::string, Samples, std::less<>> clips_;
    // Shared with the callback under the device lock.
    const Samples* playing_ = nullptr;
    std::size_t position_ = 0;
};

}  // namespace

std::shared_ptr<ISoundOutput> MakeSdlSoundOutput() {
    return std::make_shared<CSdlSoundOutput>();
}

}  // namespace kelvandor
