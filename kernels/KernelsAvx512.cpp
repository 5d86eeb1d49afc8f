// The AVX-512 kernels (the foundation, the byte and word instructions and the byte permutes):
// the fill with 64-byte stores, and the blends and both padded passes of the narrow
// alpha-aware scaling over 16 pixels at a time. Mask registers take the ragged ends of a row,
// so no piece goes through a copy on the stack, and one byte permute packs 16 pixels of 4
// bytes into 48 bytes or widens them back. The other kernels stay the AVX2 ones. Every kernel
// gives the portable one's bytes.

#define KELVANDOR_KERNELS_NS avx512

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "kernels/DrawKernels.h"
#include "kernels/FillLoop.h"
#include "kernels/KernelTables.h"

// GCC 12's AVX-512 intrinsics start many results from _mm512_undefined_epi32(), which its
// uninitialised-use analysis reports wherever they are inlined: a false report about the
// header, not about this file.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace kelvandor::kernels::avx512 {
namespace {

// ---- Byte permutes between 4-byte and 3-byte pixels ----

// Index vectors of vpermb / vpermt2b, built once when compiling.
using ByteIndex = std::array<std::uint8_t, 64>;

// Byte j of a packed 3-byte stream that starts at byte `from` of the stream is byte
// 4 * (k / 3) + k % 3 (k = from + j) of the 4-byte pixels, counted from byte `base` of them.
constexpr ByteIndex PackIndex(std::size_t from, std::size_t base) {
    ByteIndex index = {};
    for (std::size_t j = 0; j < 64; ++j) {
        const std::size_t k = from + j;
        const std::size_t source = 4 * (k / 3) + k % 3;
        index[j] =
            static_cast<std::uint8_t>(source >= base && source - base < 128 ? source - base : 0);
    }
    return index;
}

// Byte 4p + c of 16 widened pixels is byte 3p + c of the packed ones (c < 3; the alpha byte
// is cleared by kWidenMask).
constexpr ByteIndex WidenIndex() {
    ByteIndex index = {};
    for (std::size_t j = 0; j < 64; ++j) {
        index[j] = static_cast<std::uint8_t>(3 * (j / 4) + (j % 4 < 3 ? j % 4 : 0));
    }
    return index;
}

// 16 pixels into 48 bytes; 64 pixels (four vectors) into three vectors of 64 bytes, each from
// two neighbouring vectors, the first with the same index as 16 pixels.
alignas(64) constexpr ByteIndex kPack16 = PackIndex(0, 0);
alignas(64) constexpr ByteIndex kPack64Second = PackIndex(64, 64);
alignas(64) constexpr ByteIndex kPack64Third = PackIndex(128, 128);
alignas(64) constexpr ByteIndex kWiden16 = WidenIndex();
constexpr __mmask64 kWidenMask = 0x7777777777777777ull;

inline __m512i LoadIndex(const ByteIndex& index) {
    return _mm512_load_si512(index.data());
}

inline __m512i AlphaMask() {
    return _mm512_set1_epi32(static_cast<int>(0xFF000000u));
}

// The lanes of the first `count` of 16 pixels, and their bytes when a pixel has `bytes` bytes.
inline __mmask16 PixelMask(std::size_t count) {
    return static_cast<__mmask16>((1u << count) - 1);
}

inline __mmask64 ByteMask(std::size_t count, std::size_t bytes) {
    const std::size_t n = count * bytes;
    return n >= 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1;
}

// Lanes whose source alpha is not 0, and lanes whose source alpha is 255.
inline __mmask16 Visible(__m512i s) {
    return _mm512_test_epi32_mask(s, AlphaMask());
}

inline __mmask16 Opaque(__m512i s) {
    return _mm512_cmpge_epu32_mask(s, AlphaMask());
}

// Whole blocks of 3-byte pixels are read and written as 32 + 16 bytes, not as one masked
// 64-byte access: a read that overlaps the previous block's store, even only where the store
// was masked off, waits until that store is done instead of taking its bytes. The masked forms
// serve the ragged ends.

// 16 pixels of 3 bytes (48 bytes, the first 3 * count of them read) as 32-bit pixels with
// alpha 0.
inline __m512i Load24(const std::uint8_t* p, std::size_t count) {
    const __m512i bytes =
        count == 16
            ? _mm512_inserti32x4(
                  _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))),
                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), 2)
            : _mm512_maskz_loadu_epi8(ByteMask(count, 3), p);
    return _mm512_maskz_permutexvar_epi8(kWidenMask, LoadIndex(kWiden16), bytes);
}

