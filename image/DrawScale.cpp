// Resizing: nearest neighbour, and area averaging in fixed point (one source pixel is 256
// units), done separably: for each destination row the covered source rows are summed into
// an accumulator line (the vertical pass), then each destination pixel sums the covered
// entries of that line (the horizontal pass).
//
// The inner loops run over whole rows and are written for the vectoriser. Turning a sum into
// a channel value, (sum * 256) / span, is done by multiplying with a reciprocal in double
// precision plus a tiny bias instead of dividing: the quotient is below 256 and span below
// 2^24, so the product lies within 2^-44 of the true quotient while a true quotient that is
// not an integer lies at least 2^-24 away from the next one, and truncating gives exactly the
// integer quotient.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "image/DibImage.h"
#include "image/HelperThread.h"
#include "image/RowKernel.h"
#include "image/ScaleKernels.h"

#if defined(__GNUC__) && defined(__x86_64__)
#define KELVANDOR_SCALE_AVX2 1
#include <immintrin.h>
#else
#define KELVANDOR_SCALE_AVX2 0
#endif

namespace kelvandor {

namespace {

std::atomic<ScaleKernels> gScaleKernels{ScaleKernels::Fastest};

[[maybe_unused]] bool UseAvx2() {
#if KELVANDOR_SCALE_AVX2
    return gScaleKernels.load(std::memory_order_relaxed) == ScaleKernels::Fastest &&
           __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

constexpr double kQuotientBias = 1.0 / (1 << 30);

bool HasPixels(const CDibImage& image) {
    return !image.IsEmpty() && image.width != 0 && image.height != 0;
}

std::uint8_t* RowOf(const CDibImage& image, std::uint32_t y) {
    return image.topRow - static_cast<std::size_t>(y) * image.stride;
}

// ---- Area averaging: which source pixels each destination pixel covers, and how much ----

struct Tap {
    std::uint32_t index;   // source pixel
    std::uint32_t weight;  // 1..256 units of it
};

struct AxisPlan {
    std::vector<std::uint32_t> first;  // taps of destination i: [first[i], first[i + 1])
    std::vector<Tap> taps;
    std::vector<std::uint32_t> span;  // covered units, the divisor of destination i
};

// The interval of destination pixel i is [i * step / div, (i + 1) * step / div) in source
// units, at least one pixel long. Enlarging maps the end pixels onto each other (S - 1 onto
// D - 1), so that the ends stay unchanged and the pixels between blend their two neighbours
// by position. The ratio is reduced, and if need be shortened, so that the products stay
// within 31 bits.
AxisPlan PlanAxis(std::uint32_t sourceSize, std::uint32_t destSize) {
    std::uint64_t s = sourceSize, d = destSize;
    if (sourceSize < destSize) {
        s = sourceSize - 1;
        d = destSize - 1;
    }
    while ((s | d) != 0 && (s & 1) == 0 && (d & 1) == 0) {
        s >>= 1;
        d >>= 1;
    }
    for (std::uint64_t e = (s * destSize * 256) >> 31; e != 0; e >>= 1) {
        s >>= 1;
        d >>= 1;
    }
    const std::uint64_t step = s * 256;
    const std::uint64_t div = std::max<std::uint64_t>(d, 1);
    const std::uint64_t end = static_cast<std::uint64_t>(sourceSize) * 256;

    AxisPlan plan;
    plan.first.reserve(destSize + 1);
    plan.span.reserve(destSize);
    // A source pixel is shared by at most two destination pixels, and a destination pixel
    // covers at most two when enlarging.
    plan.taps.reserve(static_cast<std::size_t>(sourceSize) + 2 * std::size_t{destSize});
    for (std::uint64_t i = 0; i < destSize; ++i) {
        // A shortened ratio may overshoot a little at the far end; stay inside the source.
        const std::uint64_t a = std::min(i * step / div, end - 1);
        std::uint64_t b = (i + 1) * step / div;
        b = std::min(std::max(b, a + 256), end);
        plan.first.push_back(static_cast<std::uint32_t>(plan.taps.size()));
        plan.span.push_back(static_cast<std::uint32_t>(std::max<std::uint64_t>(b - a, 1)));
        const std::uint64_t firstPixel = a >> 8, lastPixel = b >> 8;
        plan.taps.push_back(
            {static_cast<std::uint32_t>(firstPixel), static_cast<std::uint32_t>(256 - (a & 255))});
        for (std::uint64_t p = firstPixel + 1; p < lastPixel; ++p) {
            plan.taps.push_back({static_cast<std::uint32_t>(p), 256});
        }
        if ((b & 255) != 0 && lastPixel < sourceSize) {
            plan.taps.push_back(
                {static_cast<std::uint32_t>(lastPixel), static_cast<std::uint32_t>(b & 255)});
        }
    }
    plan.first.push_back(static_cast<std::uint32_t>(plan.taps.size()));
    return plan;
}

// ---- Vertical pass kernels over a whole accumulator line ----

KELVANDOR_ROW_KERNEL void AccumulateFirst(std::uint32_t* __restrict acc,
                                          const std::uint8_t* __restrict src, std::size_t n,
                                          std::uint32_t weight) {
    for (std::size_t i = 0; i < n; ++i) {
        acc[i] = (src[i] * weight) >> 8;
    }
}

KELVANDOR_ROW_KERNEL void Accumulate(std::uint32_t* __restrict acc,
                                     const std::uint8_t* __restrict src, std::size_t n,
                                     std::uint32_t weight) {
    for (std::size_t i = 0; i < n; ++i) {
        acc[i] += (src[i] * weight) >> 8;
    }
}

// (acc * 256) / span for a whole line, into channel bytes.
KELVANDOR_ROW_KERNEL void Normalise(std::uint8_t* __restrict out,
                                    const std::uint32_t* __restrict acc, std::size_t n,
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

// For sources of varying alpha: the colour of a pixel with alpha 0 counts for nothing, so
// colour sums are kept unshifted together with the weight that really contributed, while
// alpha is summed over the full span. One line per quantity, so that the loop reads whole
// pixels and writes whole words.
struct AlphaAwareLine {
    std::vector<std::uint32_t> blue, green, red, alpha, weight;
    explicit AlphaAwareLine(std::size_t n) : blue(n), green(n), red(n), alpha(n), weight(n) {}
};

KELVANDOR_ROW_KERNEL void AccumulateAlphaAware(
    std::uint32_t* __restrict blue, std::uint32_t* __restrict green, std::uint32_t* __restrict red,
    std::uint32_t* __restrict alpha, std::uint32_t* __restrict weights,
    const std::uint8_t* __restrict src, std::size_t pixels, std::uint32_t weight, bool first) {
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

// The exact floor(n / d) for the alpha-aware colour, from a double estimate and a correction.
std::uint32_t DivideExact(std::uint64_t n, std::uint64_t d, double reciprocal) {
    std::uint64_t q = static_cast<std::uint64_t>(static_cast<double>(n) * reciprocal);
    while (q != 0 && q * d > n) {
        --q;
    }
    while ((q + 1) * d <= n) {
        ++q;
    }
    return static_cast<std::uint32_t>(q);
}

// Division of a colour sum by its weight without dividing: with m = ceil(2^56 / d),
// floor(n * m / 2^56) is floor(n / d) whenever n * d <= 2^56. A colour sum is at most 255
// times its weight, so that holds for every weight up to kMagicLimit.
constexpr std::uint64_t kMagicLimit = std::uint64_t{1} << 24;

std::uint64_t MagicFor(std::uint64_t d) {
    return ((std::uint64_t{1} << 56) - 1) / d + 1;  // ceil(2^56 / d) for d >= 1
}

std::uint8_t QuotientByMagic(std::uint64_t n, std::uint64_t magic) {
    return static_cast<std::uint8_t>((static_cast<unsigned __int128>(n) * magic) >> 56);
}

// Area averaging with all channels alike (24-bit output, or 32-bit output from a source
// whose alpha is all 0 or all 255). channels is 3 or 4.
void ScaleSmoothPlain(CDibImage& dst, const CDibImage& src, std::uint32_t channels) {
    const AxisPlan columns = PlanAxis(src.width, dst.width);
    const AxisPlan rows = PlanAxis(src.height, dst.height);
    const std::size_t lineLength = static_cast<std::size_t>(src.width) * channels;
    std::vector<std::uint32_t> acc(lineLength);
    std::vector<std::uint8_t> line(lineLength);
    std::vector<double> columnScale(dst.width);
    for (std::uint32_t i = 0; i < dst.width; ++i) {
        columnScale[i] = 256.0 / columns.span[i];
    }
    for (std::uint32_t j = 0; j < dst.height; ++j) {
        for (std::uint32_t t = rows.first[j]; t < rows.first[j + 1]; ++t) {
            const std::uint8_t* row = RowOf(src, rows.taps[t].index);
            row = channels == 3 ? src.rowTo24(src, row) : src.rowTo32(src, row);
            if (t == rows.first[j]) {
                AccumulateFirst(acc.data(), row, lineLength, rows.taps[t].weight);
            } else {
                Accumulate(acc.data(), row, lineLength, rows.taps[t].weight);
            }
        }
        Normalise(line.data(), acc.data(), lineLength, rows.span[j]);

        std::uint8_t* out = RowOf(dst, j);
        for (std::uint32_t i = 0; i < dst.width; ++i) {
            std::uint32_t sum[4] = {0, 0, 0, 0};
            for (std::uint32_t t = columns.first[i]; t < columns.first[i + 1]; ++t) {
                const std::uint8_t* p =
                    &line[static_cast<std::size_t>(columns.taps[t].index) * channels];
                const std::uint32_t w = columns.taps[t].weight;
                for (std::uint32_t c = 0; c < 4; ++c) {
                    sum[c] += (p[c % channels] * w) >> 8;
                }
            }
            const double scale = columnScale[i];
            for (std::uint32_t c = 0; c < channels; ++c) {
                out[i * channels + c] = static_cast<std::uint8_t>(static_cast<std::int32_t>(
                    static_cast<std::int32_t>(sum[c]) * scale + kQuotientBias));
            }
        }
    }
}

// ---- The narrow alpha-aware variant with AVX2 ----
//
// Most machines have AVX2, and the vectoriser does not find this arrangement by itself, so the
// narrow variant is written out with intrinsics; the portable code above stays as the path
// for other processors and gives the same results.
//
// Vertical pass, eight pixels at a time: a pixel's bytes (b, g, r, a) become (b, g, r, 1) if
// a is not 0 and (0, 0, 0, 0) if it is. Taps of full weight (256, all but the first and last
// of a row) add those bytes as 16-bit words, which are widened once at the end. The words
// cannot overflow: the widest column covers at least 256 units, so the narrow bound on span
// products leaves at most 2^16 units, 256 full taps, to a row. The partial taps multiply
// them in 16 bits (255 * 255 fits) and add in 32 bits. The result is the line of (blue,
// green, red, weight) words per source pixel, and a line of normalised alpha.
//
// Horizontal pass: every destination pixel gets the same number of taps (padded with weight
// 0 to a multiple of four), starting at its first covered pixel; the lines have room behind
// the last pixel for the padding. Each pair of taps is one 8-word multiply-add. The sums of
// eight destination pixels are then turned into bytes together, each quotient exact (see
// QuotientAvx2). The row is done in pieces, both passes per piece, so that the line is still
// in the first-level cache when the horizontal pass reads it.

#if KELVANDOR_SCALE_AVX2

struct PaddedColumns {
    std::size_t taps = 0;  // per destination pixel, a multiple of 4
    // Per destination pixel, padded to a multiple of 8 pixels with pixels of weight 0:
    std::vector<std::uint32_t> start;    // first covered source pixel
    std::vector<std::uint32_t> weights;  // taps, 0 for padding
    std::vector<std::uint32_t> span;     // covered units, 1 for padding
    std::vector<float> spanReciprocal;   // 1 / span
};

PaddedColumns PadColumns(const AxisPlan& columns, std::uint32_t destWidth) {
    PaddedColumns padded;
    std::size_t most = 1;
    for (std::uint32_t i = 0; i < destWidth; ++i) {
        most = std::max<std::size_t>(most, columns.first[i + 1] - columns.first[i]);
    }
    padded.taps = (most + 3) & ~std::size_t{3};
    const std::size_t whole = (destWidth + std::size_t{7}) & ~std::size_t{7};
    padded.start.assign(whole, 0);
    padded.weights.assign(whole * padded.taps, 0);
    padded.span.assign(whole, 1);
    padded.spanReciprocal.assign(whole, 1.0f);
    for (std::uint32_t i = 0; i < destWidth; ++i) {
        const std::uint32_t first = columns.first[i];
        padded.start[i] = columns.taps[first].index;
        for (std::uint32_t t = first; t < columns.first[i + 1]; ++t) {
            // The taps of one destination pixel are consecutive source pixels.
            const std::size_t k = columns.taps[t].index - padded.start[i];
            padded.weights[i * padded.taps + k] = columns.taps[t].weight;
        }
        padded.span[i] = columns.span[i];
        padded.spanReciprocal[i] = 1.0f / static_cast<float>(columns.span[i]);
    }
    return padded;
}

// floor(n / d) for eight n below 2^32 and d from 1 to 2^24 with n <= 255 d, given the
// single-precision 1 / d. The estimate from n rounded down to even is within one of the
// quotient: for d = 1 it is n or n - 1, for larger d at most a half below, and the rounding
// errors (three of 2^-24 relative, on a quotient below 256) stay below 2^-14. One correction
// step each way, with the remainder in exact integers, makes it exact.
__attribute__((target("avx2"), always_inline)) inline __m256i QuotientAvx2(__m256i n, __m256i d,
                                                                           __m256 reciprocal) {
    const __m256 half = _mm256_cvtepi32_ps(_mm256_srli_epi32(n, 1));
    __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_add_ps(half, half), reciprocal));
    const __m256i rest = _mm256_sub_epi32(n, _mm256_mullo_epi32(q, d));
    q = _mm256_add_epi32(q, _mm256_cmpgt_epi32(_mm256_setzero_si256(), rest));  // -1 if below
    q = _mm256_sub_epi32(
        q, _mm256_cmpgt_epi32(rest, _mm256_sub_epi32(d, _mm256_set1_epi32(1))));  // +1 if above
    return q;
}

// The taps of one destination row: the rows of full weight, then the partial ones.
struct RowTaps {
    std::vector<const std::uint8_t*> full, partial;
    std::vector<std::uint32_t> partialWeights;
    std::uint32_t span = 0;
};

// Widens the (b, g, r, 1) words of pixels (0 1 | 4 5) and (2 3 | 6 7) to words in the order
// (0|4), (1|5), (2|6), (3|7), as the in-lane unpacking leaves them, shifted left by shift.
__attribute__((target("avx2"), always_inline)) inline void WidenAvx2(__m256i low, __m256i high,
                                                                     int shift, __m256i* wide) {
    const __m256i zero = _mm256_setzero_si256();
    const __m128i count = _mm_cvtsi32_si128(shift);
    wide[0] = _mm256_add_epi32(wide[0], _mm256_sll_epi32(_mm256_unpacklo_epi16(low, zero), count));
    wide[1] = _mm256_add_epi32(wide[1], _mm256_sll_epi32(_mm256_unpackhi_epi16(low, zero), count));
    wide[2] = _mm256_add_epi32(wide[2], _mm256_sll_epi32(_mm256_unpacklo_epi16(high, zero), count));
    wide[3] = _mm256_add_epi32(wide[3], _mm256_sll_epi32(_mm256_unpackhi_epi16(high, zero), count));
}

// The vertical pass for pixels [firstPixel, endPixel) of one destination row. line gets four
// words per pixel, alpha one. Without partial taps every word of the line is left 256 times
// too small, which changes no quotient of colour by weight (and alpha is not affected).
__attribute__((target("avx2"))) void VerticalAvx2(std::uint32_t* __restrict line,
                                                  std::uint32_t* __restrict alphaOut,
                                                  const RowTaps& taps, std::size_t firstPixel,
                                                  std::size_t endPixel) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i colourAndOne = _mm256_set1_epi32(0x01FFFFFF);
    const std::size_t fullCount = taps.full.size(), partialCount = taps.partial.size();
    const std::uint8_t* const* full = taps.full.data();
    const std::uint8_t* const* partial = taps.partial.data();
    const std::uint32_t span = taps.span;
    const __m256i spanVector = _mm256_set1_epi32(static_cast<int>(span));
    const __m256 spanReciprocal = _mm256_set1_ps(1.0f / static_cast<float>(span));
    const int fullShift = partialCount != 0 ? 8 : 0;
    std::size_t x = firstPixel;
    for (; x + 8 <= endPixel; x += 8) {
        __m256i low = zero, high = zero, alpha = zero;
        for (std::size_t t = 0; t < fullCount; ++t) {
            const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(full[t] + 4 * x));
            const __m256i a = _mm256_srli_epi32(p, 24);
            const __m256i q =
                _mm256_andnot_si256(_mm256_cmpeq_epi32(a, zero), _mm256_min_epu8(p, colourAndOne));
            alpha = _mm256_add_epi32(alpha, a);
            low = _mm256_add_epi16(low, _mm256_unpacklo_epi8(q, zero));
            high = _mm256_add_epi16(high, _mm256_unpackhi_epi8(q, zero));
        }
        __m256i wide[4] = {zero, zero, zero, zero};
        WidenAvx2(low, high, fullShift, wide);
        for (std::size_t t = 0; t < partialCount; ++t) {
            const __m256i p =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(partial[t] + 4 * x));
            const __m256i a = _mm256_srli_epi32(p, 24);
            const __m256i q =
                _mm256_andnot_si256(_mm256_cmpeq_epi32(a, zero), _mm256_min_epu8(p, colourAndOne));
            const std::uint32_t w = taps.partialWeights[t];
            const __m256i w32 = _mm256_set1_epi32(static_cast<int>(w));
            const __m256i w16 = _mm256_set1_epi16(static_cast<short>(w));
            alpha = _mm256_add_epi32(alpha, _mm256_srli_epi32(_mm256_mullo_epi32(a, w32), 8));
            WidenAvx2(_mm256_mullo_epi16(_mm256_unpacklo_epi8(q, zero), w16),
                      _mm256_mullo_epi16(_mm256_unpackhi_epi8(q, zero), w16), 0, wide);
        }
        __m256i* out = reinterpret_cast<__m256i*>(line + 4 * x);
        _mm256_storeu_si256(out + 0, _mm256_permute2x128_si256(wide[0], wide[1], 0x20));
        _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(wide[2], wide[3], 0x20));
        _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(wide[0], wide[1], 0x31));
        _mm256_storeu_si256(out + 3, _mm256_permute2x128_si256(wide[2], wide[3], 0x31));
        if (span != 256) {  // alpha * 256 / span; the sum is at most 255 * span / 256
            alpha = QuotientAvx2(_mm256_slli_epi32(alpha, 8), spanVector, spanReciprocal);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(alphaOut + x), alpha);
    }
    for (; x < endPixel; ++x) {
        std::uint32_t sum[4] = {0, 0, 0, 0}, alphaSum = 0;
        for (std::size_t t = 0; t < fullCount + partialCount; ++t) {
            const bool isFull = t < fullCount;
            const std::uint8_t* row = isFull ? full[t] : partial[t - fullCount];
            const std::uint32_t w = isFull ? 1u << fullShift : taps.partialWeights[t - fullCount];
            std::uint32_t p;
            std::memcpy(&p, row + 4 * x, 4);
            const std::uint32_t a = p >> 24;
            alphaSum += isFull ? a : (a * w) >> 8;
            if (a != 0) {
                sum[0] += (p & 0xFF) * w;
                sum[1] += ((p >> 8) & 0xFF) * w;
                sum[2] += ((p >> 16) & 0xFF) * w;
                sum[3] += w;
            }
        }
        std::memcpy(line + 4 * x, sum, sizeof sum);
        alphaOut[x] = static_cast<std::uint32_t>(std::uint64_t{alphaSum} * 256 / span);
    }
}

