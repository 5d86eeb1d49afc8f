#include "settings/GameSettings.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace kelvandor {
namespace {

void ReadNumber(ISettingsStore& store, const char* name, std::uint32_t& member) {
    if (std::optional<std::uint32_t> value = store.ReadNumber(name)) {
        member = *value;
    }
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = Lower(c);
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    return 99;
}

// Reads the number of the COM-port box; saturates instead of overflowing on long digit runs.
std::int64_t ReadPortNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        switch (Lower(text[i + 1])) {
            case 'x':
                base = 16;
                i += 2;
                break;
            case 'd':
                base = 10;
                i += 2;
                break;
            case 'o':
                base = 8;
                i += 2;
                break;
            case 'b':
                base = 2;
                i += 2;
                break;
            default:
                break;
        }
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit >= base) {
            break;
        }
        value = value * base + digit;
        if (value > kLimit) {
            value = kLimit;
        }
    }
    return negative ? -value : value;
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

std::uint32_t ComPortFromText(std::string_view text) {
    text = text.substr(0, 31);
    if (text.size() >= 3 && Lower(text[0]) == 'c' && Lower(text[1]) == 'o' &&
        Lower(text[2]) == 'm') {
        text.remove_prefix(3);
    }
    const std::int64_t n = ReadPortNumber(text);
    return n > 0 ? static_cast<std::uint32_t>(n - 1) : 0;
}

std::uint32_t TimeoutFromEntry(std::int32_t seconds, std::uint32_t current) {
    if (seconds == 0) {
        return 0;
    }
    if (seconds >= 1 && seconds <= 19) {
        return 20;
    }
    if (seconds >= 20 && seconds <= 119) {
        return static_cast<std::uint32_t>(seconds);
    }
    return current;
}

}  // namespace kelvandor
