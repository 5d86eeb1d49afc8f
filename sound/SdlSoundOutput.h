#pragma once
// Sound output through SDL2 audio.

#include <memory>

#include "sound/SoundOutput.h"

namespace kelvandor {

// An output that plays the program's "WAVE" resources on the default audio device. The
// device is opened once, on the first clip, and stays open for the output's lifetime; a clip
// started replaces the playing one at once. When no device can be opened the output stays
// silent for good and says so in one line on stderr; nothing blocks. SDL_AUDIODRIVER and
// the other SDL variables choose the device as usual.
std::shared_ptr<ISoundOutput> MakeSdlSoundOutput();

}  // namespace kelvandor
