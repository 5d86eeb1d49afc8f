#include "settings/SettingsStore.h"

namespace kelvandor {

std::optional<std::uint32_t> CMemorySettingsStore::ReadNumber(const std::string& name) {
    auto it = numbers_.find(name);
    if (it == numbers_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> CMemorySettingsStore::ReadText(const std::string& name) {
    auto it = texts_.find(name);
    if (it == texts_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool CMemorySettingsStore::WriteNumber(const std::string& name, std::uint32_t value) {
    texts_.erase(name);
    numbers_[name] = value;
    return true;
}

bool CMemorySettingsStore::WriteText(const std::string& name, const std::string& value) {
    numbers_.erase(name);
    texts_[name] = value;
    return true;
}

bool CMemorySettingsStore::Contains(const std::string& name) const {
    return numbers_.count(name) != 0 || texts_.count(name) != 0;
}

void CMemorySettingsStore::Clear() {
    numbers_.clear();
    texts_.clear();
}

}  // namespace kelvandor