// The sums of destination pixel i: (blue, green, red, weight) and four partial alpha sums.
// kTaps is the padded tap count if known when compiling, else 0.
template <std::size_t kTaps>
__attribute__((target("avx2"), always_inline)) inline void SumPixelAvx2(
    const std::uint32_t* __restrict line, const std::uint32_t* __restrict alpha,
    const PaddedColumns& columns, std::size_t i, __m128i& colourSum, __m128i& alphaSum) {
    const std::size_t taps = kTaps != 0 ? kTaps : columns.taps;
    const std::uint32_t* l = line + 4 * static_cast<std::size_t>(columns.start[i]);
    const std::uint32_t* a = alpha + columns.start[i];
    const std::uint32_t* w = columns.weights.data() + i * taps;
    const __m256i firstPair = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256i secondPair = _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3);
    __m256i colour = _mm256_setzero_si256();
    alphaSum = _mm_setzero_si128();
    for (std::size_t k = 0; k < taps; k += 4) {
        const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + k));
        const __m256i weights = _mm256_castsi128_si256(weight);
        colour = _mm256_add_epi32(
            colour,
            _mm256_mullo_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(l + 4 * k)),
                               _mm256_permutevar8x32_epi32(weights, firstPair)));
        colour = _mm256_add_epi32(
            colour,
            _mm256_mullo_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(l + 4 * k + 8)),
                               _mm256_permutevar8x32_epi32(weights, secondPair)));
        alphaSum = _mm_add_epi32(
            alphaSum,
            _mm_srli_epi32(
                _mm_mullo_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k)), weight),
                8));
    }
    colourSum = _mm_add_epi32(_mm256_castsi256_si128(colour), _mm256_extracti128_si256(colour, 1));
}

