// The row kernels of DrawAlpha and DrawAlphaOver.
//
// The plain kernels are written for the vectoriser: branch-free over a span, the count in a
// local, __restrict pointers. The blend (s * (a + 1) + d * (256 - a)) >> 8 already gives d for
// alpha 0 and s for alpha 255, so it needs no shortcut for either; runs of opaque source
// pixels are copied straight because that gives the same bytes sooner.
//
// Where the processor has AVX2, hand-vectorised kernels take eight pixels at a time: a block
// whose alpha is all 255 is copied, one whose alpha is all 0 is skipped, any other is blended
// in 16-bit lanes (every product and sum of the blend fits in 16 bits: 255 * 257 = 65535).
// The pictures the game draws are mostly opaque with soft edges, so nearly every block takes
// one of the first two ways. Both kinds give identical bytes; the tests hold each to the
// plain formulas.

#include "image/BlendRows.h"

#include <cstddef>
#include <cstring>

#include "image/RowKernel.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define KELVANDOR_HAVE_AVX2_KERNELS 1
#endif

namespace kelvandor::blend {

namespace {

// ---- Plain kernels ----

// Pixels as little-endian words 0xAARRGGBB. The blend works on two channels at once: red
// and blue (0x00RR00BB) or green alone, each product below 65536, so no field spills into
// its neighbour.
KELVANDOR_ROW_INLINE std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

KELVANDOR_ROW_INLINE void Store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}

KELVANDOR_ROW_INLINE std::uint32_t BlendPixel(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
    const std::uint32_t sw = a + 1, dw = 256 - a;
    const std::uint32_t rb = (((s & 0xFF00FF) * sw + (d & 0xFF00FF) * dw) >> 8) & 0xFF00FF;
    const std::uint32_t g = (((s & 0x00FF00) * sw + (d & 0x00FF00) * dw) >> 8) & 0x00FF00;
    return rb | g;
}

KELVANDOR_ROW_INLINE void AlphaSpan32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                      std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t sp = Load32(s + 4 * i), dp = Load32(d + 4 * i);
        const std::uint32_t a = sp >> 24;
        // Alpha 0 keeps the destination's alpha; anything drawn is opaque.
        const std::uint32_t alpha = a == 0 ? (dp & 0xFF000000u) : 0xFF000000u;
        Store32(d + 4 * i, BlendPixel(sp, dp, a) | alpha);
    }
}

KELVANDOR_ROW_INLINE void AlphaSpan24(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                      std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = s[4 * i + 3];
        const std::uint32_t sw = a + 1, dw = 256 - a;
        d[3 * i + 0] = static_cast<std::uint8_t>((s[4 * i + 0] * sw + d[3 * i + 0] * dw) >> 8);
        d[3 * i + 1] = static_cast<std::uint8_t>((s[4 * i + 1] * sw + d[3 * i + 1] * dw) >> 8);
        d[3 * i + 2] = static_cast<std::uint8_t>((s[4 * i + 2] * sw + d[3 * i + 2] * dw) >> 8);
    }
}

KELVANDOR_ROW_INLINE void OverSpan32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
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

// A 24-bit destination reads as transparent everywhere: every visible pixel is copied.
KELVANDOR_ROW_INLINE void OverSpan24(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                     std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t copy = s[4 * i + 3] != 0 ? 0xFF : 0x00;
        d[3 * i + 0] = static_cast<std::uint8_t>((s[4 * i + 0] & copy) | (d[3 * i + 0] & ~copy));
        d[3 * i + 1] = static_cast<std::uint8_t>((s[4 * i + 1] & copy) | (d[3 * i + 1] & ~copy));
        d[3 * i + 2] = static_cast<std::uint8_t>((s[4 * i + 2] & copy) | (d[3 * i + 2] & ~copy));
    }
}

// 32-bit rows go in runs of 32 pixels. The blends already copy the source for alpha 255
// (both variants); a run whose alpha is all 255 is therefore copied straight, which gives
// the same bytes sooner. The pictures drawn in the game are mostly opaque.
constexpr std::size_t kRun = 32;

