#include "puzzles/PuzzleFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

namespace kelvandor {
namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = '/';

// Code points of 0x80..0x9F in Windows-1252; 0 where the code page leaves the byte unassigned.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<std::u32string> DecodeUtf8(std::string_view s) {
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return std::nullopt;
        }
        if (extra > 0 && i + extra >= s.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

std::u32string DecodeCp1252(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        out.push_back(c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0 ? kCp1252High[c - 0x80]
                                                                          : char32_t{c});
    }
    return out;
}

char32_t FoldCase(char32_t cp) {
    if ((cp >= U'A' && cp <= U'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) {
        return cp + 0x20;
    }
    switch (cp) {
        case 0x0160:
            return 0x0161;  // Š
        case 0x0152:
            return 0x0153;  // Œ
        case 0x017D:
            return 0x017E;  // Ž
        case 0x0178:
            return 0x00FF;  // Ÿ
        default:
            return cp;
    }
}

std::u32string FoldedName(std::string_view name) {
    std::optional<std::u32string> decoded = DecodeUtf8(name);
    std::u32string cps = decoded ? std::move(*decoded) : DecodeCp1252(name);
    std::transform(cps.begin(), cps.end(), cps.begin(), FoldCase);
    return cps;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

std::vector<std::string> SplitComponents(std::string_view relative) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : relative) {
        if (c == '/' || c == '\\') {
            if (!current.empty()) {
                parts.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(std::move(current));
    }
    return parts;
}

// An entry of `folder` whose name matches `name` without regard to case; the first in byte
// order when several do, so the choice does not depend on the order of the folder listing.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder.empty() ? std::string(1, kSeparator) : folder), ec);
    if (ec) {
        return std::nullopt;
    }
    const std::u32string wanted = FoldedName(name);
    std::optional<std::string> best;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        std::string entry = it->path().filename().native();
        if (FoldedName(entry) == wanted && (!best || entry < *best)) {
            best = std::move(entry);
        }
    }
    return best;
}

}  // namespace

std::string PuzzleFolderName(std::int32_t number) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "Game%03d", static_cast<int>(number));
    return buf;
}

std::string PuzzleFilePath(const std::string& root, std::int32_t number, std::string_view name) {
    std::string path = root;
    path += kSeparator;
    path += PuzzleFolderName(number);
    path += kSeparator;
    for (char c : name) {
        path += c == '\\' ? kSeparator : c;
    }
    return path;
}

bool IsValidUtf8(std::string_view bytes) {
    return DecodeUtf8(bytes).has_value();
}

bool NamesMatchIgnoringCase(std::string_view a, std::string_view b) {
    return FoldedName(a) == FoldedName(b);
}

ResolvedPath ResolvePuzzleFile(const std::string& root, std::int32_t number,
                               std::string_view name) {
    ResolvedPath result;
    result.path = PuzzleFilePath(root, number, name);
    if (Exists(result.path)) {
        result.exists = true;
        return result;
    }
    std::vector<std::string> parts = SplitComponents(name);
    parts.insert(parts.begin(), PuzzleFolderName(number));

    std::string current = root;
    bool adjusted = false;
    for (const std::string& part : parts) {
        std::string candidate = current + kSeparator + part;
        if (!Exists(candidate)) {
            std::optional<std::string> match = FindEntryIgnoringCase(current, part);
            if (!match) {
                return result;  // the built path, reported as missing
            }
            candidate = current + kSeparator + *match;
            adjusted = true;
        }
        current = std::move(candidate);
    }
    result.path = std::move(current);
    result.exists = true;
    result.caseAdjusted = adjusted;
    return result;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

FileHead ReadFileHead(const std::string& path, std::size_t maxBytes) {
    FileHead head;
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path), ec);
    if (ec || !fs::exists(status)) {
        head.status = FileReadStatus::Missing;
        return head;
    }
    if (!fs::is_regular_file(status)) {
        head.status = FileReadStatus::NotARegularFile;
        return head;
    }
    const std::uintmax_t size = fs::file_size(fs::path(path), ec);
    head.fileSize = ec ? 0 : static_cast<std::uint64_t>(size);

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        head.status = FileReadStatus::Unreadable;
        return head;
    }
    head.bytes.resize(maxBytes);
    in.read(head.bytes.data(), static_cast<std::streamsize>(maxBytes));
    head.bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        head.bytes.clear();
        head.status = FileReadStatus::Unreadable;
        return head;
    }
    head.status = FileReadStatus::Ok;
    return head;
}

}  // namespace kelvandor
