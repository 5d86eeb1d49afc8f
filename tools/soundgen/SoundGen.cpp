// soundgen: synthesises the six feedback sounds of the game into 16-bit PCM WAV files.
//
// Run by hand from the repository root whenever a sound is to be changed:
//
//     cmake -S tools -B build-tools -G Ninja && cmake --build build-tools
//     build-tools/kelvandor-make-sounds resources/sounds
//
// `kelvandor-tool sound NAME...` then plays them through the game's player.
//
// The output is deterministic (the noise comes from a fixed-seed generator), so running it
// again without changes reproduces the committed files byte for byte.
//
// The clips and what they should sound like on a quiz show:
//   TICK    mono,   0.174 s  a crisp clock tick for each of the last seconds of a turn
//   TUCK    stereo, 0.324 s  a soft wooden click when an answer moves or the turn passes
//   WRONG   stereo, 1.149 s  a low two-tone buzzer for a lost round
//   ERROR   mono,   0.290 s  a short, dull refusal
//   CLING1  mono,   0.634 s  a bright chime when the left player buzzes
//   CLING2  mono,   0.767 s  a bright chime of a lower pitch for the right player

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// One channel of floating-point samples in -1..1.
using Channel = std::vector<double>;

int FramesFor(double seconds) {
    return static_cast<int>(std::lround(seconds * kRate));
}

// A small fixed-seed generator so that the noise, and with it the files, never change.
class Noise {
public:
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_ = 0x4B454C56u;
};

// A decaying sine partial: amplitude * exp(-t / decay) * sin(2 pi f t).
double Partial(double t, double frequency, double amplitude, double decay) {
    return amplitude * std::exp(-t / decay) * std::sin(kTwoPi * frequency * t);
}

// Raised-cosine ramp from 0 to 1 over `length` seconds, so that no clip starts with a click.
double Attack(double t, double length) {
    if (t >= length)
        return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * t / length);
}

// Ramp from 1 to 0 over the last `length` seconds before `end`, so that no clip ends with a
// step.
double Release(double t, double end, double length) {
    const double left = end - t;
    if (left >= length)
        return 1.0;
    if (left <= 0.0)
        return 0.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * left / length);
}

// One-pole low-pass filter run over a whole channel.
void LowPass(Channel& samples, double cutoff) {
    const double a = 1.0 - std::exp(-kTwoPi * cutoff / kRate);
    double y = 0.0;
    for (double& x : samples) {
        y += a * (x - y);
        x = y;
    }
}

// Scales the channels together so that the loudest sample reaches `peak`.
void Normalise(std::vector<Channel>& channels, double peak) {
    double loudest = 0.0;
    for (const Channel& c : channels) {
        for (double x : c)
            loudest = std::max(loudest, std::abs(x));
    }
    if (loudest == 0.0)
        return;
    for (Channel& c : channels) {
        for (double& x : c)
            x *= peak / loudest;
    }
}

Channel Render(int frames, const std::function<double(double)>& sample) {
    Channel out(frames);
    for (int i = 0; i < frames; ++i)
        out[i] = sample(static_cast<double>(i) / kRate);
    return out;
}

// A band-limited buzz: harmonics of f up to 3.5 kHz with falling weights, the odd ones
// stronger, which gives the reedy tone of a game-show buzzer without aliasing.
double Buzz(double t, double frequency) {
    double sum = 0.0;
    for (int k = 1; k * frequency < 3500.0; ++k) {
        const double weight = (k % 2 == 1 ? 1.0 : 0.55) / std::pow(k, 0.9);
        sum += weight * std::sin(kTwoPi * k * frequency * t);
    }
    return sum;
}

std::vector<Channel> MakeTick() {
    Noise noise;
    Channel c = Render(FramesFor(0.174), [&](double t) {
        const double click = noise.Next() * std::exp(-t / 0.0012);
        const double body = Partial(t, 3150.0, 0.8, 0.007) + Partial(t, 5230.0, 0.35, 0.003) +
                            Partial(t, 1580.0, 0.25, 0.018);
        return Attack(t, 0.0003) * (0.45 * click + body) * Release(t, 0.174, 0.02);
    });
    // Short clicks sound quieter than sustained tones of the same peak, so the tick is made
    // the loudest of the set.
    std::vector<Channel> out{c};
    Normalise(out, 0.75);
    return out;
}

std::vector<Channel> MakeTuck() {
    // A wood block: a low, quickly damped partial and two faint upper ones, with a thump of
    // dull noise at the strike. The right channel is struck a fraction of a millisecond later
    // and slightly higher, which widens the click without moving it off centre.
    auto woodBlock = [](double pitchScale, double delay, std::uint32_t seedShift) {
        Noise noise;
        for (std::uint32_t i = 0; i < seedShift; ++i)
            noise.Next();
        Channel c = Render(FramesFor(0.324), [&](double t0) {
            const double n = noise.Next();
            const double t = t0 - delay;
            if (t < 0.0)
                return 0.0;
            const double body = Partial(t, 690.0 * pitchScale, 1.0, 0.030) +
                                Partial(t, 1860.0 * pitchScale, 0.30, 0.010) +
                                Partial(t, 2430.0 * pitchScale, 0.12, 0.006);
            return Attack(t, 0.0012) * (body + 0.3 * n * std::exp(-t / 0.004)) *
                   Release(t0, 0.324, 0.03);
        });
        LowPass(c, 2000.0);
        LowPass(c, 4000.0);
        return c;
    };
    std::vector<Channel> out{woodBlock(1.0, 0.0, 0), woodBlock(1.015, 0.0004, 7)};
    Normalise(out, 0.6);
    return out;
}

