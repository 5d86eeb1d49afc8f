#include "image/HelperThread.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace kelvandor {

namespace {

class CHelperThread {
public:
    CHelperThread() = default;
    CHelperThread(const CHelperThread&) = delete;
    CHelperThread& operator=(const CHelperThread&) = delete;

    ~CHelperThread() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    // Hands job to the helper if no other caller holds it. After true the caller must call
    // Finish.
    bool Start(std::function<void()> job) {
        std::unique_lock lock(mutex_);
        if (claimed_ || stop_) {
            return false;
        }
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { Loop(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        claimed_ = true;
        done_ = false;
        job_ = std::move(job);
        lock.unlock();
        wake_.notify_one();
        return true;
    }

    // Waits for the job given to Start (or takes it back if the helper has not begun it),
    // frees the helper for the next caller and rethrows the job's exception, if any.
    void Finish() {
        std::unique_lock lock(mutex_);
        if (job_) {
            job_ = nullptr;
            done_ = true;
        }
        finished_.wait(lock, [this] { return done_; });
        claimed_ = false;
        const std::exception_ptr error = std::exchange(error_, nullptr);
        lock.unlock();
        if (error) {
            std::rethrow_exception(error);
        }
    }

private:
    void Loop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || job_; });
            if (!job_) {
                return;
            }
            const std::function<void()> job = std::exchange(job_, nullptr);
            lock.unlock();
            std::exception_ptr error;
            try {
                job();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            error_ = error;
            done_ = true;
            finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::function<void()> job_;
    std::exception_ptr error_;
    bool claimed_ = false, done_ = false, stop_ = false;
    std::thread thread_;
};

}  // namespace

void RunRowsInTwo(std::uint32_t count, bool split,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work) {
    static CHelperThread helper;
    // On a single processor the two halves would only take turns.
    static const bool twoProcessors = std::thread::hardware_concurrency() != 1;
    if (!split || count < 2 || !twoProcessors) {
        work(0, count);
        return;
    }
    // Both threads take small runs of rows until none are left, so that neither waits long
    // for the other when one of them gets less of the processor.
    const std::uint64_t run = std::max<std::uint32_t>(1, count / 16);
    std::atomic<std::uint64_t> next{0};
    const auto takeRuns = [&work, &next, run, count] {
        for (std::uint64_t first = next.fetch_add(run); first < count;
             first = next.fetch_add(run)) {
            work(static_cast<std::uint32_t>(first),
                 static_cast<std::uint32_t>(std::min<std::uint64_t>(first + run, count)));
        }
    };
    if (!helper.Start(takeRuns)) {
        work(0, count);
        return;
    }
    try {
        takeRuns();
    } catch (...) {
        next.store(count);  // the helper takes no further rows
        try {
            helper.Finish();  // the helper may still use the caller's data
        } catch (...) {
        }
        throw;
    }
    helper.Finish();
}

}  // namespace kelvandor
