#include "game/HeadlessViewHost.h"

#include "game/KelvandorView.h"

namespace kelvandor {

CHeadlessViewHost::CHeadlessViewHost(std::uint32_t startTick, std::int64_t seconds)
    : now_(startTick), seconds_(seconds) {}

void CHeadlessViewHost::RunTicks(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        now_ += kTickMilliseconds;
        if (view_ != nullptr) {
            view_->OnTimer(kGameTimerId);
        }
        DeliverPosted();
    }
}

bool CHeadlessViewHost::RunTicksUntil(std::uint32_t maxTicks,
                                      const std::function<bool()>& condition) {
    for (std::uint32_t i = 0; i < maxTicks; ++i) {
        if (condition()) {
            return true;
        }
        RunTicks(1);
    }
    return condition();
}

std::size_t CHeadlessViewHost::DeliverPosted(std::size_t limit) {
    std::size_t ran = 0;
    while (view_ != nullptr && ran < limit) {
        Posted next;
        {
            std::lock_guard lock(postedMutex_);
            if (posted_.empty()) {
                break;
            }
            next = posted_.front();
            posted_.pop_front();
        }
        ++ran;
        if (const auto* command = std::get_if<CommandId>(&next)) {
            view_->OnCommand(*command);
        } else if (const auto* button = std::get_if<RemoteButton>(&next)) {
            view_->OnRemoteButton(button->code);
        } else {
            view_->OnPicturesLoaded();
        }
    }
    return ran;
}

void CHeadlessViewHost::ResizeDisplay(std::int32_t cx, std::int32_t cy) {
    if (cx < 1 || cy < 1 || !backBuffer_.Create(24, static_cast<std::uint32_t>(cx),
                                                 static_cast<std::uint32_t>(cy), 0)) {
        backBuffer_.Free();
    }
}

std::vector<CHeadlessViewHost::Area> CHeadlessViewHost::TakeInvalidated() {
    std::vector<Area> taken;
    taken.swap(invalidated_);
    return taken;
}

void CHeadlessViewHost::ForgetRecords(std::size_t keepSounds) {
    // Sounds already taken go; of those not yet taken, the newest keepSounds stay.
    const std::size_t untaken = sounds_.size() - soundsTaken_;
    const std::size_t drop = soundsTaken_ + (untaken > keepSounds ? untaken - keepSounds : 0);
    sounds_.erase(sounds_.begin(), sounds_.begin() + static_cast<std::ptrdiff_t>(drop));
    soundsTaken_ = 0;
    invalidated_.clear();
    dialogs_.clear();
}

std::vector<std::string> CHeadlessViewHost::TakeSounds() {
    std::vector<std::string> fresh(sounds_.begin() + static_cast<std::ptrdiff_t>(soundsTaken_),
                                   sounds_.end());
    soundsTaken_ = sounds_.size();
    return fresh;
}

std::optional<std::string> CHeadlessViewHost::Answer(DialogRequest request) {
    dialogs_.push_back(std::move(request));
    if (answers_.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

std::optional<std::string> CHeadlessViewHost::FolderPicker(const std::string& title,
                                                           const std::string& initialFolder) {
    return Answer({"folder", title, "", initialFolder});
}

std::optional<std::string> CHeadlessViewHost::TextInputBox(const std::string& title,
                                                           const std::string& prompt,
                                                           const std::string& initialText) {
    return Answer({"text", title, prompt, initialText});
}

std::optional<std::string> CHeadlessViewHost::NumberInputBox(const std::string& title,
                                                             const std::string& prompt,
                                                             std::int32_t initialValue) {
    return Answer({"number", title, prompt, std::to_string(initialValue)});
}

void CHeadlessViewHost::PostCommand(CommandId id) {
    std::lock_guard lock(postedMutex_);
    posted_.emplace_back(id);
}

void CHeadlessViewHost::PostRemoteButton(std::uint32_t code) {
    std::lock_guard lock(postedMutex_);
    posted_.emplace_back(RemoteButton{code});
}

void CHeadlessViewHost::PostPicturesLoaded() {
    {
        std::lock_guard lock(postedMutex_);
        posted_.emplace_back(PicturesLoaded{});
        picturesPostedFlag_ = true;
    }
    picturesPosted_.notify_all();
}

void CHeadlessViewHost::WaitForPicturesPosted() {
    std::unique_lock lock(postedMutex_);
    picturesPosted_.wait(lock, [this] { return picturesPostedFlag_; });
    picturesPostedFlag_ = false;
}

}  // namespace kelvandor
