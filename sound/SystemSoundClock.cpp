#include <chrono>
#include <thread>

#include "base/SteadyTick.h"
#include "sound/SoundClock.h"

namespace kelvandor {
namespace {

class CSystemSoundClock : public ISoundClock {
public:
    std::uint32_t TickCount() override {
        return SteadyTickCount();
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