// Eight 4-word vectors, one per destination pixel, as four registers of one quantity each.
struct Transposed {
    __m256i first, second, third, fourth;
};

__attribute__((target("avx2"), always_inline)) inline Transposed TransposeAvx2(const __m128i* v) {
    const __m256i s0 = _mm256_set_m128i(v[4], v[0]), s1 = _mm256_set_m128i(v[5], v[1]);
    const __m256i s2 = _mm256_set_m128i(v[6], v[2]), s3 = _mm256_set_m128i(v[7], v[3]);
    const __m256i t0 = _mm256_unpacklo_epi32(s0, s1), t1 = _mm256_unpacklo_epi32(s2, s3);
    const __m256i t2 = _mm256_unpackhi_epi32(s0, s1), t3 = _mm256_unpackhi_epi32(s2, s3);
    return {_mm256_unpacklo_epi64(t0, t1), _mm256_unpackhi_epi64(t0, t1),
            _mm256_unpacklo_epi64(t2, t3), _mm256_unpackhi_epi64(t2, t3)};
}

// The horizontal pass for destination pixels [first, end) of one row (first a multiple of 8),
// eight at a time; the plan is padded to whole groups with pixels of weight 0.
template <std::size_t kTaps>
__attribute__((target("avx2"))) void HorizontalAvx2(std::uint8_t* __restrict out,
                                                    const std::uint32_t* __restrict line,
                                                    const std::uint32_t* __restrict alpha,
                                                    const PaddedColumns& columns,
                                                    std::uint32_t first, std::uint32_t end) {
    for (std::uint32_t i = first; i < end; i += 8) {
        __m128i sums[8], alphaParts[8];
#pragma GCC unroll 8
        for (std::uint32_t k = 0; k < 8; ++k) {
            SumPixelAvx2<kTaps>(line, alpha, columns, i + k, sums[k], alphaParts[k]);
        }
        const Transposed c = TransposeAvx2(sums);
        const __m256i weight = c.fourth;
        const __m256 reciprocal = _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_cvtepi32_ps(weight));
        const __m256i blue = QuotientAvx2(c.first, weight, reciprocal);
        const __m256i green = QuotientAvx2(c.second, weight, reciprocal);
        const __m256i red = QuotientAvx2(c.third, weight, reciprocal);
        __m256i colour = _mm256_or_si256(
            blue, _mm256_or_si256(_mm256_slli_epi32(green, 8), _mm256_slli_epi32(red, 16)));
        // Weight 0 (nothing visible) has no quotient; its colour is 0.
        colour = _mm256_andnot_si256(_mm256_cmpeq_epi32(weight, _mm256_setzero_si256()), colour);

        const Transposed a = TransposeAvx2(alphaParts);
        const __m256i alphaSum = _mm256_add_epi32(_mm256_add_epi32(a.first, a.second),
                                                  _mm256_add_epi32(a.third, a.fourth));
        const __m256i alphaValue = QuotientAvx2(
            _mm256_slli_epi32(alphaSum, 8),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns.span.data() + i)),
            _mm256_loadu_ps(columns.spanReciprocal.data() + i));
        const __m256i pixels = _mm256_or_si256(colour, _mm256_slli_epi32(alphaValue, 24));
        if (i + 8 <= end) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * static_cast<std::size_t>(i)),
                                pixels);
        } else {
            std::uint32_t last[8];
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(last), pixels);
            std::memcpy(out + 4 * static_cast<std::size_t>(i), last, 4 * (end - i));
        }
    }
}