// The first `count` of 16 pixels written as 3-byte pixels at p: exactly 3 * count bytes.
inline void Store24(std::uint8_t* p, __m512i pixels, std::size_t count) {
    const __m512i packed = _mm512_permutexvar_epi8(LoadIndex(kPack16), pixels);
    if (count == 16) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm512_castsi512_si256(packed));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), _mm512_extracti32x4_epi32(packed, 2));
    } else {
        _mm512_mask_storeu_epi8(p, ByteMask(count, 3), packed);
    }
}

// ---- Alpha blends ----
//
// As in the AVX2 kernels, with 16 pixels a block and runs of 64: a block whose alpha is all 0
// is skipped, one whose alpha is all 255 copied, any other blended in 16-bit lanes, each
// channel (the alpha channel included) becoming (s * (a + 1) + d * (256 - a)) >> 8.

inline __m512i Blend16(__m512i s, __m512i d) {
    const __m512i lowBytes = _mm512_set1_epi16(0x00FF);
    // The alpha byte of each pixel into both of its 16-bit halves.
    const __m512i a2 =
        _mm512_shuffle_epi8(s, _mm512_broadcast_i32x4(_mm_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11,
                                                                    -1, 11, -1, 15, -1, 15, -1)));
    const __m512i sw = _mm512_add_epi16(a2, _mm512_set1_epi16(1));
    const __m512i dw = _mm512_sub_epi16(_mm512_set1_epi16(256), a2);
    const __m512i blueRed =
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(_mm512_and_si512(s, lowBytes), sw),
                                           _mm512_mullo_epi16(_mm512_and_si512(d, lowBytes), dw)),
                          8);
    const __m512i greenAlpha = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_srli_epi16(s, 8), sw),
                                                _mm512_mullo_epi16(_mm512_srli_epi16(d, 8), dw));
    return _mm512_or_si512(blueRed, _mm512_andnot_si512(lowBytes, greenAlpha));
}

// Where the runs of opaque pixels start: a destination address on a 64-byte boundary, so that
// no store of a run straddles two cache lines. Any address of 3-byte pixels gets there within
// 64 pixels (3 has an inverse modulo 64, 43); 4-byte pixels only from a 4-byte boundary.
template <std::size_t kBytes>
inline std::size_t AlignmentLead(const std::uint8_t* d, std::size_t count) {
    const std::size_t toBoundary = (64 - reinterpret_cast<std::uintptr_t>(d) % 64) % 64;
    std::size_t lead = 0;
    if constexpr (kBytes == 3) {
        lead = toBoundary * 43 % 64;
    } else {
        lead = toBoundary % 4 == 0 ? toBoundary / 4 : 0;
    }
    return lead < count ? lead : 0;
}

// The loads of a run of 64 source pixels, and whether all of them are opaque. Four named
// registers, not an array: an array indexed in a loop would go through the stack.
struct Run64 {
    __m512i v0, v1, v2, v3;
    explicit Run64(const std::uint8_t* s)
        : v0(_mm512_loadu_si512(s)),
          v1(_mm512_loadu_si512(s + 64)),
          v2(_mm512_loadu_si512(s + 128)),
          v3(_mm512_loadu_si512(s + 192)) {}
    bool Opaque() const {
        const __m512i all = _mm512_and_si512(_mm512_and_si512(v0, v1), _mm512_and_si512(v2, v3));
        return avx512::Opaque(all) == 0xFFFF;
    }
};

