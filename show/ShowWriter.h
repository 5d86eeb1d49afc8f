#pragma once
// The show's one writer thread: the journal and the log reach the disk here, so that the
// game's tick never waits for a disk. Journal replacements coalesce (only the newest standing
// matters); log lines are appended in the order they came. A failure is kept for the shell
// to show and never stops the writer: the next journal simply tries again.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kelvandor {

class CShowWriter {
public:
    CShowWriter();
    // Writes what is still queued, then ends the thread.
    ~CShowWriter();
    CShowWriter(const CShowWriter&) = delete;
    CShowWriter& operator=(const CShowWriter&) = delete;

    // Replaces the file at `path` with `bytes` (ReplaceFileAtomically); a replacement still
    // queued for the same moment is dropped in favour of this one.
    void ReplaceFile(std::string path, std::string bytes);
    // Appends `line` to the file at `path`, `header` first in a new file (AppendLine).
    void AppendLine(std::string path, std::string header, std::string line);

    // Returns once everything queued before the call is on the disk (or has failed).
    void Flush();

    // The newest failure not taken yet, in one line.
    std::optional<std::string> TakeError();

private:
    struct Append {
        std::string path, header, line;
    };

    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<std::pair<std::string, std::string>> replacement_;
    std::deque<Append> appends_;
    std::uint64_t queued_ = 0;   // jobs queued so far
    std::uint64_t done_ = 0;     // jobs written (or failed, or coalesced away) so far
    std::optional<std::string> error_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace kelvandor
