#include "sound/WaveClip.h"

#include <cstring>

#include "resources/ResourceTable.h"

namespace kelvandor {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint16_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool IsTag(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return std::memcmp(b.data() + at, tag, 4) == 0;
}

struct Format {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

bool DecodeFormat(std::span<const std::uint8_t> chunk, Format& format, std::string& error) {
    if (chunk.size() < 16) {
        error = "format chunk too short";
        return false;
    }
    format.tag = Read16(chunk, 0);
    format.channels = Read16(chunk, 2);
    format.sampleRate = Read32(chunk, 4);
    format.blockAlign = Read16(chunk, 12);
    format.bitsPerSample = Read16(chunk, 14);
    // The extensible header names the real encoding in the first two bytes of its GUID.
    if (format.tag == kFormatExtensible && chunk.size() >= 26) {
        format.tag = Read16(chunk, 24);
    }
    if (format.tag != kFormatPcm) {
        error = "not PCM (format " + std::to_string(format.tag) + ")";
        return false;
    }
    if (format.channels < 1 || format.channels > 2) {
        error = "unsupported channel count " + std::to_string(format.channels);
        return false;
    }
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) {
        error = "unsupported sample size " + std::to_string(format.bitsPerSample);
        return false;
    }
    if (format.sampleRate == 0) {
        error = "sample rate 0";
        return false;
    }
    if (format.blockAlign != format.channels * format.bitsPerSample / 8) {
        error = "inconsistent block size";
        return false;
    }
    return true;
}

}  // namespace

bool ParseWaveClip(std::span<const std::uint8_t> bytes, WaveClip& clip, std::string& error) {
    if (bytes.size() < 12 || !IsTag(bytes, 0, "RIFF") || !IsTag(bytes, 8, "WAVE")) {
        error = "not a RIFF WAVE file";
        return false;
    }
    Format format;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = Read32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body) {
            error = "truncated chunk";
            return false;
        }
        const auto chunk = bytes.subspan(body, size);
        if (IsTag(bytes, at, "fmt ")) {
            if (!DecodeFormat(chunk, format, error)) {
                return false;
            }
            haveFormat = true;
        } else if (IsTag(bytes, at, "data")) {
            if (!haveFormat) {
                error = "data before format";
                return false;
            }
            clip.channels = format.channels;
            clip.sampleRate = format.sampleRate;
            clip.bitsPerSample = format.bitsPerSample;
            clip.frameCount = size / format.blockAlign;  // a trailing partial frame is dropped
            clip.samples = chunk.first(std::size_t{clip.frameCount} * format.blockAlign);
            return true;
        }
        // Chunks are padded to an even length.
        at = body + size + (size & 1);
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

std::span<const std::uint8_t> FindSoundResource(std::string_view name) {
    return FindResource(ResourceId::Name("WAVE"), ResourceId::Name(name));
}

}  // namespace kelvandor
