#pragma once
// The settings file is read whole before the first window shows, and written at exit. One
// that is no regular file (a pipe would block start-up for good), lies on a pseudo-file
// system, or is far larger than settings ever are (megabytes cost seconds at start and at
// exit) is moved aside before it is read, and the program starts with default settings.

#include <cstdint>
#include <string>

namespace kelvandor {

// Settings are a few hundred bytes; a file above 1 MiB is not one the program wrote.
inline constexpr std::uint64_t kMaxSettingsFileBytes = 1 << 20;

struct SettingsFileCheck {
    bool usable = true;    // false: the file is still there and must not be read
    std::string movedTo;   // where an unusable file went; empty when nothing was moved
    std::string warning;   // one line for standard error; empty when the file is usable
};

// Checks the settings file at `path` without opening it for reading. A missing or empty file
// is usable (defaults). An unusable one is renamed to "<path>.unusable" (or "-2", "-3", ...
// when that name is taken), so that nothing is lost and the next start is normal; when even
// that fails, usable is false and the caller keeps its settings elsewhere.
SettingsFileCheck SetAsideUnusableSettingsFile(const std::string& path,
                                               std::uint64_t maxBytes = kMaxSettingsFileBytes);

}  // namespace kelvandor
