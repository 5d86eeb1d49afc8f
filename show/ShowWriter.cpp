#include "show/ShowWriter.h"

#include <utility>

#include "show/ShowFiles.h"

namespace kelvandor {

CShowWriter::CShowWriter() : thread_([this] { Run(); }) {}

CShowWriter::~CShowWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void CShowWriter::ReplaceFile(std::string path, std::string bytes) {
    {
        std::lock_guard lock(mutex_);
        if (replacement_) {
            ++done_;  // the older standing is superseded before it was written
        }
        replacement_.emplace(std::move(path), std::move(bytes));
        ++queued_;
    }
    wake_.notify_one();
}

void CShowWriter::AppendLine(std::string path, std::string header, std::string line) {
    {
        std::lock_guard lock(mutex_);
        appends_.push_back({std::move(path), std::move(header), std::move(line)});
        ++queued_;
    }
    wake_.notify_one();
}

void CShowWriter::Flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = queued_;
    idle_.wait(lock, [&] { return done_ >= target; });
}

std::optional<std::string> CShowWriter::TakeError() {
    std::lock_guard lock(mutex_);
    return std::exchange(error_, std::nullopt);
}

void CShowWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || replacement_ || !appends_.empty(); });
        if (!replacement_ && appends_.empty()) {
            return;  // stopping with nothing left to write
        }
        std::string failure;
        if (!appends_.empty()) {
            const Append job = std::move(appends_.front());
            appends_.pop_front();
            lock.unlock();
            failure = ::kelvandor::AppendLine(job.path, job.header, job.line);
        } else {
            const auto job = std::move(*replacement_);
            replacement_.reset();
            lock.unlock();
            failure = ReplaceFileAtomically(job.first, job.second);
        }
        lock.lock();
        if (!failure.empty()) {
            error_ = std::move(failure);
        }
        ++done_;
        idle_.notify_all();
    }
}

}  // namespace kelvandor