// Onto 4-byte pixels: Kernel::Mix blends a block of every kind at once.
template <typename Kernel>
struct Onto32 {
    static constexpr std::size_t kBytes = 4;

    static void Block(std::uint8_t* d, __m512i sp, std::size_t count) {
        const __mmask16 lanes = PixelMask(count);
        if (Visible(sp) == 0) {
            return;
        }
        if (count == 16) {  // whole blocks unmasked, as for 3-byte pixels
            _mm512_storeu_si512(d,
                                Opaque(sp) == lanes ? sp : Kernel::Mix(sp, _mm512_loadu_si512(d)));
            return;
        }
        const __m512i dp = _mm512_maskz_loadu_epi32(lanes, d);
        _mm512_mask_storeu_epi32(d, lanes, Kernel::Mix(sp, dp));
    }

    static void Copy(std::uint8_t* d, const Run64& run) {
        _mm512_storeu_si512(d, run.v0);
        _mm512_storeu_si512(d + 64, run.v1);
        _mm512_storeu_si512(d + 128, run.v2);
        _mm512_storeu_si512(d + 192, run.v3);
    }
};

struct Alpha32 : Onto32<Alpha32> {
    // Alpha 0 keeps the destination pixel (the blend gives its colour); anything drawn is
    // opaque.
    static __m512i Mix(__m512i sp, __m512i dp) {
        const __m512i drawn = _mm512_or_si512(Blend16(sp, dp), AlphaMask());
        return _mm512_mask_mov_epi32(drawn, _mm512_testn_epi32_mask(sp, AlphaMask()), dp);
    }
};

struct Over32 : Onto32<Over32> {
    // An opaque destination stays opaque; a transparent one takes the source as it is; an
    // invisible source pixel leaves the destination alone.
    static __m512i Mix(__m512i sp, __m512i dp) {
        const __m512i alphaMask = AlphaMask();
        __m512i out = Blend16(sp, dp);
        out = _mm512_mask_or_epi32(out, _mm512_cmpge_epu32_mask(dp, alphaMask), out, alphaMask);
        out = _mm512_mask_mov_epi32(out, _mm512_testn_epi32_mask(dp, alphaMask), sp);
        return _mm512_mask_mov_epi32(out, _mm512_testn_epi32_mask(sp, alphaMask), dp);
    }
};

// Onto 3-byte pixels, which have no alpha: alpha 0 and 255 need no shortcut for the bytes, only
// for the time.
struct Alpha24 {
    static constexpr std::size_t kBytes = 3;

    static void Block(std::uint8_t* d, __m512i sp, std::size_t count) {
        if (Visible(sp) == 0) {
            return;
        }
        if (Opaque(sp) == PixelMask(count)) {
            Store24(d, sp, count);
        } else {
            Store24(d, Blend16(sp, Load24(d, count)), count);
        }
    }

    // The four vectors packed into three full stores.
    static void Copy(std::uint8_t* d, const Run64& run) {
        _mm512_storeu_si512(d, _mm512_permutex2var_epi8(run.v0, LoadIndex(kPack16), run.v1));
        _mm512_storeu_si512(d + 64,
                            _mm512_permutex2var_epi8(run.v1, LoadIndex(kPack64Second), run.v2));
        _mm512_storeu_si512(d + 128,
                            _mm512_permutex2var_epi8(run.v2, LoadIndex(kPack64Third), run.v3));
    }
};

// Any number of pixels in blocks of 16, the last one masked: nothing outside the pixels is
// read or written.
template <typename Kernel>
void Blocks(std::uint8_t* d, const std::uint8_t* s, std::size_t count) {
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Kernel::Block(d + Kernel::kBytes * i, _mm512_loadu_si512(s + 4 * i), 16);
    }
    if (i < count) {
        const std::size_t rest = count - i;
        Kernel::Block(d + Kernel::kBytes * i, _mm512_maskz_loadu_epi32(PixelMask(rest), s + 4 * i),
                      rest);
    }
}

