#pragma once
// Opening files that come from outside (pictures, Game.txt, the settings file) so that no
// read can block: only regular files of known, non-zero size on a real file system are
// opened, and without blocking. A name may point anywhere (a picture name with "../", a
// symbolic link), and some "regular files" never end or never return from a read: the
// kernel's message buffer in /proc, the attribute files of /sys. Those file systems are
// refused outright, and a reader reads at most the size that the file had when it was opened.

#include <cstdint>
#include <optional>
#include <string>

namespace kelvandor {

enum class FileRefusal {
    None,           // opened
    Missing,        // nothing of that name (or a component is not a folder)
    NotRegular,     // a folder, pipe, socket or device
    Empty,          // a regular file of size 0: nothing to read, or a size the kernel hides
    PseudoFiles,    // on /proc, /sys or another of the kernel's file systems
    TooLarge,       // larger than the caller accepts
    Unreadable,     // no permission, or an error while opening
};

struct OpenedFile {
    int fd = -1;             // open for reading, non-blocking, close-on-exec; -1 when refused
    std::uint64_t size = 0;  // bytes the file held when it was opened
    FileRefusal refusal = FileRefusal::Missing;
};

// Opens `path` (symbolic links followed) when it names a regular file of 1 to `maxSize`
// bytes that does not lie on one of the kernel's pseudo-file systems. The caller owns and
// closes the descriptor and reads no more than `size` bytes from it.
OpenedFile OpenRegularFile(const std::string& path, std::uint64_t maxSize = UINT64_MAX);

// Reads up to `maxBytes` from the start of an opened file, never more than its size; fewer on
// a read error or when the file shrank. Closes nothing.
std::string ReadOpenedFile(const OpenedFile& file, std::uint64_t maxBytes);

// What tells one version of a file from another without reading it: a file replaced (a new
// inode), rewritten (a new time of modification or change) or grown has another stamp.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file `path` names (symbolic links followed); nothing when it cannot be
// looked at. Opens nothing, so it never waits on a pipe or a device.
std::optional<FileStamp> StampFile(const std::string& path);

// True when the file system holding `path` is one of the kernel's pseudo-file systems
// (proc, sysfs, debugfs, tracefs, securityfs, cgroups, ...), whose files may block or never
// end however they look.
bool OnPseudoFileSystem(const std::string& path);

}  // namespace kelvandor
