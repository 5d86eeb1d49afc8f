#include "puzzles/StringList.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace kelvandor {

StringList::StringList(std::size_t payloadSize) : payloadSize_(payloadSize) {}

void StringList::Clear() {
    entries_.clear();
}

void StringList::Insert(std::size_t pos, std::string_view text, const void* payload) {
    // Entries are zero-terminated byte strings in the file format's world; a zero byte in the
    // middle would end the text there, so it is cut here once instead of at every reader.
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) {
        text = text.substr(0, zero);
    }
    Entry entry;
    entry.text.assign(text);
    entry.payload.assign(payloadSize_, 0);
    if (payload != nullptr && payloadSize_ > 0) {
        std::memcpy(entry.payload.data(), payload, payloadSize_);
    }
    pos = std::min(pos, entries_.size());
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(entry));
}

std::size_t StringList::Count() const {
    return entries_.size();
}

std::size_t StringList::PayloadSize() const {
    return payloadSize_;
}

const std::string& StringList::Text(std::size_t i) const {
    assert(i < entries_.size());
    return entries_[i].text;
}

const std::uint8_t* StringList::Payload(std::size_t i) const {
    assert(i < entries_.size());
    return entries_[i].payload.data();
}

}  // namespace kelvandor
