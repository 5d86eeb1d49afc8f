#pragma once
// Where the player's clips go. An output plays one clip at a time: starting a clip cuts short
// the clip that is still playing, and nothing is queued.

#include <memory>
#include <string_view>

namespace kelvandor {

class ISoundOutput {
public:
    virtual ~ISoundOutput() = default;

    // Starts the clip of this name (a "WAVE" resource of the program) and returns without
    // waiting for it to play. Called from the player's threads, possibly several at once.
    // Reports nothing: a clip that cannot be played is simply not heard.
    virtual void StartClip(std::string_view name) = 0;
};

// An output that drops every clip; for machines without an audio device.
std::shared_ptr<ISoundOutput> MakeSilentSoundOutput();

}  // namespace kelvandor
