#include "image/HelperThread.h"

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

    // Waits for the job given to Start, frees the helper for the next caller and rethrows
    // the job's exception, if any.
    void Finish() {
        std::unique_lock lock(mutex_);
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
    const std::uint32_t half = count / 2;
    if (!split || half == 0 || !helper.Start([&work, half, count] { work(half, count); })) {
        work(0, count);
        return;
    }
    try {
        work(0, half);
    } catch (...) {
        try {
            helper.Finish();  // the helper still uses the caller's data
        } catch (...) {
        }
        throw;
    }
    helper.Finish();
}

}  // namespace kelvandor
