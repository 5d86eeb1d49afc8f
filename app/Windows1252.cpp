#include "app/Windows1252.h"

#include <array>

namespace kelvandor {
namespace {

// 0x80..0x9F, where Windows-1252 differs from Latin-1; 0 marks the five unused codes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

QString FromWindows1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        char16_t unit = byte;
        if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0) {
            unit = kHighControls[byte - 0x80];
        }
        result.append(QChar(unit));
    }
    return result;
}

std::string ToWindows1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            result.push_back(static_cast<char>(unit));
            continue;
        }
        char byte = '?';
        for (std::size_t i = 0; i < kHighControls.size(); ++i) {
            if (kHighControls[i] != 0 && kHighControls[i] == unit) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        }
        result.push_back(byte);
    }
    return result;
}

}  // namespace kelvandor