// Destination rows [firstRow, endRow) of the narrow variant.
void ScaleRowsAvx2(CDibImage& dst, const CDibImage& src, const PaddedColumns& columns,
                   const AxisPlan& rows, std::uint32_t firstRow, std::uint32_t endRow) {
    constexpr std::uint32_t kPiece = 128;  // destination pixels, a multiple of 8
    const std::size_t pixels = src.width;
    // Each piece computes the whole line under the taps of its destination pixels, so only
    // the room behind the last pixel, which padding taps may cover, needs to start as zero.
    const std::size_t room = pixels + columns.taps;
    const std::unique_ptr<std::uint32_t[]> line(new std::uint32_t[4 * room]);
    const std::unique_ptr<std::uint32_t[]> alpha(new std::uint32_t[room]);
    std::fill(line.get() + 4 * pixels, line.get() + 4 * room, 0u);
    std::fill(alpha.get() + pixels, alpha.get() + room, 0u);
    RowTaps taps;
    for (std::uint32_t j = firstRow; j < endRow; ++j) {
        taps.full.clear();
        taps.partial.clear();
        taps.partialWeights.clear();
        taps.span = rows.span[j];
        for (std::uint32_t t = rows.first[j]; t < rows.first[j + 1]; ++t) {
            const std::uint8_t* row = RowOf(src, rows.taps[t].index);
            if (rows.taps[t].weight == 256) {
                taps.full.push_back(row);
            } else {
                taps.partial.push_back(row);
                taps.partialWeights.push_back(rows.taps[t].weight);
            }
        }
        std::uint8_t* out = RowOf(dst, j);
        // A piece of the row at a time, so that its line stays in the first-level cache
        // between the two passes.
        for (std::uint32_t first = 0; first < dst.width; first += kPiece) {
            const std::uint32_t end = std::min(first + kPiece, dst.width);
            const std::size_t firstPixel = columns.start[first] & ~std::size_t{7};
            const std::size_t endPixel = std::min<std::size_t>(
                pixels, (columns.start[end - 1] + columns.taps + 7) & ~std::size_t{7});
            VerticalAvx2(line.get(), alpha.get(), taps, firstPixel, endPixel);
            if (columns.taps == 4) {  // reducing by up to three, and every enlargement
                HorizontalAvx2<4>(out, line.get(), alpha.get(), columns, first, end);
            } else {
                HorizontalAvx2<0>(out, line.get(), alpha.get(), columns, first, end);
            }
        }
    }
}

