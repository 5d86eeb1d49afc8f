// The row loops of filling, copying and scaling, written once for the vectoriser and compiled
// by each kernels file for its own instruction set: a file defines KELVANDOR_KERNELS_NS (its
// namespace) and includes this header once. LoopKernels() gives the table entries of these
// loops; each file adds the kernels it has of its own. Nothing here has external linkage, so no
// copy compiled for a wider instruction set can stand in for another file's. (No include guard: one
// inclusion per file by design.)
//
// The loops are branch-free over a span, keep their count in a local and take __restrict
// pointers, so that the compiler vectorises them for whatever the file is compiled for.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/DrawKernels.h"
#include "kernels/FillLoop.h"
#include "kernels/ScaleMath.h"

// Small helpers of the loops are inlined into them, so that they are compiled alike.
#ifndef KELVANDOR_LOOP_INLINE
#define KELVANDOR_LOOP_INLINE inline __attribute__((always_inline))
#endif

namespace kelvandor::kernels::KELVANDOR_KERNELS_NS {
namespace {

// A row of pixels of kSourceBytes bytes (3 or 4) made opaque 32-bit pixels: other pixels on a
// 32-bit destination, a 24-bit row widened for a 32-bit window.
template <std::size_t kSourceBytes>
void OpaqueRow(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, std::uint32_t n) {
    const std::size_t count = n;
    for (std::size_t i = 0; i < count; ++i) {
        d[4 * i + 0] = s[kSourceBytes * i + 0];
        d[4 * i + 1] = s[kSourceBytes * i + 1];
        d[4 * i + 2] = s[kSourceBytes * i + 2];
        d[4 * i + 3] = 0xFF;
    }
}

// ---- Area averaging with all channels alike: vertical pass over a whole accumulator line ----

void AccumulateFirst(std::uint32_t* __restrict acc, const std::uint8_t* __restrict src,
                     std::size_t n, std::uint32_t weight) {
    for (std::size_t i = 0; i < n; ++i) {
        acc[i] = (src[i] * weight) >> 8;
    }
}

void Accumulate(std::uint32_t* __restrict acc, const std::uint8_t* __restrict src, std::size_t n,
                std::uint32_t weight) {
    for (std::size_t i = 0; i < n; ++i) {
        acc[i] += (src[i] * weight) >> 8;
    }
}

// (acc * 256) / span for a whole line, into channel bytes.
void Normalise(std::uint8_t* __restrict out, const std::uint32_t* __restrict acc, std::size_t n,
               std::uint32_t span) {
    if (span == 256) {
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(acc[i]);
        }
        return;
    }
    const double scale = 256.0 / span;
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(
            static_cast<std::int32_t>(static_cast<std::int32_t>(acc[i]) * scale + kQuotientBias));
    }
}

// For sources of varying alpha, one tap: the colour of a pixel with alpha 0 counts for
// nothing, so colour sums are kept unshifted together with the weight that really
// contributed, while alpha is summed over the full span. One line per quantity, so that the
// loop reads whole pixels and writes whole words.
void AccumulateAlphaAware(std::uint32_t* __restrict blue, std::uint32_t* __restrict green,
                          std::uint32_t* __restrict red, std::uint32_t* __restrict alpha,
                          std::uint32_t* __restrict weights, const std::uint8_t* __restrict src,
                          std::size_t pixels, std::uint32_t weight, bool first) {
    const std::uint32_t keepOld = first ? 0u : 0xFFFFFFFFu;
    for (std::size_t x = 0; x < pixels; ++x) {
        std::uint32_t p;
        std::memcpy(&p, src + 4 * x, 4);
        const std::uint32_t a = p >> 24;
        const std::uint32_t keep = a != 0 ? 0xFFFFFFFFu : 0u;
        blue[x] = (blue[x] & keepOld) + (((p & 0xFF) * weight) & keep);
        green[x] = (green[x] & keepOld) + ((((p >> 8) & 0xFF) * weight) & keep);
        red[x] = (red[x] & keepOld) + ((((p >> 16) & 0xFF) * weight) & keep);
        alpha[x] = (alpha[x] & keepOld) + ((a * weight) >> 8);
        weights[x] = (weights[x] & keepOld) + (weight & keep);
    }
}

// ---- The narrow alpha-aware variant ----
//
// For the usual ratios every sum of a destination pixel stays below 2^32 (span products up to
// 2^24): blue, green, red and the contributing weight lie side by side in one line, so that
// each tap of the horizontal pass is one four-word multiply-add.

