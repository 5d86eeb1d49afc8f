#pragma once
// Plain, pixel-by-pixel versions of the drawing formulas (integer division, no row kernels),
// against which the tests and benchmarks check the library's whole-row code.

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "image/DibImage.h"

namespace kelvandor::test {

inline std::uint32_t PixelAt(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    return image.getPixel(image.Row(y), x);
}

// Fills the whole buffer with reproducible noise.
inline void FillNoise(CDibImage& image, std::uint32_t seed) {
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < image.imageSize; ++i) {
        image.bits[i] = static_cast<std::uint8_t>(random());
    }
}

// 32-bit noise whose alpha is 0 or 255 on a third of the pixels each, else anything.
inline void FillNoiseWithAlphaExtremes(CDibImage& image, std::uint32_t seed) {
    FillNoise(image, seed);
    for (std::size_t i = 3; i < image.imageSize; i += 4) {
        const std::uint8_t kind = image.bits[i - 3] % 3;
        if (kind == 0)
            image.bits[i] = 0;
        if (kind == 1)
            image.bits[i] = 255;
    }
}

inline std::uint32_t Blend(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
        out |= ((sc * (a + 1) + dc * (256 - a)) >> 8) << shift;
    }
    return out;
}

// DrawAlpha of a 32-bit pixel s onto a 24- or 32-bit pixel d.
inline std::uint32_t ReferenceDrawAlpha(std::uint32_t s, std::uint32_t d, bool dest32) {
    const std::uint32_t a = s >> 24;
    if (a == 0)
        return dest32 ? d : (d & 0xFFFFFF);
    if (a == 255)
        return dest32 ? s : (s & 0xFFFFFF);
    return Blend(s, d, a) | (dest32 ? 0xFF000000u : 0u);
}

// DrawAlphaOver of a 32-bit pixel s onto d (a 24-bit d has no alpha: it is opaque).
inline std::uint32_t ReferenceDrawAlphaOver(std::uint32_t s, std::uint32_t d, bool dest32) {
    const std::uint32_t a = s >> 24, da = dest32 ? d >> 24 : 255;
    std::uint32_t out = d;
    if (a == 0) {
        out = d;
    } else if (da == 0) {
        out = s;
    } else if (da == 255) {
        out = Blend(s, d, a) | 0xFF000000u;
    } else {
        out = Blend(s, d, a) | (((a * (a + 1) + da * (256 - a)) >> 8) << 24);
    }
    return dest32 ? out : (out & 0xFFFFFF);
}

// Source units covered by each destination pixel of one axis, as (pixel, weight) lists.
struct ReferenceAxis {
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> taps;
    std::vector<std::uint64_t> span;
};

inline ReferenceAxis ReferencePlan(std::uint32_t S, std::uint32_t D) {
    std::uint64_t s = S, d = D;
    if (S < D)
        s = S - 1, d = D - 1;
    while ((s | d) != 0 && s % 2 == 0 && d % 2 == 0)
        s /= 2, d /= 2;
    for (std::uint64_t e = (s * D * 256) >> 31; e != 0; e /= 2)
        s /= 2, d /= 2;
    const std::uint64_t step = s * 256, div = d == 0 ? 1 : d, end = std::uint64_t{S} * 256;
    ReferenceAxis axis;
    for (std::uint64_t i = 0; i < D; ++i) {
        std::uint64_t a = i * step / div, b = (i + 1) * step / div;
        if (a > end - 1)
            a = end - 1;
        if (b < a + 256)
            b = a + 256;
        if (b > end)
            b = end;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> taps;
        for (std::uint64_t p = a / 256; p * 256 < b && p < S; ++p) {
            const std::uint64_t from = p == a / 256 ? a : p * 256;
            const std::uint64_t to = (p + 1) * 256 < b ? (p + 1) * 256 : b;
            if (to > from)
                taps.emplace_back(static_cast<std::uint32_t>(p),
                                  static_cast<std::uint32_t>(to - from));
        }
        axis.taps.push_back(taps);
        axis.span.push_back(b - a == 0 ? 1 : b - a);
    }
    return axis;
}

// Area averaging of a 32-bit source to a 32-bit result with plain integer arithmetic: all
// channels alike when alphaAware is false; otherwise colour weighted by the pixels whose
// alpha is not 0 and alpha averaged over the span.
inline std::vector<std::uint32_t> ReferenceSmooth32(const CDibImage& src, std::uint32_t w,
                                                    std::uint32_t h, bool alphaAware) {
    const ReferenceAxis cols = ReferencePlan(src.width, w), rows = ReferencePlan(src.height, h);
    std::vector<std::uint32_t> out;
    for (std::uint32_t j = 0; j < h; ++j) {
        // Vertical pass per source column.
        std::vector<std::uint64_t> sum(4 * src.width, 0), colourWeight(src.width, 0);
        std::vector<std::uint32_t> value(4 * src.width, 0);
        for (std::uint32_t x = 0; x < src.width; ++x) {
            for (const auto& [y, wy] : rows.taps[j]) {
                const std::uint32_t v = PixelAt(src, x, y);
                const std::uint32_t a = v >> 24;
                for (int c = 0; c < 4; ++c) {
                    const std::uint32_t ch = (v >> (8 * c)) & 0xFF;
                    if (!alphaAware || c == 3) {
                        sum[4 * x + c] += (ch * wy) >> 8;
                    } else if (a != 0) {
                        sum[4 * x + c] += ch * wy;
                    }
                }
                if (a != 0)
                    colourWeight[x] += wy;
            }
            for (int c = 0; c < 4; ++c) {
                if (!alphaAware || c == 3) {
                    value[4 * x + c] =
                        static_cast<std::uint32_t>(sum[4 * x + c] * 256 / rows.span[j]);
                }
            }
        }
        for (std::uint32_t i = 0; i < w; ++i) {
            std::uint64_t hsum[4] = {0, 0, 0, 0}, weight = 0;
            for (const auto& [x, wx] : cols.taps[i]) {
                for (int c = 0; c < 4; ++c) {
                    if (!alphaAware || c == 3) {
                        hsum[c] += (value[4 * x + c] * wx) >> 8;
                    } else {
                        hsum[c] += sum[4 * x + c] * wx;
                    }
                }
                weight += colourWeight[x] * wx;
            }
            std::uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) {
                std::uint64_t v;
                if (!alphaAware || c == 3) {
                    v = hsum[c] * 256 / cols.span[i];
                } else {
                    v = weight == 0 ? 0 : hsum[c] / weight;
                }
                pixel |= static_cast<std::uint32_t>(v) << (8 * c);
            }
            out.push_back(pixel);
        }
    }
    return out;
}

}  // namespace kelvandor::test
