// The AVX2 kernels. The alpha blends and the narrow alpha-aware scaling are written out with
// intrinsics, because the vectoriser does not find their arrangement by itself; the other
// loops are the portable ones compiled for AVX2. Every kernel gives the portable one's bytes.

#define KELVANDOR_KERNELS_NS avx2

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/DrawKernels.h"
#include "kernels/KernelTables.h"
#include "kernels/RowLoops.h"

namespace kelvandor::kernels::avx2 {
namespace {

// ---- Alpha blends ----
//
// Eight pixels at a time: a block whose alpha is all 255 is copied, one whose alpha is all 0
// is skipped, any other is blended in 16-bit lanes (every product and sum of the blend fits
// in 16 bits: 255 * 257 = 65535). The pictures the game draws are mostly opaque with soft
// edges, so nearly every block takes one of the first two ways.

inline __m256i Load8(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

inline void Store8(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

inline __m256i AlphaMask() {
    return _mm256_set1_epi32(static_cast<int>(0xFF000000u));
}

// Eight pixels blended by the source alpha a: every channel, the alpha channel included,
// becomes (s * (a + 1) + d * (256 - a)) >> 8.
inline __m256i Blend8(__m256i s, __m256i d) {
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    // The alpha byte of each pixel into both of its 16-bit halves.
    const __m256i a2 = _mm256_shuffle_epi8(
        s, _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1,  //
                            3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1));
    const __m256i sw = _mm256_add_epi16(a2, _mm256_set1_epi16(1));
    const __m256i dw = _mm256_sub_epi16(_mm256_set1_epi16(256), a2);
    const __m256i blueRed =
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, lowBytes), sw),
                                           _mm256_mullo_epi16(_mm256_and_si256(d, lowBytes), dw)),
                          8);
    const __m256i greenAlpha = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), sw),
                                                _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), dw));
    return _mm256_or_si256(blueRed, _mm256_andnot_si256(lowBytes, greenAlpha));
}

// Eight 3-byte pixels (24 bytes, read as 16 + 8 so that no read crosses a store of the
// block before) widened to 32-bit pixels with alpha 0.
inline __m256i Load24(const std::uint8_t* p) {
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 16)), 1);
    // Pixels 0-3 into the low half, 4-7 (bytes 12..23) into the high half, then each pixel
    // into a 32-bit lane.
    const __m256i halves =
        _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 5));
    const __m256i spread =
        _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                         0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    return _mm256_shuffle_epi8(halves, spread);
}

// Writes eight pixels as 3-byte pixels at p: exactly 24 bytes.
inline void Store24(std::uint8_t* p, __m256i pixels) {
    const __m256i pack =
        _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                         0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, pack),
                                                       _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm256_extracti128_si256(packed, 1));
}

// A 24-bit row widened to opaque 32-bit pixels, 32 and then eight at a time; the last few
// pixels go through the loop version, so nothing is read beyond the row. A 4K frame is far
// larger than the caches and the copy waits on memory: asking for the source a kilobyte ahead
// made presenting it 25-40 % faster than leaving that to the hardware. (A prefetch never
// faults, so the one past the last row is harmless.)
void Widen24RowAvx2(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                    std::uint32_t n) {
    constexpr std::size_t kAhead = 1024;
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const std::uint8_t* from = s + 3 * i;
        _mm_prefetch(reinterpret_cast<const char*>(from + kAhead), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(from + kAhead + 64), _MM_HINT_T0);
        const __m256i p0 = Load24(from), p1 = Load24(from + 24), p2 = Load24(from + 48),
                      p3 = Load24(from + 72);
        Store8(d + 4 * i, _mm256_or_si256(p0, AlphaMask()));
        Store8(d + 4 * i + 32, _mm256_or_si256(p1, AlphaMask()));
        Store8(d + 4 * i + 64, _mm256_or_si256(p2, AlphaMask()));
        Store8(d + 4 * i + 96, _mm256_or_si256(p3, AlphaMask()));
    }
    for (; i + 8 <= n; i += 8) {
        Store8(d + 4 * i, _mm256_or_si256(Load24(s + 3 * i), AlphaMask()));
    }
    OpaqueRow<3>(d + 4 * i, s + 3 * i, static_cast<std::uint32_t>(n - i));
}