#endif  // KELVANDOR_SCALE_AVX2

// Area averaging of a 32-bit source (rows read as 32 bits) whose alpha varies: destination
// rows [firstRow, endRow) of the narrow variant.
void ScaleSmoothAlphaAwareNarrow(CDibImage& dst, const CDibImage& src, const AxisPlan& columns,
                                 const AxisPlan& rows, std::uint32_t firstRow,
                                 std::uint32_t endRow);

// Large jobs are worth a second thread: waking it costs some microseconds, a job that reads
// this many source pixels takes about a hundred.
constexpr std::uint64_t kSplitPixels = 150000;

void ScaleSmoothAlphaAware(CDibImage& dst, const CDibImage& src) {
    const AxisPlan columns = PlanAxis(src.width, dst.width);
    const AxisPlan rows = PlanAxis(src.height, dst.height);
    const std::uint64_t widestColumn = *std::max_element(columns.span.begin(), columns.span.end());
    const std::uint64_t tallestRow = *std::max_element(rows.span.begin(), rows.span.end());
    // The narrow variant reads the source rows directly, all covered rows at once.
    if (src.bitsPerPixel == 32 && widestColumn * tallestRow <= kMagicLimit) {
        const bool split = std::uint64_t{src.width} * rows.taps.size() >= kSplitPixels;
#if KELVANDOR_SCALE_AVX2
        if (UseAvx2()) {
            const PaddedColumns padded = PadColumns(columns, dst.width);
            RunRowsInTwo(dst.height, split, [&](std::uint32_t firstRow, std::uint32_t endRow) {
                ScaleRowsAvx2(dst, src, padded, rows, firstRow, endRow);
            });
            return;
        }
#endif
        RunRowsInTwo(dst.height, split, [&](std::uint32_t firstRow, std::uint32_t endRow) {
            ScaleSmoothAlphaAwareNarrow(dst, src, columns, rows, firstRow, endRow);
        });
        return;
    }
    const std::size_t pixels = src.width;
    AlphaAwareLine line(pixels);
    std::vector<std::uint8_t> alpha(pixels);
    std::vector<double> columnScale(dst.width);
    for (std::uint32_t i = 0; i < dst.width; ++i) {
        columnScale[i] = 256.0 / columns.span[i];
    }
    for (std::uint32_t j = 0; j < dst.height; ++j) {
        for (std::uint32_t t = rows.first[j]; t < rows.first[j + 1]; ++t) {
            const std::uint8_t* row = src.rowTo32(src, RowOf(src, rows.taps[t].index));
            AccumulateAlphaAware(line.blue.data(), line.green.data(), line.red.data(),
                                 line.alpha.data(), line.weight.data(), row, pixels,
                                 rows.taps[t].weight, t == rows.first[j]);
        }
        Normalise(alpha.data(), line.alpha.data(), pixels, rows.span[j]);

        std::uint8_t* out = RowOf(dst, j);
        std::uint64_t lastWeight = 0, magic = 0;  // neighbours mostly share their weight
        for (std::uint32_t i = 0; i < dst.width; ++i) {
            std::uint64_t blue = 0, green = 0, red = 0, weight = 0;
            std::uint32_t alphaSum = 0;
            for (std::uint32_t t = columns.first[i]; t < columns.first[i + 1]; ++t) {
                const std::size_t x = columns.taps[t].index;
                const std::uint32_t w = columns.taps[t].weight;
                blue += std::uint64_t{line.blue[x]} * w;
                green += std::uint64_t{line.green[x]} * w;
                red += std::uint64_t{line.red[x]} * w;
                weight += std::uint64_t{line.weight[x]} * w;
                alphaSum += (alpha[x] * w) >> 8;
            }
            std::uint8_t* p = out + 4 * static_cast<std::size_t>(i);
            if (weight == 0) {
                p[0] = p[1] = p[2] = 0;
            } else if (weight <= kMagicLimit) {
                if (weight != lastWeight) {
                    lastWeight = weight;
                    magic = MagicFor(weight);
                }
                p[0] = QuotientByMagic(blue, magic);
                p[1] = QuotientByMagic(green, magic);
                p[2] = QuotientByMagic(red, magic);
            } else {
                const double reciprocal = 1.0 / static_cast<double>(weight);
                p[0] = static_cast<std::uint8_t>(DivideExact(blue, weight, reciprocal));
                p[1] = static_cast<std::uint8_t>(DivideExact(green, weight, reciprocal));
                p[2] = static_cast<std::uint8_t>(DivideExact(red, weight, reciprocal));
            }
            p[3] = static_cast<std::uint8_t>(static_cast<std::int32_t>(
                static_cast<std::int32_t>(alphaSum) * columnScale[i] + kQuotientBias));
        }
    }
}

