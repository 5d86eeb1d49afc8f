#pragma once
// The program's one sound request: PlaySoundAsync("TICK") and friends. It goes to a
// process-wide player that is made on first use with the real clock and the SDL audio
// output (which falls back to silence when no audio device opens). Tests and headless runs
// put a player of their own in its place.

#include <memory>

#include "sound/SoundPlayer.h"

namespace kelvandor {

// Requests one of the sounds "TICK", "TUCK", "WRONG", "ERROR", "CLING1", "CLING2" and returns
// at once; see CSoundPlayer for the gate. A null name is ignored. Reports nothing.
void PlaySoundAsync(const char* name);

// Makes `player` the one that PlaySoundAsync uses and returns the one it replaces (empty
// when the default was not made yet). An empty `player` puts back a fresh default, with a
// fresh gate, made on the next request.
std::shared_ptr<CSoundPlayer> SetSoundPlayer(std::shared_ptr<CSoundPlayer> player);

}  // namespace kelvandor
