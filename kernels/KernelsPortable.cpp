// The portable kernels: compiled for the baseline processor, they are the reference that
// every other table must match byte for byte, and the table of processors without wider
// vector units.

#define KELVANDOR_KERNELS_NS portable

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/DrawKernels.h"
#include "kernels/KernelTables.h"
#include "kernels/RowLoops.h"

namespace kelvandor::kernels::portable {
namespace {

// ---- Alpha blends ----
//
// The blend (s * (a + 1) + d * (256 - a)) >> 8 already gives d for alpha 0 and s for alpha
// 255, so it needs no shortcut for either; runs of opaque source pixels are copied straight
// because that gives the same bytes sooner.

// Pixels as little-endian words 0xAARRGGBB. The blend works on two channels at once: red
// and blue (0x00RR00BB) or green alone, each product below 65536, so no field spills into
// its neighbour.
KELVANDOR_LOOP_INLINE std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

KELVANDOR_LOOP_INLINE void Store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}

KELVANDOR_LOOP_INLINE std::uint32_t BlendPixel(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
    const std::uint32_t sw = a + 1, dw = 256 - a;
    const std::uint32_t rb = (((s & 0xFF00FF) * sw + (d & 0xFF00FF) * dw) >> 8) & 0xFF00FF;
    const std::uint32_t g = (((s & 0x00FF00) * sw + (d & 0x00FF00) * dw) >> 8) & 0x00FF00;
    return rb | g;
}

KELVANDOR_LOOP_INLINE void AlphaSpan32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                       std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t sp = Load32(s + 4 * i), dp = Load32(d + 4 * i);
        const std::uint32_t a = sp >> 24;
        // Alpha 0 keeps the destination's alpha; anything drawn is opaque.
        const std::uint32_t alpha = a == 0 ? (dp & 0xFF000000u) : 0xFF000000u;
        Store32(d + 4 * i, BlendPixel(sp, dp, a) | alpha);
    }
}

KELVANDOR_LOOP_INLINE void AlphaSpan24(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                       std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = s[4 * i + 3];
        const std::uint32_t sw = a + 1, dw = 256 - a;
        d[3 * i + 0] = static_cast<std::uint8_t>((s[4 * i + 0] * sw + d[3 * i + 0] * dw) >> 8);
        d[3 * i + 1] = static_cast<std::uint8_t>((s[4 * i + 1] * sw + d[3 * i + 1] * dw) >> 8);
        d[3 * i + 2] = static_cast<std::uint8_t>((s[4 * i + 2] * sw + d[3 * i + 2] * dw) >> 8);
    }
}

KELVANDOR_LOOP_INLINE void OverSpan32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                      std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t sp = Load32(s + 4 * i), dp = Load32(d + 4 * i);
        const std::uint32_t a = sp >> 24, da = dp >> 24;
        const std::uint32_t mixedAlpha = da == 255 ? 255u : (a * (a + 1) + da * (256 - a)) >> 8;
        const std::uint32_t blended = BlendPixel(sp, dp, a) | (mixedAlpha << 24);
        // Where the destination is transparent a visible source pixel is copied as it is.
        const bool copy = (da == 0) & (a != 0);
        Store32(d + 4 * i, copy ? sp : blended);
    }
}

// An opaque run onto 3-byte pixels: the colour bytes copied.
KELVANDOR_LOOP_INLINE void CopySpan24(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                      std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        d[3 * i + 0] = s[4 * i + 0];
        d[3 * i + 1] = s[4 * i + 1];
        d[3 * i + 2] = s[4 * i + 2];
    }
}

// 32-bit rows go in runs of 32 pixels. The blends already copy the source for alpha 255
// (both variants); a run whose alpha is all 255 is therefore copied straight, which gives
// the same bytes sooner. The pictures drawn in the game are mostly opaque.
constexpr std::size_t kRun = 32;

KELVANDOR_LOOP_INLINE bool RunIsOpaque(const std::uint8_t* __restrict s) {
    std::uint32_t all = 0xFFFFFFFFu;
    for (std::size_t k = 0; k < kRun; ++k) {
        all &= Load32(s + 4 * k);
    }
    return (all >> 24) == 0xFF;
}

KELVANDOR_LOOP_INLINE void CopySpan32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                      std::size_t count) {
    std::memcpy(d, s, 4 * count);
}

using Span = void (*)(std::uint8_t* __restrict, const std::uint8_t* __restrict, std::size_t);

// A row in runs: opaque runs through `Opaque`, every other pixel through `Mixed`.
template <std::size_t kDestBytes, Span Opaque, Span Mixed>
KELVANDOR_LOOP_INLINE void ByRuns(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                  std::uint32_t n) {
    const std::size_t count = n;
    std::size_t i = 0;
    for (; i + kRun <= count; i += kRun) {
        if (RunIsOpaque(s + 4 * i)) {
            Opaque(d + kDestBytes * i, s + 4 * i, kRun);
        } else {
            Mixed(d + kDestBytes * i, s + 4 * i, kRun);
        }
    }
    Mixed(d + kDestBytes * i, s + 4 * i, count - i);
}

void AlphaRow32To32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, std::uint32_t n) {
    ByRuns<4, CopySpan32, AlphaSpan32>(d, s, n);
}

void AlphaRow32To24(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, std::uint32_t n) {
    ByRuns<3, CopySpan24, AlphaSpan24>(d, s, n);
}

void OverRow32To32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, std::uint32_t n) {
    ByRuns<4, CopySpan32, OverSpan32>(d, s, n);
}

}  // namespace
}  // namespace kelvandor::kernels::portable

namespace kelvandor::kernels {

const DrawKernels& PortableKernels() {
    static constexpr DrawKernels kTable = [] {
        DrawKernels table = portable::LoopKernels("portable");
        table.alpha32To32 = portable::AlphaRow32To32;
        table.alpha32To24 = portable::AlphaRow32To24;
        table.over32To32 = portable::OverRow32To32;
        return table;  // no padded scaling: the per-row kernels serve
    }();
    return kTable;
}

}  // namespace kelvandor::kernels