template <typename Kernel>
void BlendRowAvx512(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, std::uint32_t n) {
    constexpr std::size_t kBytes = Kernel::kBytes;
    const std::size_t count = n;
    const std::size_t lead = AlignmentLead<kBytes>(d, count);
    Blocks<Kernel>(d, s, lead);
    std::size_t i = lead;
    for (; i + 64 <= count; i += 64) {
        std::uint8_t* out = d + kBytes * i;
        const Run64 run(s + 4 * i);
        if (run.Opaque()) {
            Kernel::Copy(out, run);
            continue;
        }
        Kernel::Block(out, run.v0, 16);
        Kernel::Block(out + 16 * kBytes, run.v1, 16);
        Kernel::Block(out + 32 * kBytes, run.v2, 16);
        Kernel::Block(out + 48 * kBytes, run.v3, 16);
    }
    Blocks<Kernel>(d + kBytes * i, s + 4 * i, count - i);
}

// ---- The vertical pass of the narrow alpha-aware variant ----
//
// As the AVX2 kernel, 16 pixels at a time: a pixel's bytes (b, g, r, a) become (b, g, r, 1)
// if a is not 0 and (0, 0, 0, 0) if it is; full taps add them as 16-bit words, partial ones
// multiply them in 16 bits; the words are widened once, four quantities per pixel.

// floor(n / d) for n below 2^32 and d from 1 to 2^24 with n <= 255 d, given the
// single-precision 1 / d: the AVX2 kernel's estimate (the same float operations, so the same
// estimate) and one exact correction each way.
inline __m512i Quotient(__m512i n, __m512i d, __m512 reciprocal) {
    const __m512 half = _mm512_cvtepi32_ps(_mm512_srli_epi32(n, 1));
    __m512i q = _mm512_cvttps_epi32(_mm512_mul_ps(_mm512_add_ps(half, half), reciprocal));
    const __m512i rest = _mm512_sub_epi32(n, _mm512_mullo_epi32(q, d));
    const __m512i one = _mm512_set1_epi32(1);
    q = _mm512_mask_sub_epi32(q, _mm512_cmplt_epi32_mask(rest, _mm512_setzero_si512()), q, one);
    return _mm512_mask_add_epi32(q, _mm512_cmpge_epi32_mask(rest, d), q, one);
}

// The sums of one tap: low and high hold the words of the pixels (0 1 | 4 5 ...) and
// (2 3 | 6 7 ...) as in-lane unpacking leaves them.
struct TapWords {
    __m512i low, high, alpha;
};

inline TapWords LoadTap(const std::uint8_t* p) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i pixels = _mm512_loadu_si512(p);
    // (b, g, r, 1) for a visible pixel, (0, 0, 0, 0) for one of alpha 0.
    const __m512i kept =
        _mm512_maskz_mov_epi32(_mm512_test_epi32_mask(pixels, AlphaMask()),
                               _mm512_min_epu8(pixels, _mm512_set1_epi32(0x01FFFFFF)));
    return {_mm512_unpacklo_epi8(kept, zero), _mm512_unpackhi_epi8(kept, zero),
            _mm512_srli_epi32(pixels, 24)};
}

// How far ahead of the pixels being summed the source rows are fetched: a large source comes
// from memory, several rows at once, in pieces of a row.
constexpr std::size_t kPrefetchAhead = 1024;

