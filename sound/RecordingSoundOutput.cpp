#include "sound/RecordingSoundOutput.h"

namespace kelvandor {

void CRecordingSoundOutput::StartClip(std::string_view name) {
    const std::uint32_t tick = clock_ ? clock_->TickCount() : 0;
    {
        std::lock_guard lock(mutex_);
        starts_.push_back(Start{std::string(name), tick});
    }
    changed_.notify_all();
}

std::vector<CRecordingSoundOutput::Start> CRecordingSoundOutput::Starts() const {
    std::lock_guard lock(mutex_);
    return starts_;
}

std::vector<std::string> CRecordingSoundOutput::TakeNames() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    names.reserve(starts_.size());
    for (Start& start : starts_) {
        names.push_back(std::move(start.name));
    }
    starts_.clear();
    return names;
}

bool CRecordingSoundOutput::WaitForStarts(std::size_t count,
                                          std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return starts_.size() >= count; });
}

}  // namespace kelvandor