// The same for the usual ratios, where every sum of a destination pixel stays below 2^32
// (span products up to 2^24): blue, green, red and the contributing weight lie side by side
// in one line, so that each tap of the horizontal pass is one four-word multiply-add.
// The vertical pass of the narrow variant: all covered source rows of one destination row
// at once, eight pixels at a time, so that the sums stay in registers and the line is
// written once.
template <std::size_t kCount>
KELVANDOR_ROW_INLINE void VerticalBlock(std::uint32_t* __restrict line,
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

KELVANDOR_ROW_KERNEL void VerticalAlphaAwareNarrow(std::uint32_t* __restrict line,
                                                   std::uint32_t* __restrict alphaSums,
                                                   const std::uint8_t* const* rows,
                                                   const std::uint32_t* weights, std::size_t taps,
                                                   std::size_t pixels) {
    constexpr std::size_t kBlock = 8;
    std::size_t x = 0;
    for (; x + kBlock <= pixels; x += kBlock) {
        VerticalBlock<kBlock>(line, alphaSums, rows, weights, taps, x, kBlock);
    }
    VerticalBlock<kBlock>(line, alphaSums, rows, weights, taps, x, pixels - x);
}

// The horizontal pass of the narrow variant for one destination row.
KELVANDOR_ROW_KERNEL void HorizontalAlphaAwareNarrow(std::uint8_t* __restrict out,
                                                     const std::uint32_t* __restrict line,
                                                     const std::uint8_t* __restrict alpha,
                                                     const AxisPlan& columns,
                                                     const double* __restrict columnScale,
                                                     std::uint32_t width) {
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

void ScaleSmoothAlphaAwareNarrow(CDibImage& dst, const CDibImage& src, const AxisPlan& columns,
                                 const AxisPlan& rows, std::uint32_t firstRow,
                                 std::uint32_t endRow) {
    const std::size_t pixels = src.width;
    std::vector<std::uint32_t> line(4 * pixels), alphaSums(pixels);
    std::vector<std::uint8_t> alpha(pixels);
    std::vector<double> columnScale(dst.width);
    for (std::uint32_t i = 0; i < dst.width; ++i) {
        columnScale[i] = 256.0 / columns.span[i];
    }
    std::vector<const std::uint8_t*> tapRows;
    std::vector<std::uint32_t> tapWeights;
    for (std::uint32_t j = firstRow; j < endRow; ++j) {
        tapRows.clear();
        tapWeights.clear();
        for (std::uint32_t t = rows.first[j]; t < rows.first[j + 1]; ++t) {
            const std::uint8_t* row = RowOf(src, rows.taps[t].index);
            tapRows.push_back(row);
            tapWeights.push_back(rows.taps[t].weight);
        }
        VerticalAlphaAwareNarrow(line.data(), alphaSums.data(), tapRows.data(), tapWeights.data(),
                                 tapRows.size(), pixels);
        Normalise(alpha.data(), alphaSums.data(), pixels, rows.span[j]);

        HorizontalAlphaAwareNarrow(RowOf(dst, j), line.data(), alpha.data(), columns,
                                   columnScale.data(), dst.width);
    }
}

// ---- Nearest neighbour ----

void ScaleNearest(CDibImage& dst, const CDibImage& src) {
    std::vector<std::uint32_t> sourceX(dst.width);
    for (std::uint32_t i = 0; i < dst.width; ++i) {
        sourceX[i] =
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(i) * src.width / dst.width);
    }
    const std::uint32_t count = dst.width;
    const std::uint32_t* __restrict xs = sourceX.data();
    // Destination pixels before `safe` may copy four bytes of a 24-bit source: their source
    // pixel is not the last one of its row, so the fourth byte is still inside the row.
    std::uint32_t safe = count;
    while (safe > 0 && xs[safe - 1] + 1 >= src.width) {
        --safe;
    }
    safe = std::min(safe, count - 1);  // the last destination pixel has no neighbour to overwrite

    std::int64_t previousY = -1;
    const std::uint8_t* previousRow = nullptr;
    const std::size_t rowBytes = (static_cast<std::size_t>(dst.width) * dst.bitsPerPixel + 7) / 8;
    for (std::uint32_t j = 0; j < dst.height; ++j) {
        const std::uint32_t sy =
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(j) * src.height / dst.height);
        std::uint8_t* __restrict out = RowOf(dst, j);
        if (sy == previousY) {
            // Enlarging vertically repeats rows: copy the one just made.
            std::memcpy(out, previousRow, rowBytes);
            continue;
        }
        const std::uint8_t* row = RowOf(src, sy);
        switch (dst.bitsPerPixel) {
            case 32: {
                const std::uint8_t* __restrict wide = src.rowTo32(src, row);
                for (std::uint32_t i = 0; i < count; ++i) {
                    std::memcpy(out + 4 * static_cast<std::size_t>(i),
                                wide + 4 * static_cast<std::size_t>(xs[i]), 4);
                }
                break;
            }
            case 24: {
                const std::uint8_t* __restrict s = row;
                std::uint32_t i = 0;
                for (; i < safe; ++i) {
                    std::memcpy(out + 3 * static_cast<std::size_t>(i),
                                s + 3 * static_cast<std::size_t>(xs[i]), 4);
                }
                for (; i < count; ++i) {
                    std::memcpy(out + 3 * static_cast<std::size_t>(i),
                                s + 3 * static_cast<std::size_t>(xs[i]), 3);
                }
                break;
            }
            case 15:
            case 16: {
                const std::uint8_t* __restrict s = row;
                for (std::uint32_t i = 0; i < count; ++i) {
                    std::memcpy(out + 2 * static_cast<std::size_t>(i),
                                s + 2 * static_cast<std::size_t>(xs[i]), 2);
                }
                break;
            }
            default:
                for (std::uint32_t i = 0; i < count; ++i) {
                    dst.putPixel(out, i, src.getPixel(row, xs[i]));
                }
                break;
        }
        previousY = sy;
        previousRow = out;
    }
}

}  // namespace

