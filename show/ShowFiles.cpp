#include "show/ShowFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kelvandor {
namespace {

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != 0) {
        return std::string(home) + "/" + fallbackBelowHome;
    }
    return {};
}

std::string Failure(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

// Writes all of `bytes` to `fd`; returns 0 or the errno of the failed write.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

std::string MakeParentFolder(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!parent.empty()) {
        std::filesystem::create_directories(parent, ec);
    }
    if (ec) {
        return "cannot make " + parent.string() + ": " + ec.message();
    }
    return {};
}

// The rename itself is only durable once the folder's entry is on the disk.
void SyncFolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ShowPaths DefaultShowPaths() {
    ShowPaths paths;
    if (std::string state = XdgFolder("XDG_STATE_HOME", ".local/state"); !state.empty()) {
        paths.journal = state + "/kelvandor/show.json";
    }
    if (std::string data = XdgFolder("XDG_DATA_HOME", ".local/share"); !data.empty()) {
        paths.log = data + "/kelvandor/show-log.csv";
    }
    return paths;
}

std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    if (std::string error = MakeParentFolder(path); !error.empty()) {
        return error;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Failure("cannot write", temporary, errno);
    }
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Failure("cannot write", path, error);
    }
    SyncFolderOf(path);
    return {};
}

std::string AppendLine(const std::string& path, std::string_view header, std::string_view line) {
    if (std::string error = MakeParentFolder(path); !error.empty()) {
        return error;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Failure("cannot open", path, errno);
    }
    const off_t before = ::lseek(fd, 0, SEEK_END);
    std::string bytes;
    if (before == 0) {
        bytes.append(header);
    }
    bytes.append(line);
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fdatasync(fd) != 0) {
        error = errno;
    }
    if (error != 0 && before >= 0) {
        // Whatever part of the line did get out would glue onto the next one.
        [[maybe_unused]] const int ignored = ::ftruncate(fd, before);
    }
    ::close(fd);
    return error == 0 ? std::string() : Failure("cannot append to", path, error);
}

}  // namespace kelvandor
