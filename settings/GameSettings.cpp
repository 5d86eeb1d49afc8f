#include "settings/GameSettings.h"

#include <cstdint>
#include <optional>

namespace kelvandor {
namespace {

void ReadNumber(ISettingsStore& store, const char* name, std::uint32_t& member) {
    if (std::optional<std::uint32_t> value = store.ReadNumber(name)) {
        member = *value;
    }
}

}  // namespace

void LoadSettings(ISettingsStore& store, GameSettings& settings) {
    ReadNumber(store, kSettingUseFormulas, settings.UseFormulas);
    ReadNumber(store, kSettingJoystickOn, settings.JoystickOn);
    ReadNumber(store, kSettingAutoStars, settings.AutoStars);
    ReadNumber(store, kSettingStarSize, settings.StarSize);
    if (std::optional<std::string> path = store.ReadText(kSettingPuzzlePath)) {
        settings.PuzzlePath = *path;
    }
    ReadNumber(store, kSettingTimeout, settings.Timeout);
    ReadNumber(store, kSettingComPort, settings.ComPort);
    if (settings.Timeout > kMaxTimeoutSeconds) {
        settings.Timeout = kMaxTimeoutSeconds;
    }
    // A port the serial layer cannot open would only show as "COM4294967296" and never work.
    if (settings.ComPort > kMaxComPortIndex) {
        settings.ComPort = 0;
    }
}

bool SaveSettings(ISettingsStore& store, const GameSettings& settings) {
    bool ok = true;
    ok &= store.WriteNumber(kSettingUseFormulas, settings.UseFormulas);
    ok &= store.WriteNumber(kSettingJoystickOn, settings.JoystickOn);
    ok &= store.WriteNumber(kSettingAutoStars, settings.AutoStars);
    ok &= store.WriteNumber(kSettingStarSize, settings.StarSize);
    ok &= store.WriteText(kSettingPuzzlePath, settings.PuzzlePath);
    ok &= store.WriteNumber(kSettingComPort, settings.ComPort);
    ok &= store.WriteNumber(kSettingTimeout, settings.Timeout);
    return ok;
}

}  // namespace kelvandor
