#include "resources/ResourceTable.h"

#include <cctype>

namespace kelvandor {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool Matches(const ResourceId& id, std::uint32_t number, const char* name) {
    if (id.IsNumber()) {
        return number == id.number;
    }
    return number == 0 && EqualNoCase(id.name, name);
}

}  // namespace

std::span<const std::uint8_t> FindResource(const ResourceId& type, const ResourceId& name) {
    for (const ResourceEntry& entry : ResourceEntries()) {
        if (Matches(type, entry.typeNumber, entry.typeName) &&
            Matches(name, entry.nameNumber, entry.name)) {
            return {entry.data, entry.size};
        }
    }
    return {};
}

}  // namespace kelvandor
