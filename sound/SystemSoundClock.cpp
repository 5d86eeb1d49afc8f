#include <chrono>
#include <thread>

#include "sound/SoundClock.h"

namespace kelvandor {
namespace {

class CSystemSoundClock : public ISoundClock {
public:
    std::uint32_t TickCount() override {
        const auto sinceOrigin = std::chrono::steady_clock::now().time_since_epoch();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceOrigin);
        return static_cast<std::uint32_t>(ms.count());
    }

    void Sleep(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace

std::shared_ptr<ISoundClock> MakeSystemSoundClock() {
    return std::make_shared<CSystemSoundClock>();
}

}  // namespace kelvandor