void SetScaleKernels(ScaleKernels kernels) {
    gScaleKernels.store(kernels, std::memory_order_relaxed);
}

ScaleKernels GetScaleKernels() {
    return gScaleKernels.load(std::memory_order_relaxed);
}

bool CDibImage::Scale(const CDibImage& source, std::uint32_t newWidth, std::uint32_t newHeight,
                      std::uint32_t flags) {
    if (&source == this) {
        const CDibImage copy(source);
        return Scale(copy, newWidth, newHeight, flags);
    }
    if (!HasPixels(source) || newWidth == 0 || newHeight == 0) {
        Free();
        return false;
    }
    if (newWidth == source.width && newHeight == source.height) {
        if ((flags & kScaleForce32) == 0) {
            Assign(source);
            return !IsEmpty();
        }
        if (!Create(32, newWidth, newHeight, NoFill)) {
            return false;
        }
        for (std::uint32_t y = 0; y < height; ++y) {
            std::memcpy(RowOf(*this, y), source.rowTo32(source, RowOf(source, y)),
                        4 * static_cast<std::size_t>(width));
        }
        return true;
    }

    std::uint32_t depth = source.bitsPerPixel;
    if ((flags & kScaleForce32) != 0 || source.bitsPerPixel == 32) {
        depth = 32;
    } else if ((flags & kScaleSmooth) != 0) {
        depth = 24;
    }
    const int alphaKind = source.AlphaKind();
    if (!Create(depth, newWidth, newHeight, NoFill)) {
        return false;
    }
    for (std::uint32_t i = 0; i < source.paletteSize; ++i) {
        palette[i] = source.palette[i];
    }
    if ((flags & kScaleSmooth) == 0) {
        ScaleNearest(*this, source);
    } else if (depth == 24) {
        ScaleSmoothPlain(*this, source, 3);
    } else if (alphaKind == 2) {
        ScaleSmoothAlphaAware(*this, source);
    } else {
        ScaleSmoothPlain(*this, source, 4);
    }
    return true;
}

}  // namespace kelvandor
