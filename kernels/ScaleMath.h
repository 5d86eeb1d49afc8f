#pragma once
// The exact integer quotients of area averaging, done without dividing. Shared by the scaling
// kernels and by the scaling code that calls them, so that both round alike. Everything here
// has internal linkage: the kernels files compiled for wider instruction sets include it too,
// and their copies must not stand in for the baseline ones.

#include <cstdint>

namespace kelvandor::kernels {

// Turning a sum into a channel value, (sum * 256) / span, is done by multiplying with the
// reciprocal 256.0 / span in double precision plus this tiny bias: the quotient is below 256
// and span below 2^24, so the product lies within 2^-44 of the true quotient while a true
// quotient that is not an integer lies at least 2^-24 away from the next one, and truncating
// gives exactly the integer quotient.
constexpr double kQuotientBias = 1.0 / (1 << 30);

// Division of a colour sum by its weight without dividing: with m = ceil(2^56 / d),
// floor(n * m / 2^56) is floor(n / d) whenever n * d <= 2^56. A colour sum is at most 255
// times its weight, so that holds for every weight up to kMagicLimit.
constexpr std::uint64_t kMagicLimit = std::uint64_t{1} << 24;

static inline std::uint64_t MagicFor(std::uint64_t d) {
    return ((std::uint64_t{1} << 56) - 1) / d + 1;  // ceil(2^56 / d) for d >= 1
}

static inline std::uint8_t QuotientByMagic(std::uint64_t n, std::uint64_t magic) {
    return static_cast<std::uint8_t>((static_cast<unsigned __int128>(n) * magic) >> 56);
}

}  // namespace kelvandor::kernels
