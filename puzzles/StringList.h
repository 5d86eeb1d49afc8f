#pragma once
// An ordered list of byte strings, each entry with a fixed-size payload whose size is set when
// the list is made (0 for the puzzle texts, 4 bytes for the formula sort).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvandor {

class StringList {
public:
    explicit StringList(std::size_t payloadSize = 0);

    // Frees all entries.
    void Clear();

    // Inserts at position `pos`, clamped to the count (so Count() or anything larger appends);
    // later entries move up by one. `payload` points to PayloadSize() bytes, or is null for a
    // zero-filled payload. Text bytes after a zero byte are not kept (entries hold no zero).
    void Insert(std::size_t pos, std::string_view text, const void* payload = nullptr);

    std::size_t Count() const;
    std::size_t PayloadSize() const;

    // Entry i (i < Count()): its text, and its payload of PayloadSize() bytes.
    const std::string& Text(std::size_t i) const;
    const std::uint8_t* Payload(std::size_t i) const;

private:
    struct Entry {
        std::string text;
        std::vector<std::uint8_t> payload;
    };
    std::size_t payloadSize_;
    std::vector<Entry> entries_;
};

}  // namespace kelvandor