std::vector<Channel> MakeWrong() {
    // Two buzzer tones, the second a fourth lower: "eh-oh". The channels are detuned by a few
    // cents against each other, which makes the buzzer broad and rough.
    auto buzzer = [](double detune) {
        Channel c = Render(FramesFor(1.149), [&](double t) {
            double value = 0.0;
            if (t < 0.46) {
                value = Buzz(t, 155.6 * detune) * Attack(t, 0.012) * Release(t, 0.46, 0.03);
            } else if (t >= 0.50) {
                const double u = t - 0.50;
                value = Buzz(u, 116.5 * detune) * Attack(u, 0.012) * Release(t, 1.149, 0.22);
            }
            return value;
        });
        LowPass(c, 2400.0);
        return c;
    };
    std::vector<Channel> out{buzzer(1.0), buzzer(1.004)};
    Normalise(out, 0.5);
    return out;
}

std::vector<Channel> MakeError() {
    // A short dull "donk": a low tone that sags in pitch, mostly fundamental with a little
    // third harmonic, damped quickly.
    Channel c = Render(FramesFor(0.290), [](double t) {
        // The tone glides from 165 Hz down to 120 Hz; the phase of a gliding tone is the
        // integral of its frequency.
        const double phase = kTwoPi * (120.0 * t + 45.0 * 0.05 * (1.0 - std::exp(-t / 0.05)));
        const double tone =
            std::sin(phase) + 0.3 * std::sin(3.0 * phase) + 0.12 * std::sin(5.0 * phase);
        return tone * Attack(t, 0.004) * std::exp(-t / 0.11) * Release(t, 0.290, 0.06);
    });
    LowPass(c, 900.0);
    std::vector<Channel> out{c};
    Normalise(out, 0.6);
    return out;
}

// A struck chime bar: the fundamental with the bar's inharmonic overtones, each dying faster
// than the one below it, and a faint octave that lends the brightness of a bell.
std::vector<Channel> MakeChime(double fundamental, double seconds) {
    const double decay = seconds / 4.0;
    Channel c = Render(FramesFor(seconds), [&](double t) {
        const double ring = Partial(t, fundamental, 1.0, decay) +
                            Partial(t, fundamental * 2.0, 0.25, decay * 0.6) +
                            Partial(t, fundamental * 2.76, 0.35, decay * 0.35) +
                            Partial(t, fundamental * 5.40, 0.15, decay * 0.15);
        return ring * Attack(t, 0.001) * Release(t, seconds, 0.06);
    });
    std::vector<Channel> out{c};
    Normalise(out, 0.6);
    return out;
}

void Put16(std::ofstream& out, std::uint16_t v) {
    const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(bytes, 2);
}

void Put32(std::ofstream& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

// Writes a canonical 44-byte-header PCM WAV file, 16 bits per sample, channels interleaved.
bool WriteWave(const std::string& path, const std::vector<Channel>& channels) {
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return false;
    const auto channelCount = static_cast<std::uint16_t>(channels.size());
    const auto frames = static_cast<std::uint32_t>(channels[0].size());
    const std::uint32_t dataBytes = frames * channelCount * 2;
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, channelCount);
    Put32(out, kRate);
    Put32(out, kRate * channelCount * 2);
    Put16(out, static_cast<std::uint16_t>(channelCount * 2));
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (const Channel& c : channels) {
            const double clamped = std::clamp(c[i], -1.0, 1.0);
            Put16(out, static_cast<std::uint16_t>(
                           static_cast<std::int16_t>(std::lround(clamped * 32767.0))));
        }
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: soundgen OUTPUT-DIRECTORY\n";
        return 2;
    }
    const std::string dir = argv[1];
    const struct {
        const char* file;
        std::vector<Channel> channels;
    } clips[] = {
        {"tick.wav", MakeTick()},
        {"tuck.wav", MakeTuck()},
        {"wrong.wav", MakeWrong()},
        {"error.wav", MakeError()},
        {"cling1.wav", MakeChime(1318.5, 0.634)},  // E6
        {"cling2.wav", MakeChime(987.8, 0.767)},   // B5, a fourth below
    };
    for (const auto& clip : clips) {
        const std::string path = dir + "/" + clip.file;
        if (!WriteWave(path, clip.channels)) {
            std::cerr << "soundgen: cannot write " << path << "\n";
            return 1;
        }
        std::cout << path << "\n";
    }
    return 0;
}