// How many leading 4-byte pixels come before the first 32-byte boundary of the destination:
// the runs of opaque pixels are copied with aligned stores from there on, because a store
// that straddles two cache lines costs twice. (3-byte pixels are left as they come: aligning
// them would cost up to 31 pixels of ragged work per row, more than it saves.)
inline std::size_t AlignmentLead(const std::uint8_t* d, std::size_t count) {
    const std::size_t misalign = (32 - reinterpret_cast<std::uintptr_t>(d) % 32) % 32;
    const std::size_t lead = misalign % 4 == 0 ? misalign / 4 : 0;
    return lead < count ? lead : 0;
}

// Copies 32 source pixels when all of them are opaque.
inline bool CopyOpaque32To32(std::uint8_t* d, const std::uint8_t* s) {
    const __m256i v0 = Load8(s), v1 = Load8(s + 32), v2 = Load8(s + 64), v3 = Load8(s + 96);
    const __m256i all = _mm256_and_si256(_mm256_and_si256(v0, v1), _mm256_and_si256(v2, v3));
    if (!_mm256_testc_si256(all, AlphaMask())) {
        return false;
    }
    Store8(d, v0);
    Store8(d + 32, v1);
    Store8(d + 64, v2);
    Store8(d + 96, v3);
    return true;
}

// The same onto 3-byte pixels: each block of eight is packed to 24 bytes, and the four are
// joined into three full 32-byte stores.
inline bool CopyOpaque32To24(std::uint8_t* d, const std::uint8_t* s) {
    const __m256i v0 = Load8(s), v1 = Load8(s + 32), v2 = Load8(s + 64), v3 = Load8(s + 96);
    const __m256i all = _mm256_and_si256(_mm256_and_si256(v0, v1), _mm256_and_si256(v2, v3));
    if (!_mm256_testc_si256(all, AlphaMask())) {
        return false;
    }
    const __m256i pack =
        _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                         0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    // After the shuffle the 24 bytes of each block are its 32-bit words 0, 1, 2, 4, 5, 6. One
    // word permutation per block puts them where the three stores want them; the middle
    // blocks serve two stores each.
    const __m256i a = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v0, pack),
                                                  _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 6, 6));
    const __m256i b = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v1, pack),
                                                  _mm256_setr_epi32(2, 4, 5, 6, 6, 6, 0, 1));
    const __m256i c = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v2, pack),
                                                  _mm256_setr_epi32(5, 6, 6, 6, 0, 1, 2, 4));
    const __m256i e = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v3, pack),
                                                  _mm256_setr_epi32(0, 0, 0, 1, 2, 4, 5, 6));
    Store8(d, _mm256_blend_epi32(a, b, 0xC0));
    Store8(d + 32, _mm256_blend_epi32(b, c, 0xF0));
    Store8(d + 64, _mm256_blend_epi32(c, e, 0xFC));
    return true;
}

// The three blends, each as a block of eight pixels and a run of 32 opaque ones. A run whose
// alpha is all 255 is copied, since alpha 255 gives the source itself in every blend.

// Onto 4-byte pixels: a block whose alpha is all 0 is skipped, one whose alpha is all 255 is
// copied, any other goes through the kernel's Mix, which handles every case at once.
template <typename Kernel>
struct Onto32 {
    static constexpr std::size_t kBytes = 4;
    static bool Run(std::uint8_t* d, const std::uint8_t* s) { return CopyOpaque32To32(d, s); }
    static void Block(std::uint8_t* d, const std::uint8_t* s) {
        const __m256i alphaMask = AlphaMask();
        const __m256i sp = Load8(s);
        if (_mm256_testz_si256(sp, alphaMask)) {  // all transparent
            return;
        }
        if (_mm256_testc_si256(sp, alphaMask)) {  // all opaque
            Store8(d, sp);
            return;
        }
        Store8(d, Kernel::Mix(sp, Load8(d)));
    }
};

// Onto 3-byte pixels; the kernel has its own Block.
struct Onto24 {
    static constexpr std::size_t kBytes = 3;
    static bool Run(std::uint8_t* d, const std::uint8_t* s) { return CopyOpaque32To24(d, s); }
};

