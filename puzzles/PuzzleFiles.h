#pragma once
// Where the files of a puzzle live and how they are read. Puzzle folders are often made on
// Windows, where names are compared without regard to case; so when a path component does
// not exist exactly, the folder is searched for an entry that differs only in case (ASCII and
// the Latin-1 letters such as Ä/ä), or that is the UTF-8 spelling of a Windows-1252 name.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvandor {

// "Game%03i": 1 gives Game001, 42 Game042, 1000 Game1000.
std::string PuzzleFolderName(std::int32_t number);

// The built path of a file in puzzle folder `number` below `root`: root, separator, folder
// name, separator, name. A '\' in `name` is taken as a separator, so a picture name written
// on Windows ("bilder\nil.png") is a relative path inside the puzzle folder. The root is used
// as given; an empty root gives a path from the file-system root, as an empty root gives a
// path from the drive's root on Windows.
std::string PuzzleFilePath(const std::string& root, std::int32_t number, std::string_view name);

// A picture name of more path components than this is not looked up (reported missing): no
// picture set needs that many, and each component that misses by case costs a folder listing.
constexpr std::size_t kMaxNameComponents = 16;

// The folder listings of one puzzle load, so that each folder is listed at most once however
// many names pass through it. Folders are told apart by device and inode, so a symbolic-link
// loop that names one folder by ever longer paths is still listed once.
class CFolderListings {
public:
    CFolderListings();
    ~CFolderListings();
    CFolderListings(const CFolderListings&) = delete;
    CFolderListings& operator=(const CFolderListings&) = delete;

    // The entry of `folder` whose name matches `name` without regard to case; the first in
    // byte order when several do. nullopt when none does or the folder cannot be listed.
    std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view name);
    // How many folders were listed, for the tests.
    std::size_t ListedCount() const;

private:
    struct Store;
    std::unique_ptr<Store> store_;
};

struct ResolvedPath {
    std::string path;           // the path found, or the built path when nothing matched
    bool exists = false;        // the path names an existing file or folder
    bool caseAdjusted = false;  // at least one component was matched without regard to case
};

// Finds the file that PuzzleFilePath names, looking up each component below `root` without
// regard to case when it does not exist exactly. The root itself is taken as given. A name of
// more than kMaxNameComponents components is reported missing unless it exists exactly.
// Folder listings go through `listings` when given (one per puzzle load), else are made anew.
ResolvedPath ResolvePuzzleFile(const std::string& root, std::int32_t number, std::string_view name,
                               CFolderListings* listings = nullptr);

// True when two names are equal without regard to case. Each name is decoded as UTF-8 when it
// is valid UTF-8, else as Windows-1252, so "M\xFCller.png" matches "m\xC3\xBCller.PNG".
bool NamesMatchIgnoringCase(std::string_view a, std::string_view b);

// True when the bytes are well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(std::string_view bytes);

// True when `path` names a regular file (symbolic links followed).
bool IsRegularFile(const std::string& path);

enum class FileReadStatus { Ok, Missing, NotARegularFile, Unreadable };

struct FileHead {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;           // at most the requested number of bytes
    std::uint64_t fileSize = 0;  // the whole file's size, for telling what was cut off
};

// Reads at most `maxBytes` from the start of a regular file. Anything else (a folder, a
// device, a pipe, a file of /proc or /sys) is not read, so a strange Game.txt can neither
// block nor flood the reader (base/RegularFile.h).
FileHead ReadFileHead(const std::string& path, std::size_t maxBytes);

}  // namespace kelvandor
