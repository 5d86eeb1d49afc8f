#pragma once
// The program's sound clips: RIFF WAVE files of uncompressed PCM, carried as "WAVE"
// resources and looked up by name.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvandor {

// A decoded view of a PCM WAVE file. The samples are not copied: they point into the bytes
// that were parsed and live as long as those.
struct WaveClip {
    std::uint16_t channels = 0;       // 1 or 2
    std::uint32_t sampleRate = 0;     // frames per second
    std::uint16_t bitsPerSample = 0;  // 8 (unsigned) or 16 (signed, little-endian)
    std::uint32_t frameCount = 0;
    std::span<const std::uint8_t> samples;  // frameCount frames, channels interleaved

    double Seconds() const { return sampleRate == 0 ? 0.0 : double(frameCount) / sampleRate; }
};

// Reads a RIFF WAVE file of 8- or 16-bit PCM with one or two channels. Returns false and
// puts a one-line reason into `error` when the bytes are not such a file, are truncated, or
// use another encoding; `clip` is then unchanged.
bool ParseWaveClip(std::span<const std::uint8_t> bytes, WaveClip& clip, std::string& error);

// The bytes of the program's "WAVE" resource of this name; empty when there is none.
std::span<const std::uint8_t> FindSoundResource(std::string_view name);

}  // namespace kelvandor
