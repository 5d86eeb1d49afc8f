#include "settings/SettingsFile.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/RegularFile.h"

namespace kelvandor {
namespace {

// Why the file cannot be used, or empty.
std::string Fault(const std::string& path, std::uint64_t maxBytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};  // missing (or unreachable): the defaults, and the file is made at exit
    }
    if (!S_ISREG(info.st_mode)) {
        return S_ISFIFO(info.st_mode) ? "a pipe" : S_ISDIR(info.st_mode) ? "a folder" : "not a regular file";
    }
    if (OnPseudoFileSystem(path)) {
        return "on a file system of the kernel";
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return std::to_string(static_cast<std::uint64_t>(info.st_size) / 1024) + " KiB large";
    }
    return {};
}

}  // namespace

SettingsFileCheck SetAsideUnusableSettingsFile(const std::string& path, std::uint64_t maxBytes) {
    SettingsFileCheck check;
    const std::string fault = Fault(path, maxBytes);
    if (fault.empty()) {
        return check;
    }
    std::string target = path + ".unusable";
    struct stat taken {};
    for (int n = 2; ::lstat(target.c_str(), &taken) == 0 && n < 1000; ++n) {
        target = path + ".unusable-" + std::to_string(n);
    }
    if (::rename(path.c_str(), target.c_str()) == 0) {
        check.movedTo = target;
        check.warning = "kelvandor: the settings file " + path + " is " + fault +
                        "; moved to " + target + ", starting with default settings";
    } else {
        check.usable = false;
        check.warning = "kelvandor: the settings file " + path + " is " + fault +
                        " and cannot be moved; settings are neither read nor kept this time";
    }
    return check;
}

}  // namespace kelvandor
