#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/WaveClip.h"

namespace kelvandor {
namespace {

struct ExpectedClip {
    const char* name;
    std::uint16_t channels;
    double seconds;
};

// The six clips as the game expects them, with the lengths that its timing was made for.
constexpr ExpectedClip kClips[] = {
    {"TICK", 1, 0.174},  {"TUCK", 2, 0.324},   {"WRONG", 2, 1.149},
    {"ERROR", 1, 0.290}, {"CLING1", 1, 0.634}, {"CLING2", 1, 0.767},
};

std::int16_t SampleAt(const WaveClip& clip, std::size_t index) {
    return static_cast<std::int16_t>(clip.samples[2 * index] | (clip.samples[2 * index + 1] << 8));
}

TEST(WaveClipTest, EmbeddedClipsHaveTheirFormatLengthAndAreCleanlyShaped) {
    for (const ExpectedClip& expected : kClips) {
        SCOPED_TRACE(expected.name);
        WaveClip clip;
        std::string error;
        ASSERT_TRUE(ParseWaveClip(FindSoundResource(expected.name), clip, error)) << error;
        EXPECT_EQ(clip.channels, expected.channels);
        EXPECT_EQ(clip.sampleRate, 44100u);
        EXPECT_EQ(clip.bitsPerSample, 16);
        EXPECT_NEAR(clip.Seconds(), expected.seconds, 0.0005);

        // Audible but not overdriven, and no click at either end.
        const std::size_t samples = std::size_t{clip.frameCount} * clip.channels;
        int peak = 0;
        for (std::size_t i = 0; i < samples; ++i) {
            peak = std::max(peak, std::abs(int{SampleAt(clip, i)}));
        }
        EXPECT_GT(peak, 32767 / 4);
        EXPECT_LT(peak, 32767);
        EXPECT_LT(std::abs(SampleAt(clip, 0)), 200);
        EXPECT_LT(std::abs(SampleAt(clip, samples - 1)), 200);
    }
}

TEST(WaveClipTest, TheTwoChimesDifferInPitch) {
    // Counting rising zero crossings in the first 50 ms estimates the fundamental.
    auto pitch = [](const char* name) {
        WaveClip clip;
        std::string error;
        EXPECT_TRUE(ParseWaveClip(FindSoundResource(name), clip, error));
        int crossings = 0;
        for (std::size_t i = 1; i < 2205; ++i) {
            crossings += SampleAt(clip, i - 1) < 0 && SampleAt(clip, i) >= 0;
        }
        return crossings * 20;
    };
    EXPECT_GT(pitch("CLING1"), pitch("CLING2") * 1.2);
}

// A little-endian WAVE file assembled from chunks.
class WaveBytes {
public:
    WaveBytes& Chunk(const char* tag, std::vector<std::uint8_t> body, std::uint32_t size) {
        body_.insert(body_.end(), tag, tag + 4);
        Put32(body_, size);
        body_.insert(body_.end(), body.begin(), body.end());
        return *this;
    }
    WaveBytes& Chunk(const char* tag, std::vector<std::uint8_t> body) {
        const auto size = static_cast<std::uint32_t>(body.size());
        if (size % 2 == 1) {
            body.push_back(0);  // pad byte
        }
        return Chunk(tag, std::move(body), size);
    }
    WaveBytes& Format(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits) {
        std::vector<std::uint8_t> f;
        Put16(f, tag);
        Put16(f, channels);
        Put32(f, 8000);
        Put32(f, 8000u * channels * bits / 8);
        Put16(f, static_cast<std::uint16_t>(channels * bits / 8));
        Put16(f, bits);
        return Chunk("fmt ", f);
    }
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
        Put32(out, static_cast<std::uint32_t>(body_.size() + 4));
        out.insert(out.end(), {'W', 'A', 'V', 'E'});
        out.insert(out.end(), body_.begin(), body_.end());
        return out;
    }

private:
    static void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
        v.push_back(x & 0xFF);
        v.push_back(x >> 8);
    }
    static void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
        Put16(v, x & 0xFFFF);
        Put16(v, x >> 16);
    }
    std::vector<std::uint8_t> body_;
};

TEST(WaveClipTest, SkipsPaddedChunksAndDropsAPartialFrame) {
    const auto bytes = WaveBytes()
                           .Format(1, 2, 16)
                           .Chunk("LIST", {1, 2, 3})  // odd size: a pad byte follows
                           .Chunk("data", {1, 0, 2, 0, 3, 0, 4, 0, 9, 9})
                           .Bytes();
    WaveClip clip;
    std::string error;
    ASSERT_TRUE(ParseWaveClip(bytes, clip, error)) << error;
    EXPECT_EQ(clip.channels, 2);
    EXPECT_EQ(clip.sampleRate, 8000u);
    EXPECT_EQ(clip.frameCount, 2u);
    EXPECT_EQ(clip.samples.size(), 8u);
    EXPECT_EQ(clip.samples[6], 4);
}

TEST(WaveClipTest, RejectsWhatItCannotPlayWithAReasonAndLeavesTheClipAlone) {
    const std::vector<std::uint8_t> cases[] = {
        {},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '},
        WaveBytes().Format(0x55, 2, 0).Chunk("data", {0, 0}).Bytes(),  // MPEG Layer III
        WaveBytes().Format(1, 1, 24).Chunk("data", {0, 0, 0}).Bytes(),
        WaveBytes().Format(1, 0, 16).Chunk("data", {}).Bytes(),
        WaveBytes().Chunk("data", {0, 0}).Format(1, 1, 16).Bytes(),
        WaveBytes().Format(1, 1, 16).Bytes(),
        WaveBytes().Format(1, 1, 16).Chunk("data", {0, 0}, 0x7FFFFFFF).Bytes(),  // truncated
        WaveBytes().Chunk("fmt ", {1, 0, 1, 0}).Chunk("data", {0, 0}).Bytes(),
    };
    for (const auto& bytes : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        WaveClip clip;
        std::string error;
        EXPECT_FALSE(ParseWaveClip(bytes, clip, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(clip.frameCount, 0u);
    }
}

TEST(WaveClipTest, UnknownSoundHasNoResource) {
    EXPECT_TRUE(FindSoundResource("BEEP").empty());
}

}  // namespace
}  // namespace kelvandor