void VerticalAvx512(std::uint32_t* __restrict line, std::uint32_t* __restrict alphaOut,
                    const ScaleRowTaps& taps, std::size_t firstPixel, std::size_t endPixel) {
    const __m512i zero = _mm512_setzero_si512();
    const std::size_t fullCount = taps.fullCount, partialCount = taps.partialCount;
    const std::uint8_t* const* full = taps.full;
    const std::uint8_t* const* partial = taps.partial;
    const std::uint32_t span = taps.span;
    const __m512i spanVector = _mm512_set1_epi32(static_cast<int>(span));
    const __m512 spanReciprocal = _mm512_set1_ps(1.0f / static_cast<float>(span));
    const unsigned fullShift = partialCount != 0 ? 8 : 0;
    std::size_t x = firstPixel;
    for (; x + 16 <= endPixel; x += 16) {
        __m512i low = zero, high = zero, alpha = zero;
        for (std::size_t t = 0; t < fullCount; ++t) {
            _mm_prefetch(reinterpret_cast<const char*>(full[t] + 4 * x + kPrefetchAhead),
                         _MM_HINT_T0);
            const TapWords tap = LoadTap(full[t] + 4 * x);
            low = _mm512_add_epi16(low, tap.low);
            high = _mm512_add_epi16(high, tap.high);
            alpha = _mm512_add_epi32(alpha, tap.alpha);
        }
        // wide j, lane l: the four words of pixel 4l + j (named, not an array, so that they
        // stay in registers).
        __m512i wide0 = _mm512_unpacklo_epi16(low, zero), wide1 = _mm512_unpackhi_epi16(low, zero);
        __m512i wide2 = _mm512_unpacklo_epi16(high, zero),
                wide3 = _mm512_unpackhi_epi16(high, zero);
        if (fullShift != 0) {
            wide0 = _mm512_slli_epi32(wide0, 8);
            wide1 = _mm512_slli_epi32(wide1, 8);
            wide2 = _mm512_slli_epi32(wide2, 8);
            wide3 = _mm512_slli_epi32(wide3, 8);
        }
        for (std::size_t t = 0; t < partialCount; ++t) {
            _mm_prefetch(reinterpret_cast<const char*>(partial[t] + 4 * x + kPrefetchAhead),
                         _MM_HINT_T0);
            const TapWords tap = LoadTap(partial[t] + 4 * x);
            const std::uint32_t w = taps.partialWeights[t];
            const __m512i w16 = _mm512_set1_epi16(static_cast<short>(w));
            alpha = _mm512_add_epi32(
                alpha,
                _mm512_srli_epi32(
                    _mm512_mullo_epi32(tap.alpha, _mm512_set1_epi32(static_cast<int>(w))), 8));
            const __m512i lowProduct = _mm512_mullo_epi16(tap.low, w16);
            const __m512i highProduct = _mm512_mullo_epi16(tap.high, w16);
            wide0 = _mm512_add_epi32(wide0, _mm512_unpacklo_epi16(lowProduct, zero));
            wide1 = _mm512_add_epi32(wide1, _mm512_unpackhi_epi16(lowProduct, zero));
            wide2 = _mm512_add_epi32(wide2, _mm512_unpacklo_epi16(highProduct, zero));
            wide3 = _mm512_add_epi32(wide3, _mm512_unpackhi_epi16(highProduct, zero));
        }
        // Output vector m holds pixels 4m .. 4m + 3: lane m of wide 0..3.
        const __m512i t0 = _mm512_shuffle_i32x4(wide0, wide1, 0x44);  // w0.0 w0.1 w1.0 w1.1
        const __m512i t1 = _mm512_shuffle_i32x4(wide2, wide3, 0x44);
        const __m512i t2 = _mm512_shuffle_i32x4(wide0, wide1, 0xEE);  // w0.2 w0.3 w1.2 w1.3
        const __m512i t3 = _mm512_shuffle_i32x4(wide2, wide3, 0xEE);
        std::uint32_t* out = line + 4 * x;
        _mm512_storeu_si512(out, _mm512_shuffle_i32x4(t0, t1, 0x88));
        _mm512_storeu_si512(out + 16, _mm512_shuffle_i32x4(t0, t1, 0xDD));
        _mm512_storeu_si512(out + 32, _mm512_shuffle_i32x4(t2, t3, 0x88));
        _mm512_storeu_si512(out + 48, _mm512_shuffle_i32x4(t2, t3, 0xDD));
        if (span != 256) {  // alpha * 256 / span; the sum is at most 255 * span / 256
            alpha = Quotient(_mm512_slli_epi32(alpha, 8), spanVector, spanReciprocal);
        }
        _mm512_storeu_si512(alphaOut + x, alpha);
    }
    if (x < endPixel) {  // the last few pixels as the AVX2 kernel does them
        Avx2Kernels().verticalAlphaAwarePadded(line, alphaOut, taps, x, endPixel);
    }
}