KELVANDOR_ROW_INLINE bool RunIsOpaque(const std::uint8_t* __restrict s) {
    std::uint32_t all = 0xFFFFFFFFu;
    for (std::size_t k = 0; k < kRun; ++k) {
        all &= Load32(s + 4 * k);
    }
    return (all >> 24) == 0xFF;
}

KELVANDOR_ROW_INLINE void CopySpan32(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                     std::size_t count) {
    std::memcpy(d, s, 4 * count);
}

using Span = void (*)(std::uint8_t* __restrict, const std::uint8_t* __restrict, std::size_t);

// A row in runs: opaque runs through `Opaque`, every other pixel through `Mixed`.
template <std::size_t kDestBytes, Span Opaque, Span Mixed>
KELVANDOR_ROW_INLINE void ByRuns(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
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

KELVANDOR_ROW_KERNEL void AlphaRow32To32(std::uint8_t* __restrict d,
                                         const std::uint8_t* __restrict s, std::uint32_t n) {
    ByRuns<4, CopySpan32, AlphaSpan32>(d, s, n);
}

// With alpha 255 the over blend onto 24 bits copies every pixel.
KELVANDOR_ROW_KERNEL void AlphaRow32To24(std::uint8_t* __restrict d,
                                         const std::uint8_t* __restrict s, std::uint32_t n) {
    ByRuns<3, OverSpan24, AlphaSpan24>(d, s, n);
}

KELVANDOR_ROW_KERNEL void OverRow32To32(std::uint8_t* __restrict d,
                                        const std::uint8_t* __restrict s, std::uint32_t n) {
    ByRuns<4, CopySpan32, OverSpan32>(d, s, n);
}

KELVANDOR_ROW_KERNEL void OverRow32To24(std::uint8_t* __restrict d,
                                        const std::uint8_t* __restrict s, std::uint32_t n) {
    OverSpan24(d, s, n);
}

constexpr RowKernels kPlain = {AlphaRow32To32, AlphaRow32To24, OverRow32To32, OverRow32To24};

#if KELVANDOR_HAVE_AVX2_KERNELS

// ---- AVX2 kernels ----

#define KELVANDOR_AVX2 __attribute__((target("avx2")))

KELVANDOR_AVX2 inline __m256i Load8(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

KELVANDOR_AVX2 inline void Store8(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

KELVANDOR_AVX2 inline __m256i AlphaMask() {
    return _mm256_set1_epi32(static_cast<int>(0xFF000000u));
}

// Eight pixels blended by the source alpha a: every channel, the alpha channel included,
// becomes (s * (a + 1) + d * (256 - a)) >> 8.
KELVANDOR_AVX2 inline __m256i Blend8(__m256i s, __m256i d) {
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
KELVANDOR_AVX2 inline __m256i Load24(const std::uint8_t* p) {
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
KELVANDOR_AVX2 inline void Store24(std::uint8_t* p, __m256i pixels) {
    const __m256i pack =
        _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                         0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, pack),
                                                       _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm256_extracti128_si256(packed, 1));
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
KELVANDOR_AVX2 inline bool CopyOpaque32To32(std::uint8_t* d, const std::uint8_t* s) {
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
KELVANDOR_AVX2 inline bool CopyOpaque32To24(std::uint8_t* d, const std::uint8_t* s) {
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

// The four blends, each as a block of eight pixels and a run of 32 opaque ones.

struct Alpha32 {
    static constexpr std::size_t kBytes = 4;
    KELVANDOR_AVX2 static bool Run(std::uint8_t* d, const std::uint8_t* s) {
        return CopyOpaque32To32(d, s);
    }
    KELVANDOR_AVX2 static void Block(std::uint8_t* d, const std::uint8_t* s) {
        const __m256i alphaMask = AlphaMask();
        const __m256i sp = Load8(s);
        if (_mm256_testz_si256(sp, alphaMask)) {  // all transparent
            return;
        }
        if (_mm256_testc_si256(sp, alphaMask)) {  // all opaque
            Store8(d, sp);
            return;
        }
        Store8(d, Mix(sp, Load8(d)));
    }
    // Every case at once.
    KELVANDOR_AVX2 static __m256i Mix(__m256i sp, __m256i dp) {
        const __m256i alphaMask = AlphaMask();
        // Alpha 0 keeps the destination's alpha; anything drawn is opaque.
        const __m256i clear =
            _mm256_cmpeq_epi32(_mm256_and_si256(sp, alphaMask), _mm256_setzero_si256());
        const __m256i alpha = _mm256_blendv_epi8(alphaMask, _mm256_and_si256(dp, alphaMask), clear);
        return _mm256_or_si256(_mm256_andnot_si256(alphaMask, Blend8(sp, dp)), alpha);
    }
};

struct Over32 {
    static constexpr std::size_t kBytes = 4;
    KELVANDOR_AVX2 static bool Run(std::uint8_t* d, const std::uint8_t* s) {
        return CopyOpaque32To32(d, s);  // alpha 255 gives the source itself
    }
    KELVANDOR_AVX2 static void Block(std::uint8_t* d, const std::uint8_t* s) {
        const __m256i alphaMask = AlphaMask();
        const __m256i sp = Load8(s);
        if (_mm256_testz_si256(sp, alphaMask)) {
            return;
        }
        if (_mm256_testc_si256(sp, alphaMask)) {
            Store8(d, sp);
            return;
        }
        Store8(d, Mix(sp, Load8(d)));
    }
    // Every case at once.
    KELVANDOR_AVX2 static __m256i Mix(__m256i sp, __m256i dp) {
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

struct Alpha24 {
    static constexpr std::size_t kBytes = 3;
    KELVANDOR_AVX2 static bool Run(std::uint8_t* d, const std::uint8_t* s) {
        return CopyOpaque32To24(d, s);
    }
    KELVANDOR_AVX2 static void Block(std::uint8_t* d, const std::uint8_t* s) {
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

// A 24-bit destination reads as transparent everywhere: every visible pixel is copied.
struct Over24 {
    static constexpr std::size_t kBytes = 3;
    KELVANDOR_AVX2 static bool Run(std::uint8_t* d, const std::uint8_t* s) {
        return CopyOpaque32To24(d, s);
    }
    KELVANDOR_AVX2 static void Block(std::uint8_t* d, const std::uint8_t* s) {
        const __m256i alphaMask = AlphaMask();
        const __m256i sp = Load8(s);
        if (_mm256_testz_si256(sp, alphaMask)) {
            return;
        }
        __m256i out = sp;
        if (!_mm256_testc_si256(sp, alphaMask)) {  // keep what lies under invisible pixels
            const __m256i hidden =
                _mm256_cmpeq_epi32(_mm256_and_si256(sp, alphaMask), _mm256_setzero_si256());
            out = _mm256_blendv_epi8(sp, Load24(d), hidden);
        }
        Store24(d, out);
    }
};

// Fewer than eight pixels. 4-byte pixels go through masked loads and stores; for 3-byte
// pixels the block works on copies, padded with transparent source pixels. Nothing outside
// the row is read or written.
template <typename Kernel>
KELVANDOR_AVX2 void PartialBlock(std::uint8_t* d, const std::uint8_t* s, std::size_t count) {
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
KELVANDOR_AVX2 void BlendRowAvx2(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                                 std::uint32_t n) {
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

constexpr RowKernels kAvx2 = {BlendRowAvx2<Alpha32>, BlendRowAvx2<Alpha24>, BlendRowAvx2<Over32>,
                              BlendRowAvx2<Over24>};

bool HasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

}  // namespace

const RowKernels& Kernels() {
    return HasAvx2() ? kAvx2 : kPlain;
}

int VariantCount() {
    return HasAvx2() ? 2 : 1;
}

const RowKernels& Variant(int index) {
    return index == 1 && HasAvx2() ? kAvx2 : kPlain;
}

#else

}  // namespace

const RowKernels& Kernels() {
    return kPlain;
}

int VariantCount() {
    return 1;
}

const RowKernels& Variant(int) {
    return kPlain;
}

#endif

}  // namespace kelvandor::blend
