#pragma once
// The seven settings of the game view, their stored names and defaults, and loading and
// saving them.

#include <cstdint>
#include <string>

#include "settings/SettingsStore.h"

namespace kelvandor {

// Stored value names. "UseFormular" is spelled as earlier versions stored it.
inline constexpr const char* kSettingUseFormulas = "UseFormular";
inline constexpr const char* kSettingJoystickOn = "JoystickOn";
inline constexpr const char* kSettingAutoStars = "AutoStars";
inline constexpr const char* kSettingStarSize = "StarSize";
inline constexpr const char* kSettingPuzzlePath = "PicPath";
inline constexpr const char* kSettingTimeout = "Timeout";
inline constexpr const char* kSettingComPort = "ComPort";

// The longest turn time-out, in seconds, that a stored value may ask for.
inline constexpr std::uint32_t kMaxTimeoutSeconds = 120;
// The highest port index the serial layer opens (COM256).
inline constexpr std::uint32_t kMaxComPortIndex = 255;

// The settings as plain values. The switches hold 0 or 1 when the program sets them, but any
// stored number is kept as it is.
struct GameSettings {
    std::uint32_t UseFormulas = 1;
    std::uint32_t JoystickOn = 1;
    std::uint32_t AutoStars = 1;
    std::uint32_t StarSize = 0;  // 0 large, 1 medium, 2 small, 3 two columns of small stars
    std::string PuzzlePath;      // Windows-1252 bytes, used as stored
    std::uint32_t Timeout = 0;   // seconds, 0 = none
    std::uint32_t ComPort = 0;   // 0 is COM1
};

// Reads every value present in `store` into `settings`; a missing or unreadable value keeps
// what `settings` held. Values out of range are brought into it: a Timeout above 120 (as
// unsigned, so a stored negative value too) becomes 120, and a ComPort above 255 (COM256, the
// last port the serial layer opens; a stored negative value too) becomes 0, COM1. The
// switches and StarSize keep any value (a StarSize other than 0 to 3 draws as 0).
void LoadSettings(ISettingsStore& store, GameSettings& settings);

// Writes all seven values, changed or not. A value that cannot be written does not stop the
// others. Returns false when any write failed.
bool SaveSettings(ISettingsStore& store, const GameSettings& settings);

}  // namespace kelvandor