// ---- The horizontal pass of the narrow alpha-aware variant ----
//
// 16 destination pixels at a time. Each pixel's taps, four at a time, are one 16-word
// multiply-add (four taps of blue, green, red and weight); its alpha taps a 4-word one. The 16
// vectors are then summed and transposed into one vector per quantity by shuffles of 128-bit
// lanes and in-lane unpacking. Pixels go into slots in the order that this transposition puts
// back into place: slot k holds pixel 4 (k % 4) + k / 4.

template <std::size_t kTaps>
inline void SumSlot(const std::uint32_t* __restrict line, const std::uint32_t* __restrict alpha,
                    const ScalePaddedColumns& columns, std::size_t pixel, __m512i& colour,
                    __m128i& alphaPart) {
    const std::size_t taps = kTaps != 0 ? kTaps : columns.taps;
    const std::uint32_t* l = line + 4 * static_cast<std::size_t>(columns.start[pixel]);
    const std::uint32_t* a = alpha + columns.start[pixel];
    const std::uint32_t* w = columns.weights + pixel * taps;
    const __m512i spread = _mm512_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    colour = _mm512_setzero_si512();
    alphaPart = _mm_setzero_si128();
    for (std::size_t k = 0; k < taps; k += 4) {
        const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + k));
        colour = _mm512_add_epi32(
            colour,
            _mm512_mullo_epi32(_mm512_loadu_si512(l + 4 * k),
                               _mm512_permutexvar_epi32(spread, _mm512_castsi128_si512(weight))));
        alphaPart = _mm_add_epi32(
            alphaPart,
            _mm_srli_epi32(
                _mm_mullo_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k)), weight),
                8));
    }
}

// (first + second) of two vectors' 128-bit lanes picked by the shuffle immediates.
template <int kFirst, int kSecond>
inline __m512i AddLanes(__m512i a, __m512i b) {
    return _mm512_add_epi32(_mm512_shuffle_i32x4(a, b, kFirst),
                            _mm512_shuffle_i32x4(a, b, kSecond));
}

