#pragma once
// The game's settings store on QSettings: the application's settings home (organisation
// "XQ", application "Kelvandor"), values at its top level. On Windows that is the registry
// key Software\XQ\Kelvandor, elsewhere ~/.config/XQ/Kelvandor.conf.

#include "settings/SettingsStore.h"

namespace kelvandor {

class CQSettingsStore final : public ISettingsStore {
public:
    // Numbers read as 32-bit words: a stored negative number wraps (-1 is 0xFFFFFFFF), text
    // that is not a number counts as unreadable.
    std::optional<std::uint32_t> ReadNumber(const std::string& name) override;
    // Texts are byte strings. They are stored as text when they are valid UTF-8 (paths on
    // this system are) and as raw bytes otherwise, so that nothing is lost either way.
    std::optional<std::string> ReadText(const std::string& name) override;
    bool WriteNumber(const std::string& name, std::uint32_t value) override;
    bool WriteText(const std::string& name, const std::string& value) override;
};

}  // namespace kelvandor
