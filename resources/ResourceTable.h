#pragma once
// The program's compiled-in resources (bitmaps, sounds, glyph fonts), looked up the way
// Windows looks up the resources of an executable: by a type and a name, each of which is
// either a number or a word.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvandor {

// The standard numeric resource types.
constexpr std::uint32_t kResourceTypeCursor = 1;
constexpr std::uint32_t kResourceTypeBitmap = 2;
constexpr std::uint32_t kResourceTypeIcon = 3;
constexpr std::uint32_t kResourceTypeHtml = 23;

// A resource type or name: a non-zero number, or else a word.
struct ResourceId {
    std::uint32_t number = 0;
    std::string name;

    static ResourceId Number(std::uint32_t n) { return ResourceId{n, {}}; }
    static ResourceId Name(std::string_view s) { return ResourceId{0, std::string(s)}; }
    bool IsNumber() const { return number != 0; }
};

// One embedded resource. The bytes live as long as the program.
struct ResourceEntry {
    std::uint32_t typeNumber;  // non-zero for numeric types
    const char* typeName;      // upper-case word when typeNumber is 0
    std::uint32_t nameNumber;  // non-zero for numeric names
    const char* name;          // upper-case word when nameNumber is 0
    const std::uint8_t* data;
    std::size_t size;
};

// All embedded resources, in manifest order.
std::span<const ResourceEntry> ResourceEntries();

// The bytes of the resource of this type and name; an empty span when there is none.
// Words are compared without regard to case.
std::span<const std::uint8_t> FindResource(const ResourceId& type, const ResourceId& name);

}  // namespace kelvandor