template <std::size_t kTaps>
void HorizontalAvx512(std::uint8_t* __restrict out, const std::uint32_t* __restrict line,
                      const std::uint32_t* __restrict alpha, const ScalePaddedColumns& columns,
                      std::uint32_t first, std::uint32_t end) {
    for (std::uint32_t i = first; i < end; i += 16) {
        __m512i sums[16];
        __m128i alphaParts[16];
#pragma GCC unroll 16
        for (std::uint32_t k = 0; k < 16; ++k) {
            SumSlot<kTaps>(line, alpha, columns, i + 4 * (k % 4) + k / 4, sums[k], alphaParts[k]);
        }
        // Lanes 0 + 2 and 1 + 3 of two slots, then the two halves of four: quads[u], lane j,
        // is the (blue, green, red, weight) of slot 4u + j.
        __m512i pairs[8], quads[4];
#pragma GCC unroll 8
        for (int n = 0; n < 8; ++n) {
            pairs[n] = AddLanes<0x44, 0xEE>(sums[2 * n], sums[2 * n + 1]);
        }
#pragma GCC unroll 8
        for (int u = 0; u < 4; ++u) {
            quads[u] = AddLanes<0x88, 0xDD>(pairs[2 * u], pairs[2 * u + 1]);
        }
        const __m512i t0 = _mm512_unpacklo_epi32(quads[0], quads[1]);
        const __m512i t1 = _mm512_unpacklo_epi32(quads[2], quads[3]);
        const __m512i t2 = _mm512_unpackhi_epi32(quads[0], quads[1]);
        const __m512i t3 = _mm512_unpackhi_epi32(quads[2], quads[3]);
        const __m512i weight = _mm512_unpackhi_epi64(t2, t3);
        const __m512 reciprocal = _mm512_div_ps(_mm512_set1_ps(1.0f), _mm512_cvtepi32_ps(weight));
        const __m512i blue = Quotient(_mm512_unpacklo_epi64(t0, t1), weight, reciprocal);
        const __m512i green = Quotient(_mm512_unpackhi_epi64(t0, t1), weight, reciprocal);
        const __m512i red = Quotient(_mm512_unpacklo_epi64(t2, t3), weight, reciprocal);
        // Weight 0 (nothing visible) has no quotient; its colour is 0.
        const __m512i colour = _mm512_maskz_mov_epi32(
            _mm512_test_epi32_mask(weight, weight),
            _mm512_or_si512(
                blue, _mm512_or_si512(_mm512_slli_epi32(green, 8), _mm512_slli_epi32(red, 16))));

        // The alpha parts four slots a vector, transposed within lanes and summed.
        __m512i parts[4];
#pragma GCC unroll 8
        for (int r = 0; r < 4; ++r) {
            parts[r] = _mm512_inserti32x4(
                _mm512_inserti32x4(_mm512_inserti32x4(_mm512_castsi128_si512(alphaParts[4 * r]),
                                                      alphaParts[4 * r + 1], 1),
                                   alphaParts[4 * r + 2], 2),
                alphaParts[4 * r + 3], 3);
        }
        const __m512i a0 = _mm512_unpacklo_epi32(parts[0], parts[1]);
        const __m512i a1 = _mm512_unpacklo_epi32(parts[2], parts[3]);
        const __m512i a2 = _mm512_unpackhi_epi32(parts[0], parts[1]);
        const __m512i a3 = _mm512_unpackhi_epi32(parts[2], parts[3]);
        const __m512i alphaSum = _mm512_add_epi32(
            _mm512_add_epi32(_mm512_unpacklo_epi64(a0, a1), _mm512_unpackhi_epi64(a0, a1)),
            _mm512_add_epi32(_mm512_unpacklo_epi64(a2, a3), _mm512_unpackhi_epi64(a2, a3)));
        const __m512i alphaValue =
            Quotient(_mm512_slli_epi32(alphaSum, 8), _mm512_loadu_si512(columns.span + i),
                     _mm512_loadu_ps(columns.spanReciprocal + i));
        const __m512i pixels = _mm512_or_si512(colour, _mm512_slli_epi32(alphaValue, 24));
        std::uint8_t* o = out + 4 * static_cast<std::size_t>(i);
        if (i + 16 <= end) {
            _mm512_storeu_si512(o, pixels);
        } else {
            _mm512_mask_storeu_epi32(o, PixelMask(end - i), pixels);
        }
    }
}

void HorizontalPaddedAvx512(std::uint8_t* __restrict out, const std::uint32_t* __restrict line,
                            const std::uint32_t* __restrict alpha,
                            const ScalePaddedColumns& columns, std::uint32_t first,
                            std::uint32_t end) {
    if (columns.taps == 4) {  // reducing by up to three, and every enlargement
        HorizontalAvx512<4>(out, line, alpha, columns, first, end);
    } else {
        HorizontalAvx512<0>(out, line, alpha, columns, first, end);
    }
}

}  // namespace
}  // namespace kelvandor::kernels::avx512

namespace kelvandor::kernels {

const DrawKernels& Avx512Kernels() {
    static const DrawKernels kTable = [] {
        DrawKernels table = Avx2Kernels();
        table.name = "avx512";
        table.fillRow = avx512::FillRow;
        table.alpha32To32 = avx512::BlendRowAvx512<avx512::Alpha32>;
        table.alpha32To24 = avx512::BlendRowAvx512<avx512::Alpha24>;
        table.over32To32 = avx512::BlendRowAvx512<avx512::Over32>;
        // widen24To32 stays the AVX2 one: presenting a 4K frame with 64-byte blocks took
        // half as long again (2.0 against 1.3 ms in a loop over the frame's rows).
        table.verticalAlphaAwarePadded = avx512::VerticalAvx512;
        table.horizontalAlphaAwarePadded = avx512::HorizontalPaddedAvx512;
        return table;
    }();
    return kTable;
}

}  // namespace kelvandor::kernels
