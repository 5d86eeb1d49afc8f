#pragma once
// The game's settings store on QSettings: the application's settings home (organisation
// "XQ", application "Kelvandor"), values at its top level. On Windows that is the registry
// key Software\XQ\Kelvandor, elsewhere ~/.config/XQ/Kelvandor.conf.

#include <memory>

#include "settings/SettingsStore.h"

class QSettings;

namespace kelvandor {

// Values written stay pending and reach the disk together, in one write of the settings
// file, at the latest when the store goes: at the end of the program the game's values and
// the frame's take one write, not one each (every write of the file waits for the disk).
class CQSettingsStore final : public ISettingsStore {
public:
    CQSettingsStore();
    // Writes what is pending.
    ~CQSettingsStore() override;

    // Numbers read as 32-bit words: a stored negative number wraps (-1 is 0xFFFFFFFF), text
    // that is not a number counts as unreadable.
    std::optional<std::uint32_t> ReadNumber(const std::string& name) override;
    // Texts are byte strings. They are stored as text when they are valid UTF-8 (paths on
    // this system are) and as raw bytes otherwise, so that nothing is lost either way.
    std::optional<std::string> ReadText(const std::string& name) override;
    // False when the settings file is known to be unwritable (a failed earlier write).
    bool WriteNumber(const std::string& name, std::uint32_t value) override;
    bool WriteText(const std::string& name, const std::string& value) override;

private:
    // Made at first use, so that it takes the settings home in force then.
    QSettings& Settings();
    std::unique_ptr<QSettings> settings_;
};

}  // namespace kelvandor
