#pragma once
// The row kernels of the drawing operations, one table per instruction set. The portable
// table is compiled for the baseline processor and is the reference every other table must
// match byte for byte; the AVX2 and AVX-512 tables are compiled from their own files with
// their own flags. The best table this processor runs is chosen once, on first use.
//
// Kernels work on raw rows: no kernel allocates, throws or reads or writes outside the
// ranges its comment names.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvandor::kernels {

// ---- Arguments of the scaling kernels (area averaging, one source pixel = 256 units) ----

// One source pixel and how many units of it a destination pixel covers (1..256).
struct ScaleTap {
    std::uint32_t index;
    std::uint32_t weight;
};

// One axis of an area-averaging plan: destination pixel i covers the taps
// [first[i], first[i + 1]), which are consecutive source pixels, and span[i] units in all.
struct ScaleAxis {
    const std::uint32_t* first;
    const ScaleTap* taps;
    const std::uint32_t* span;
};

// The covered source rows of one destination row, split into the rows of full weight (256)
// and the partial ones with their weights; span is the units they cover together.
struct ScaleRowTaps {
    const std::uint8_t* const* full;
    std::size_t fullCount;
    const std::uint8_t* const* partial;
    const std::uint32_t* partialWeights;
    std::size_t partialCount;
    std::uint32_t span;
};

// The columns of a plan with the same number of taps for every destination pixel: taps per
// pixel (a multiple of 4), and per destination pixel, padded to a multiple of 16 pixels with
// pixels of weight 0, its first covered source pixel, its tap weights (taps words each, 0 for
// padding), its span (1 for padding) and 1 / span.
struct ScalePaddedColumns {
    std::size_t taps;
    const std::uint32_t* start;
    const std::uint32_t* weights;
    const std::uint32_t* span;
    const float* spanReciprocal;
};

// Bytes of the pattern that fillRow repeats: two periods of 192 bytes, a multiple of every
// unit size (1, 2, 3, 4 bytes), so that a fill can start at any phase.
constexpr std::size_t kFillPatternBytes = 384;

struct DrawKernels {
    const char* name;  // "portable", "avx2", "avx512"

    // Fills `bytes` bytes at dest with the pattern (kFillPatternBytes bytes) from its start.
    void (*fillRow)(std::uint8_t* dest, const std::uint8_t* pattern, std::size_t bytes);

    // n pixels of 4 bytes copied with alpha set to 0xFF.
    void (*opaque32Row)(std::uint8_t* dest, const std::uint8_t* source, std::uint32_t n);

    // n pixels of 3 bytes widened to 4 bytes with alpha 0xFF: a 24-bit row shown in a window
    // of 32 bits per pixel.
    void (*widen24To32)(std::uint8_t* dest, const std::uint8_t* source, std::uint32_t n);

    // DrawAlpha of n 32-bit source pixels onto n destination pixels of 4 or 3 bytes, and
    // DrawAlphaOver onto 4-byte pixels (onto 3-byte pixels, which have no alpha of their own,
    // DrawAlphaOver blends as DrawAlpha does). Source and destination never overlap; nothing
    // beyond the n pixels changes.
    void (*alpha32To32)(std::uint8_t* dest, const std::uint8_t* source, std::uint32_t n);
    void (*alpha32To24)(std::uint8_t* dest, const std::uint8_t* source, std::uint32_t n);
    void (*over32To32)(std::uint8_t* dest, const std::uint8_t* source, std::uint32_t n);

    // Vertical pass of area averaging with all channels alike, over n channel bytes:
    // acc[i] = (src[i] * weight) >> 8 for the first tap of a row, += for the others.
    void (*accumulateFirst)(std::uint32_t* acc, const std::uint8_t* src, std::size_t n,
                            std::uint32_t weight);
    void (*accumulate)(std::uint32_t* acc, const std::uint8_t* src, std::size_t n,
                       std::uint32_t weight);
    // out[i] = (acc[i] * 256) / span for n entries (each result below 256).
    void (*normalise)(std::uint8_t* out, const std::uint32_t* acc, std::size_t n,
                      std::uint32_t span);

    // Vertical pass for a source of varying alpha, one tap over `pixels` 32-bit pixels: the
    // colour of a pixel with alpha 0 counts for nothing, so colour sums are kept unshifted
    // with the weight that really contributed; alpha is summed over the full span. first
    // starts the sums afresh.
    void (*accumulateAlphaAware)(std::uint32_t* blue, std::uint32_t* green, std::uint32_t* red,
                                 std::uint32_t* alpha, std::uint32_t* weights,
                                 const std::uint8_t* src, std::size_t pixels, std::uint32_t weight,
                                 bool first);

    // The narrow alpha-aware variant (every sum of a destination pixel below 2^32), per row.
    // Vertical: all `taps` covered rows at once into line (blue, green, red, weight words per
    // pixel) and alphaSums. Horizontal: one destination row of `width` 32-bit pixels from the
    // line and the normalised alpha, columnScale[i] = 256.0 / span of column i.
    void (*verticalAlphaAware)(std::uint32_t* line, std::uint32_t* alphaSums,
                               const std::uint8_t* const* rows, const std::uint32_t* weights,
                               std::size_t taps, std::size_t pixels);
    void (*horizontalAlphaAware)(std::uint8_t* out, const std::uint32_t* line,
                                 const std::uint8_t* alpha, const ScaleAxis& columns,
                                 const double* columnScale, std::uint32_t width);

    // The same variant in pieces of a row over padded columns, for tables that have it (null
    // otherwise; the caller then uses the per-row kernels). Vertical: source pixels
    // [firstPixel, endPixel) into line (four words per pixel) and normalised alpha; without
    // partial taps the words are left 256 times too small, which changes no quotient.
    // Horizontal: destination pixels [first, end) of one row, first a multiple of 16; line and
    // alpha must be readable up to columns.taps entries behind the last source pixel.
    void (*verticalAlphaAwarePadded)(std::uint32_t* line, std::uint32_t* alpha,
                                     const ScaleRowTaps& taps, std::size_t firstPixel,
                                     std::size_t endPixel);
    void (*horizontalAlphaAwarePadded)(std::uint8_t* out, const std::uint32_t* line,
                                       const std::uint32_t* alpha,
                                       const ScalePaddedColumns& columns, std::uint32_t first,
                                       std::uint32_t end);
};

// The best table for this processor, chosen on first use (or the one a test asked for).
const DrawKernels& Kernels();

// Every table this processor can run, the portable one first and the best one last.
std::span<const DrawKernels* const> AvailableKernels();

// Makes Kernels() return `kernels` for the calls that start afterwards; nullptr returns to
// the best table. For tests that run whole drawing operations on every table.
void UseKernelsForTesting(const DrawKernels* kernels);

}  // namespace kelvandor::kernels
