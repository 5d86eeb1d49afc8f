#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kelvandor {
namespace {

// The magic numbers of linux/magic.h for the file systems whose files are made up by the
// kernel on reading: their sizes say nothing, and some reads wait for events.
constexpr unsigned long kPseudoFileSystems[] = {
    0x9fa0,      // proc
    0x62656572,  // sysfs
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0x27e0eb,    // cgroup
    0x63677270,  // cgroup2
    0xcafe4a11,  // bpf
    0x6165676C,  // pstore
    0xde5e81e4,  // efivarfs
    0x62656570,  // configfs
    0x65735543,  // fusectl
    0x1cd1,      // devpts
    0x42494e4d,  // binfmt_misc
};

bool IsPseudo(const struct statfs& info) {
    const auto type = static_cast<unsigned long>(info.f_type);
    return std::find(std::begin(kPseudoFileSystems), std::end(kPseudoFileSystems), type) !=
           std::end(kPseudoFileSystems);
}

OpenedFile Refused(FileRefusal why, int fd = -1) {
    if (fd >= 0) {
        ::close(fd);
    }
    OpenedFile file;
    file.refusal = why;
    return file;
}

}  // namespace

std::optional<FileStamp> StampFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    const auto ns = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return FileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::uint64_t>(info.st_size), ns(info.st_mtim), ns(info.st_ctim)};
}

bool OnPseudoFileSystem(const std::string& path) {
    struct statfs info {};
    return ::statfs(path.c_str(), &info) == 0 && IsPseudo(info);
}

OpenedFile OpenRegularFile(const std::string& path, std::uint64_t maxSize) {
    // Look before opening: opening a device or a pipe may itself wait or act.
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) {
        return Refused(errno == EACCES ? FileRefusal::Unreadable : FileRefusal::Missing);
    }
    if (!S_ISREG(before.st_mode)) {
        return Refused(FileRefusal::NotRegular);
    }
    if (OnPseudoFileSystem(path)) {
        return Refused(FileRefusal::PseudoFiles);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Refused(errno == ENOENT ? FileRefusal::Missing : FileRefusal::Unreadable);
    }
    // The name may have been swapped for something else in between: judge what was opened.
    struct stat info {};
    struct statfs fsInfo {};
    if (::fstat(fd, &info) != 0 || ::fstatfs(fd, &fsInfo) != 0) {
        return Refused(FileRefusal::Unreadable, fd);
    }
    if (!S_ISREG(info.st_mode)) {
        return Refused(FileRefusal::NotRegular, fd);
    }
    if (IsPseudo(fsInfo)) {
        return Refused(FileRefusal::PseudoFiles, fd);
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size == 0) {
        return Refused(FileRefusal::Empty, fd);
    }
    if (size > maxSize) {
        return Refused(FileRefusal::TooLarge, fd);
    }
    OpenedFile file;
    file.fd = fd;
    file.size = size;
    file.refusal = FileRefusal::None;
    return file;
}

std::string ReadOpenedFile(const OpenedFile& file, std::uint64_t maxBytes) {
    std::string bytes;
    if (file.fd < 0) {
        return bytes;
    }
    bytes.resize(static_cast<std::size_t>(std::min(file.size, maxBytes)));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(file.fd, bytes.data() + done, bytes.size() - done,
                                  static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace kelvandor
