#pragma once
// Where the game keeps its seven settings between runs: a per-user store of named values,
// each a 32-bit number or a byte string. The Qt application supplies a persistent store; tests
// and the headless tool use the in-memory one.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace kelvandor {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    // The stored number `name`, or nullopt when it is missing or cannot be read as a number
    // (the caller then keeps its default).
    virtual std::optional<std::uint32_t> ReadNumber(const std::string& name) = 0;

    // The stored byte string `name`, or nullopt when it is missing or unreadable.
    virtual std::optional<std::string> ReadText(const std::string& name) = 0;

    // Store one value; false when it could not be written (the caller carries on with the
    // others and shows no message).
    virtual bool WriteNumber(const std::string& name, std::uint32_t value) = 0;
    virtual bool WriteText(const std::string& name, const std::string& value) = 0;
};

// A store that keeps its values in memory for as long as it lives. A value written as a number
// and read as text (or the other way round) counts as unreadable, as a value of the wrong type
// would in a persistent store.
class CMemorySettingsStore final : public ISettingsStore {
public:
    std::optional<std::uint32_t> ReadNumber(const std::string& name) override;
    std::optional<std::string> ReadText(const std::string& name) override;
    bool WriteNumber(const std::string& name, std::uint32_t value) override;
    bool WriteText(const std::string& name, const std::string& value) override;

    // Whether any value `name` is stored.
    bool Contains(const std::string& name) const;
    // Drops every value.
    void Clear();

private:
    std::map<std::string, std::uint32_t> numbers_;
    std::map<std::string, std::string> texts_;
};

}  // namespace kelvandor
