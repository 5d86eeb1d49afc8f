#pragma once
// The game's only random generator: a 32-bit linear congruential generator. Each draw sets
// state = state * 214013 + 2531011 (mod 2^32) and returns (state >> 16) & 0x7FFF.

#include <cstdint>

namespace kelvandor {

class GameRandom {
public:
    explicit GameRandom(std::uint32_t seed = 0) : state_(seed) {}

    void Seed(std::uint32_t seed) { state_ = seed; }
    std::uint32_t State() const { return state_; }

    // The next value, 0..32767.
    std::uint32_t NextRandom() {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFFu;
    }

private:
    std::uint32_t state_;
};

}  // namespace kelvandor