struct Alpha32 : Onto32<Alpha32> {
    // Every case at once.
    static __m256i Mix(__m256i sp, __m256i dp) {
        const __m256i alphaMask = AlphaMask();
        // Alpha 0 keeps the destination's alpha; anything drawn is opaque.
        const __m256i clear =
            _mm256_cmpeq_epi32(_mm256_and_si256(sp, alphaMask), _mm256_setzero_si256());
        const __m256i alpha = _mm256_blendv_epi8(alphaMask, _mm256_and_si256(dp, alphaMask), clear);
        return _mm256_or_si256(_mm256_andnot_si256(alphaMask, Blend8(sp, dp)), alpha);
    }
};

struct Over32 : Onto32<Over32> {
    // Every case at once.
    static __m256i Mix(__m256i sp, __m256i dp) {
        const __m256i alphaMask = AlphaMask();
        const __m256i zero = _mm256_setzero_si256();
        const __m256i destAlpha = _mm256_and_si256(dp, alphaMask);
        // An opaque destination stays opaque; a transparent one takes the source as it is; an
        // invisible source pixel leaves the destination alone.
        __m256i out = _mm256_or_si256(
            Blend8(sp, dp), _mm256_and_si256(_mm256_cmpeq_epi32(destAlpha, alphaMask), alphaMask));
        out = _mm256_blendv_epi8(out, sp, _mm256_cmpeq_epi32(destAlpha, zero));
        return _mm256_blendv_epi8(out, dp,
                                  _mm256_cmpeq_epi32(_mm256_and_si256(sp, alphaMask), zero));
    }
};

struct Alpha24 : Onto24 {
    static void Block(std::uint8_t* d, const std::uint8_t* s) {
        const __m256i alphaMask = AlphaMask();
        const __m256i sp = Load8(s);
        if (_mm256_testz_si256(sp, alphaMask)) {
            return;
        }
        if (_mm256_testc_si256(sp, alphaMask)) {
            Store24(d, sp);
        } else {
            Store24(d, Blend8(sp, Load24(d)));
        }
    }
};

// Fewer than eight pixels. 4-byte pixels go through masked loads and stores; for 3-byte
// pixels the block works on copies, padded with transparent source pixels. Nothing outside
// the row is read or written.
template <typename Kernel>
void PartialBlock(std::uint8_t* d, const std::uint8_t* s, std::size_t count) {
    if constexpr (Kernel::kBytes == 4) {
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(count)),
                                                _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i sp = _mm256_maskload_epi32(reinterpret_cast<const int*>(s), mask);
        const __m256i dp = _mm256_maskload_epi32(reinterpret_cast<const int*>(d), mask);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(d), mask, Kernel::Mix(sp, dp));
    } else {
        alignas(32) std::uint8_t source[32] = {};
        alignas(32) std::uint8_t dest[32] = {};
        std::memcpy(source, s, 4 * count);
        std::memcpy(dest, d, Kernel::kBytes * count);
        Kernel::Block(dest, source);
        std::memcpy(d, dest, Kernel::kBytes * count);
    }
}

template <typename Kernel>
void BlendRowAvx2(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, std::uint32_t n) {
    constexpr std::size_t kBytes = Kernel::kBytes;
    const std::size_t count = n;
    const std::size_t start = kBytes == 4 ? AlignmentLead(d, count) : 0;
    std::size_t i = 0;
    if (start != 0) {
        PartialBlock<Kernel>(d, s, start);
        i = start;
    }
    for (; i + 32 <= count; i += 32) {
        std::uint8_t* out = d + kBytes * i;
        const std::uint8_t* in = s + 4 * i;
        if (!Kernel::Run(out, in)) {
            Kernel::Block(out, in);
            Kernel::Block(out + 8 * kBytes, in + 32);
            Kernel::Block(out + 16 * kBytes, in + 64);
            Kernel::Block(out + 24 * kBytes, in + 96);
        }
    }
    for (; i + 8 <= count; i += 8) {
        Kernel::Block(d + kBytes * i, s + 4 * i);
    }
    if (i < count) {
        PartialBlock<Kernel>(d + kBytes * i, s + 4 * i, count - i);
    }
}

// ---- The narrow alpha-aware variant of area averaging ----
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
// QuotientAvx2).

