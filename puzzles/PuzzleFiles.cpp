#include "puzzles/PuzzleFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "base/RegularFile.h"
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

struct CFolderListings::Store {
    // Folded name -> the entry of that folded name that comes first in byte order.
    using Listing = std::map<std::u32string, std::string>;
    std::map<std::pair<dev_t, ino_t>, Listing> listings;
};

CFolderListings::CFolderListings() : store_(std::make_unique<Store>()) {}
CFolderListings::~CFolderListings() = default;

std::size_t CFolderListings::ListedCount() const {
    return store_->listings.size();
}

std::optional<std::string> CFolderListings::FindIgnoringCase(const std::string& folder,
                                                             std::string_view name) {
    const std::string where = folder.empty() ? std::string(1, kSeparator) : folder;
    struct stat info {};
    if (::stat(where.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    const auto key = std::make_pair(info.st_dev, info.st_ino);
    auto found = store_->listings.find(key);
    if (found == store_->listings.end()) {
        Store::Listing listing;
        std::error_code ec;
        fs::directory_iterator it(fs::path(where), ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::string entry = it->path().filename().native();
            std::u32string folded = FoldedName(entry);
            auto [slot, added] = listing.try_emplace(std::move(folded), entry);
            if (!added && entry < slot->second) {
                slot->second = std::move(entry);
            }
        }
        found = store_->listings.emplace(key, std::move(listing)).first;
    }
    const auto match = found->second.find(FoldedName(name));
    if (match == found->second.end()) {
        return std::nullopt;
    }
    return match->second;
}

ResolvedPath ResolvePuzzleFile(const std::string& root, std::int32_t number,
                               std::string_view name, CFolderListings* listings) {
    ResolvedPath result;
    result.path = PuzzleFilePath(root, number, name);
    if (Exists(result.path)) {
        result.exists = true;
        return result;
    }
    std::vector<std::string> parts = SplitComponents(name);
    if (parts.size() > kMaxNameComponents) {
        return result;  // the built path, reported as missing
    }
    parts.insert(parts.begin(), PuzzleFolderName(number));
    CFolderListings ownListings;
    CFolderListings& lookup = listings != nullptr ? *listings : ownListings;

    std::string current = root;
    bool adjusted = false;
    for (const std::string& part : parts) {
        std::string candidate = current + kSeparator + part;
        if (!Exists(candidate)) {
            std::optional<std::string> match = lookup.FindIgnoringCase(current, part);
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
    const OpenedFile file = OpenRegularFile(path);
    switch (file.refusal) {
        case FileRefusal::None:
            break;
        case FileRefusal::Missing:
            head.status = FileReadStatus::Missing;
            return head;
        case FileRefusal::Empty:
            head.status = FileReadStatus::Ok;  // read, and nothing in it
            return head;
        case FileRefusal::NotRegular:
        case FileRefusal::PseudoFiles:
            head.status = FileReadStatus::NotARegularFile;
            return head;
        case FileRefusal::TooLarge:
        case FileRefusal::Unreadable:
            head.status = FileReadStatus::Unreadable;
            return head;
    }
    head.fileSize = file.size;
    head.bytes = ReadOpenedFile(file, maxBytes);
    ::close(file.fd);
    head.status = FileReadStatus::Ok;
    return head;
}

}  // namespace kelvandor
