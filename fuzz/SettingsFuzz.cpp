// The settings loader over arbitrary stored values: four bytes per number in the order of
// the names, the rest as the puzzle path. Whatever is stored, the loaded values must lie in
// their ranges, and the port's name must be one the status bar can show.

#include <cstring>
#include <string>

#include "FuzzTarget.h"
#include "remote/SerialPort.h"
#include "settings/GameSettings.h"
#include "settings/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvandor;
    const char* const names[] = {"UseFormular", "JoystickOn", "AutoStars", "StarSize", "Timeout", "ComPort"};
    CMemorySettingsStore store;
    std::size_t at = 0;
    for (const char* name : names) {
        if (at + 4 <= size) {
            std::uint32_t value = 0;
            std::memcpy(&value, data + at, 4);
            store.WriteNumber(name, value);
            at += 4;
        }
    }
    store.WriteText("PicPath", std::string(reinterpret_cast<const char*>(data) + at, size - at));
    GameSettings settings;
    LoadSettings(store, settings);
    if (settings.Timeout > kMaxTimeoutSeconds || settings.ComPort > kMaxComPortIndex ||
        ComPortName(static_cast<int>(settings.ComPort)).find('-') != std::string::npos) {
        __builtin_trap();
    }
    return 0;
}
