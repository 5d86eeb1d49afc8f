#include "sound/SoundOutput.h"

namespace kelvandor {
namespace {

class CSilentSoundOutput : public ISoundOutput {
public:
    void StartClip(std::string_view) override {}
};

}  // namespace

std::shared_ptr<ISoundOutput> MakeSilentSoundOutput() {
    return std::make_shared<CSilentSoundOutput>();
}

}  // namespace kelvandor
