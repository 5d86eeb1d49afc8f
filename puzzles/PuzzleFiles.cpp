#include "puzzles/PuzzleFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "base/TextCodec.h"

namespace kelvandor {
namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = '/';

std::u32string FoldedName(std::string_view name) {
    std::optional<std::u32string> decoded = DecodeUtf8(name);
    std::u32string cps = decoded ? std::move(*decoded) : DecodeWindows1252(name);
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
