// The reading of typed numbers in the game's input boxes.

#include "settings/DialogInput.h"

#include <cstdint>
#include <optional>

#include "base/NumberText.h"

namespace kelvandor {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Saturating just above the int32 range: a huge entry stays huge instead of wrapping around
// to a small, plausible number.
constexpr std::uint64_t kNumberBoxCap = std::uint64_t{1} << 32;

// All of `digits` in `base`, or nullopt when it is empty or holds anything else.
std::optional<std::uint64_t> ReadDigits(std::string_view digits, int base) {
    const DigitRun run = ReadDigitRun(digits, base, kNumberBoxCap);
    if (digits.empty() || run.length != digits.size()) {
        return std::nullopt;
    }
    return run.value;
}

// The base that a letter of a number names: `hex` for 16 ('x' in a prefix, 'h' in a suffix),
// 'o' for 8, 'b' for 2; 0 for any other letter.
int BaseOfLetter(char c, char hex) {
    c = Lower(c);
    return c == hex ? 16 : c == 'o' ? 8 : c == 'b' ? 2 : 0;
}

int PrefixBase(char c) {
    return BaseOfLetter(c, 'x');
}

int SuffixBase(char c) {
    return BaseOfLetter(c, 'h');
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

// Reads the number of the COM-port box; saturates instead of overflowing on long digit runs.
std::int64_t ReadPortNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        // This box also takes "0d" for decimal.
        const int prefixed = Lower(text[i + 1]) == 'd' ? 10 : PrefixBase(text[i + 1]);
        if (prefixed != 0) {
            base = prefixed;
            i += 2;
        }
    }
    constexpr std::uint64_t kLimit = INT32_MAX;
    const auto value = static_cast<std::int64_t>(ReadDigitRun(text.substr(i), base, kLimit).value);
    return negative ? -value : value;
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

std::uint32_t ComPortFromText(std::string_view text) {
    text = text.substr(0, 31);
    if (text.size() >= 3 && Lower(text[0]) == 'c' && Lower(text[1]) == 'o' &&
        Lower(text[2]) == 'm') {
        text.remove_prefix(3);
    }
    const std::int64_t n = ReadPortNumber(text);
    return n > 0 ? static_cast<std::uint32_t>(n - 1) : 0;
}

std::uint32_t TimeoutFromEntry(std::int32_t seconds, std::uint32_t current) {
    if (seconds == 0) {
        return 0;
    }
    if (seconds >= 1 && seconds <= 19) {
        return 20;
    }
    if (seconds >= 20 && seconds <= 119) {
        return static_cast<std::uint32_t>(seconds);
    }
    return current;
}

}  // namespace kelvandor