// The vertical pass of the narrow variant: all covered source rows of one destination row
// at once, eight pixels at a time, so that the sums stay in registers and the line is
// written once.
template <std::size_t kCount>
KELVANDOR_LOOP_INLINE void VerticalBlock(std::uint32_t* __restrict line,
                                         std::uint32_t* __restrict alphaSums,
                                         const std::uint8_t* const* rows,
                                         const std::uint32_t* weights, std::size_t taps,
                                         std::size_t x, std::size_t count) {
    std::uint32_t b[kCount] = {}, g[kCount] = {}, r[kCount] = {}, w[kCount] = {}, a[kCount] = {};
    for (std::size_t t = 0; t < taps; ++t) {
        const std::uint8_t* __restrict src = rows[t] + 4 * x;
        const std::uint32_t weight = weights[t];
        for (std::size_t k = 0; k < count; ++k) {
            std::uint32_t p;
            std::memcpy(&p, src + 4 * k, 4);
            const std::uint32_t alpha = p >> 24;
            const std::uint32_t keep = alpha != 0 ? 0xFFFFFFFFu : 0u;
            b[k] += ((p & 0xFF) * weight) & keep;
            g[k] += (((p >> 8) & 0xFF) * weight) & keep;
            r[k] += (((p >> 16) & 0xFF) * weight) & keep;
            w[k] += weight & keep;
            a[k] += (alpha * weight) >> 8;
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        line[4 * (x + k) + 0] = b[k];
        line[4 * (x + k) + 1] = g[k];
        line[4 * (x + k) + 2] = r[k];
        line[4 * (x + k) + 3] = w[k];
        alphaSums[x + k] = a[k];
    }
}

void VerticalAlphaAwareNarrow(std::uint32_t* __restrict line, std::uint32_t* __restrict alphaSums,
                              const std::uint8_t* const* rows, const std::uint32_t* weights,
                              std::size_t taps, std::size_t pixels) {
    constexpr std::size_t kBlock = 8;
    std::size_t x = 0;
    for (; x + kBlock <= pixels; x += kBlock) {
        VerticalBlock<kBlock>(line, alphaSums, rows, weights, taps, x, kBlock);
    }
    VerticalBlock<kBlock>(line, alphaSums, rows, weights, taps, x, pixels - x);
}

// The horizontal pass of the narrow variant for one destination row.
void HorizontalAlphaAwareNarrow(std::uint8_t* __restrict out, const std::uint32_t* __restrict line,
                                const std::uint8_t* __restrict alpha, const ScaleAxis& columns,
                                const double* __restrict columnScale, std::uint32_t width) {
    std::uint64_t lastWeight = 0, magic = 0;  // neighbours mostly share their weight
    for (std::uint32_t i = 0; i < width; ++i) {
        std::uint32_t sum[4] = {0, 0, 0, 0};
        std::uint32_t alphaSum = 0;
        for (std::uint32_t t = columns.first[i]; t < columns.first[i + 1]; ++t) {
            const std::size_t x = columns.taps[t].index;
            const std::uint32_t* q = line + 4 * x;
            const std::uint32_t w = columns.taps[t].weight;
            for (std::size_t c = 0; c < 4; ++c) {
                sum[c] += q[c] * w;
            }
            alphaSum += (alpha[x] * w) >> 8;
        }
        std::uint8_t* p = out + 4 * static_cast<std::size_t>(i);
        const std::uint32_t weight = sum[3];
        if (weight != lastWeight) {
            lastWeight = weight;
            magic = weight == 0 ? 0 : MagicFor(weight);
        }
        p[0] = QuotientByMagic(sum[0], magic);
        p[1] = QuotientByMagic(sum[1], magic);
        p[2] = QuotientByMagic(sum[2], magic);
        p[3] = static_cast<std::uint8_t>(static_cast<std::int32_t>(
            static_cast<std::int32_t>(alphaSum) * columnScale[i] + kQuotientBias));
    }
}

// A table with the loops above and the fill; the blends and the padded scaling kernels are
// left null for the including file to set.
constexpr DrawKernels LoopKernels(const char* name) {
    DrawKernels table = {};
    table.name = name;
    table.fillRow = FillRow;
    table.opaque32Row = OpaqueRow<4>;
    table.widen24To32 = OpaqueRow<3>;
    table.accumulateFirst = AccumulateFirst;
    table.accumulate = Accumulate;
    table.normalise = Normalise;
    table.accumulateAlphaAware = AccumulateAlphaAware;
    table.verticalAlphaAware = VerticalAlphaAwareNarrow;
    table.horizontalAlphaAware = HorizontalAlphaAwareNarrow;
    return table;
}

}  // namespace
}  // namespace kelvandor::kernels::KELVANDOR_KERNELS_NS
