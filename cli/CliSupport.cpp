#include "cli/CliSupport.h"

#include <cstdint>
#include <cstdio>
#include <iostream>

namespace kelvandor::cli {

int UsageError(std::string_view message) {
    std::cerr << "kelvandor-tool: " << message << "\n";
    return 2;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    // Code points of 0x80..0x9F in Windows-1252; 0 marks the five unassigned bytes, which
    // are passed through as the C1 control character of the same value.
    static const std::uint16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char c : bytes) {
        std::uint32_t cp = c;
        if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] != 0) {
            cp = kHigh[c - 0x80];
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

}  // namespace kelvandor::cli
