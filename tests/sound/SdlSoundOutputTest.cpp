#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "sound/PlaySound.h"
#include "sound/SdlSoundOutput.h"
#include "sound/WaveClip.h"

namespace kelvandor {
namespace {

using namespace std::chrono_literals;

// Each test runs in a process of its own (CTest runs them one by one), so the SDL variables
// set here do not leak into other tests.

TEST(SdlSoundOutputTest, WithoutAnAudioDeviceItStaysSilentAndSaysSoOnce) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    auto output = MakeSdlSoundOutput();
    testing::internal::CaptureStderr();
    output->StartClip("TICK");
    output->StartClip("CLING1");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(SdlSoundOutputTest, DefaultPlayerWithoutAnAudioDevicePlaysOutSilently) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SetSoundPlayer(nullptr);
    testing::internal::CaptureStderr();
    PlaySoundAsync("TICK");
    PlaySoundAsync("TUCK");  // waits in the gate on the real clock
    PlaySoundAsync("CLING1");
    const auto player = SetSoundPlayer(nullptr);
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->WaitUntilIdle(10s));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

std::vector<std::int16_t> MonoClipSamples(const char* name) {
    WaveClip clip;
    std::string error;
    EXPECT_TRUE(ParseWaveClip(FindSoundResource(name), clip, error)) << error;
    EXPECT_EQ(clip.channels, 1);
    std::vector<std::int16_t> samples(clip.frameCount);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] =
            static_cast<std::int16_t>(clip.samples[2 * i] | (clip.samples[2 * i + 1] << 8));
    }
    return samples;
}

// Whether the stereo stream holds the mono clip on both channels from frame `at` on.
bool HoldsClipAt(const std::vector<std::int16_t>& stereo, std::size_t at,
                 const std::vector<std::int16_t>& mono, std::size_t frames) {
    if (2 * (at + frames) > stereo.size()) {
        return false;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        // Channel conversion goes through floating point and may move a sample by one step.
        if (std::abs(stereo[2 * (at + i)] - mono[i]) > 2 ||
            std::abs(stereo[2 * (at + i) + 1] - mono[i]) > 2) {
            return false;
        }
    }
    return true;
}

std::uintmax_t FileSize(const std::filesystem::path& path) {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(path, ignored);
    return ignored ? 0 : size;
}

bool WaitForFileSize(const std::filesystem::path& path, std::uintmax_t bytes) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (FileSize(path) < bytes) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST(SdlSoundOutputTest, ANewClipCutsTheOneThatPlaysAndPlaysWhole) {
    // SDL's disk driver writes what the device would play into a file, in real time.
    const auto file = std::filesystem::path(testing::TempDir()) /
                      ("kelvandor-sound-test-" + std::to_string(getpid()) + ".raw");
    std::filesystem::remove(file);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    const auto chime = MonoClipSamples("CLING2");
    const auto tick = MonoClipSamples("TICK");
    constexpr std::uintmax_t kBytesPerSecond = 44100 * 4;

    auto output = MakeSdlSoundOutput();
    output->StartClip("CLING2");
    ASSERT_TRUE(WaitForFileSize(file, kBytesPerSecond / 10));
    output->StartClip("TICK");
    ASSERT_TRUE(WaitForFileSize(file, FileSize(file) + kBytesPerSecond / 2));
    output.reset();  // closes the device and the file

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GE(bytes.size(), kBytesPerSecond / 2) << "the disk driver wrote too little";
    std::vector<std::int16_t> stream(bytes.size() / 2);
    std::memcpy(stream.data(), bytes.data(), stream.size() * 2);

    // The chime plays from its first sample until the tick cuts in.
    std::size_t chimeAt = 0;
    while (2 * chimeAt < stream.size() && stream[2 * chimeAt] == 0) {
        ++chimeAt;
    }
    // The clip itself fades in from silence.
    for (std::size_t i = 0; chime[i] == 0 && chimeAt > 0; ++i) {
        --chimeAt;
    }
    std::size_t tickAt = chimeAt + 1;
    while (tickAt < chimeAt + chime.size() && !HoldsClipAt(stream, tickAt, tick, 256)) {
        ++tickAt;
    }
    ASSERT_LT(tickAt, chimeAt + chime.size()) << "the tick did not start";
    EXPECT_TRUE(HoldsClipAt(stream, chimeAt, chime, std::min<std::size_t>(tickAt - chimeAt, 2048)));
    EXPECT_TRUE(HoldsClipAt(stream, tickAt, tick, tick.size()));
    // After the tick, silence: the chime does not come back.
    for (std::size_t i = 2 * (tickAt + tick.size()); i < stream.size(); ++i) {
        ASSERT_EQ(stream[i], 0) << "at sample " << i;
    }
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace kelvandor
