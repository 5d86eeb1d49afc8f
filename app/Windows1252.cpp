#include "app/Windows1252.h"

#include <optional>

#include "base/TextCodec.h"

namespace kelvandor {

QString FromWindows1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        // Every Windows-1252 character lies in the basic plane: one UTF-16 unit each.
        result.append(
            QChar(static_cast<char16_t>(Windows1252ToUnicode(static_cast<unsigned char>(c)))));
    }
    return result;
}

std::string ToWindows1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const std::optional<unsigned char> byte = UnicodeToWindows1252(c.unicode());
        result.push_back(byte ? static_cast<char>(*byte) : '?');
    }
    return result;
}

}  // namespace kelvandor
