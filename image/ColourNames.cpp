#include "image/ColourNames.h"

#include <algorithm>
#include <cstring>

#include "base/NumberText.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr ColourName kColourNames[] = {
#include "image/ColourNameTable.inc"
};

constexpr std::size_t kLongestName = 32;

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[noreturn]] void Refuse() {
    throw EXpmError(xpm_messages::kColourFormatNotSupported);
}

// "#" followed by red, green and blue of one to four hexadecimal digits each; each channel
// is scaled from its own range to 0..255 (so "#F00" is full red, and the 16-bit channels of
// "#RRRRGGGGBBBB" are rounded to 8 bits).
std::uint32_t HexColour(std::string_view digits) {
    const std::size_t count = ReadDigitRun(digits, 16, UINT64_MAX).length;
    if (count == 0 || count % 3 != 0 || count > 12) {
        Refuse();
    }
    const std::size_t per = count / 3;
    const std::uint32_t most = (1u << (4 * per)) - 1;
    std::uint32_t value = 0;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        const auto v = static_cast<std::uint32_t>(
            ReadDigitRun(digits.substr(channel * per, per), 16, 0xFFFF).value);
        value = (value << 8) | ((v * 255 + most / 2) / most);
    }
    return value;
}

}  // namespace

std::span<const ColourName> ColourNameTable() {
    return kColourNames;
}

std::optional<std::uint32_t> FindColourName(std::string_view name) {
    if (name.empty() || name.size() > kLongestName) {
        return std::nullopt;
    }
    char folded[kLongestName];
    std::transform(name.begin(), name.end(), folded, LowerAscii);
    const std::string_view key(folded, name.size());
    const auto* const end = std::end(kColourNames);
    const auto* const found = std::lower_bound(std::begin(kColourNames), end, key,
                                               [](const ColourName& entry, std::string_view k) {
                                                   return std::string_view(entry.name) < k;
                                               });
    if (found == end || std::string_view(found->name) != key) {
        return std::nullopt;
    }
    return found->value;
}

bool ParseXpmColour(std::string_view line, std::size_t charsPerPixel, XpmColour& colour) {
    std::size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    if (at == line.size() || line[at] != '"') {
        return false;
    }
    ++at;
    // The pixel code, then the key between blanks.
    if (line.size() - at < charsPerPixel) {
        Refuse();
    }
    const std::string_view code = line.substr(at, charsPerPixel);
    if (code.find('"') != std::string_view::npos) {
        Refuse();
    }
    at += charsPerPixel;
    const auto skipBlanks = [&] {
        while (at < line.size() && IsBlank(line[at])) {
            ++at;
        }
    };
    skipBlanks();
    if (at == line.size() || (line[at] != 'c' && line[at] != 'g' && line[at] != 's')) {
        Refuse();
    }
    ++at;
    skipBlanks();
    const std::string_view value = line.substr(at);
    colour.code.assign(code);
    if (value.size() >= 4 && std::equal(value.begin(), value.begin() + 4, "none",
                                        [](char a, char b) { return LowerAscii(a) == b; })) {
        colour.value = kXpmTransparent;
    } else if (!value.empty() && value[0] == '#') {
        colour.value = HexColour(value.substr(1));
    } else {
        // Blanks belong to the name: only these end it.
        const std::string_view name = value.substr(0, value.find_first_of("\t\n\r\",;"));
        const std::optional<std::uint32_t> found = FindColourName(name);
        if (!found) {
            Refuse();
        }
        colour.value = *found;
    }
    return true;
}

}  // namespace kelvandor