// floor(n / d) for eight n below 2^32 and d from 1 to 2^24 with n <= 255 d, given the
// single-precision 1 / d. The estimate from n rounded down to even is within one of the
// quotient: for d = 1 it is n or n - 1, for larger d at most a half below, and the rounding
// errors (three of 2^-24 relative, on a quotient below 256) stay below 2^-14. One correction
// step each way, with the remainder in exact integers, makes it exact.
KELVANDOR_LOOP_INLINE __m256i QuotientAvx2(__m256i n, __m256i d, __m256 reciprocal) {
    const __m256 half = _mm256_cvtepi32_ps(_mm256_srli_epi32(n, 1));
    __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_add_ps(half, half), reciprocal));
    const __m256i rest = _mm256_sub_epi32(n, _mm256_mullo_epi32(q, d));
    q = _mm256_add_epi32(q, _mm256_cmpgt_epi32(_mm256_setzero_si256(), rest));  // -1 if below
    q = _mm256_sub_epi32(
        q, _mm256_cmpgt_epi32(rest, _mm256_sub_epi32(d, _mm256_set1_epi32(1))));  // +1 if above
    return q;
}

// Widens the (b, g, r, 1) words of pixels (0 1 | 4 5) and (2 3 | 6 7) to words in the order
// (0|4), (1|5), (2|6), (3|7), as the in-lane unpacking leaves them, shifted left by shift.
KELVANDOR_LOOP_INLINE void WidenAvx2(__m256i low, __m256i high, int shift, __m256i* wide) {
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
void VerticalAvx2(std::uint32_t* __restrict line, std::uint32_t* __restrict alphaOut,
                  const ScaleRowTaps& taps, std::size_t firstPixel, std::size_t endPixel) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i colourAndOne = _mm256_set1_epi32(0x01FFFFFF);
    const std::size_t fullCount = taps.fullCount, partialCount = taps.partialCount;
    const std::uint8_t* const* full = taps.full;
    const std::uint8_t* const* partial = taps.partial;
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
KELVANDOR_LOOP_INLINE void SumPixelAvx2(const std::uint32_t* __restrict line,
                                        const std::uint32_t* __restrict alpha,
                                        const ScalePaddedColumns& columns, std::size_t i,
                                        __m128i& colourSum, __m128i& alphaSum) {
    const std::size_t taps = kTaps != 0 ? kTaps : columns.taps;
    const std::uint32_t* l = line + 4 * static_cast<std::size_t>(columns.start[i]);
    const std::uint32_t* a = alpha + columns.start[i];
    const std::uint32_t* w = columns.weights + i * taps;
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

KELVANDOR_LOOP_INLINE Transposed TransposeAvx2(const __m128i* v) {
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
void HorizontalAvx2(std::uint8_t* __restrict out, const std::uint32_t* __restrict line,
                    const std::uint32_t* __restrict alpha, const ScalePaddedColumns& columns,
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
        const __m256i alphaValue =
            QuotientAvx2(_mm256_slli_epi32(alphaSum, 8),
                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns.span + i)),
                         _mm256_loadu_ps(columns.spanReciprocal + i));
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

void HorizontalPaddedAvx2(std::uint8_t* __restrict out, const std::uint32_t* __restrict line,
                          const std::uint32_t* __restrict alpha, const ScalePaddedColumns& columns,
                          std::uint32_t first, std::uint32_t end) {
    if (columns.taps == 4) {  // reducing by up to three, and every enlargement
        HorizontalAvx2<4>(out, line, alpha, columns, first, end);
    } else {
        HorizontalAvx2<0>(out, line, alpha, columns, first, end);
    }
}

}  // namespace
}  // namespace kelvandor::kernels::avx2

namespace kelvandor::kernels {

const DrawKernels& Avx2Kernels() {
    static constexpr DrawKernels kTable = [] {
        DrawKernels table = avx2::LoopKernels("avx2");
        table.alpha32To32 = avx2::BlendRowAvx2<avx2::Alpha32>;
        table.alpha32To24 = avx2::BlendRowAvx2<avx2::Alpha24>;
        table.over32To32 = avx2::BlendRowAvx2<avx2::Over32>;
        table.widen24To32 = avx2::Widen24RowAvx2;
        table.verticalAlphaAwarePadded = avx2::VerticalAvx2;
        table.horizontalAlphaAwarePadded = avx2::HorizontalPaddedAvx2;
        return table;
    }();
    return kTable;
}

}  // namespace kelvandor::kernels
