// The reading of a number box's text.

#include <cstdint>
#include <optional>
#include <string_view>

#include "puzzles/PuzzleContent.h"

namespace kelvandor {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

// The magnitude of `digits` in `base`, saturated just above the int32 range so that a huge
// entry stays huge instead of wrapping around to a small, plausible number.
std::optional<std::uint64_t> ReadDigits(std::string_view digits, int base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    constexpr std::uint64_t kCap = std::uint64_t{1} << 32;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d >= base) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > kCap) {
            value = kCap;
        }
    }
    return value;
}

int PrefixBase(char c) {
    switch (c) {
        case 'x':
        case 'X':
            return 16;
        case 'o':
        case 'O':
            return 8;
        case 'b':
        case 'B':
            return 2;
        default:
            return 0;
    }
}

int SuffixBase(char c) {
    switch (c) {
        case 'h':
        case 'H':
            return 16;
        case 'o':
        case 'O':
            return 8;
        case 'b':
        case 'B':
            return 2;
        default:
            return 0;
    }
}

std::optional<std::uint64_t> ReadMagnitude(std::string_view body) {
    if (body.size() > 2 && body[0] == '0' && PrefixBase(body[1]) != 0) {
        if (auto value = ReadDigits(body.substr(2), PrefixBase(body[1]))) {
            return value;
        }
    }
    if (body.size() > 1 && SuffixBase(body.back()) != 0) {
        if (auto value = ReadDigits(body.substr(0, body.size() - 1), SuffixBase(body.back()))) {
            return value;
        }
    }
    return ReadDigits(body, 10);
}

}  // namespace

std::int32_t ParseNumberBoxText(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::size_t end = text.size();
    while (end > pos && IsBlank(text[end - 1])) {
        --end;
    }
    const std::optional<std::uint64_t> magnitude = ReadMagnitude(text.substr(pos, end - pos));
    if (!magnitude) {
        return 0;
    }
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace kelvandor
