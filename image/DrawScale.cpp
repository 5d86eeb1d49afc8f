// Resizing: nearest neighbour, and area averaging in fixed point (one source pixel is 256
// units), done separably: for each destination row the covered source rows are summed into
// an accumulator line (the vertical pass), then each destination pixel sums the covered
// entries of that line (the horizontal pass).
//
// The passes over whole rows are the row kernels of the kernels module; this file plans which
// source pixels each destination pixel covers, holds the lines and runs the rows. Quotients
// are exact without dividing (kernels/ScaleMath.h).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "image/DibImage.h"
#include "image/HelperThread.h"
#include "kernels/DrawKernels.h"
#include "kernels/ScaleMath.h"

namespace kelvandor {

namespace {

using kernels::kMagicLimit;
using kernels::kQuotientBias;
using kernels::MagicFor;
using kernels::QuotientByMagic;

bool HasPixels(const CDibImage& image) {
    return !image.IsEmpty() && image.width != 0 && image.height != 0;
}

std::uint8_t* RowOf(const CDibImage& image, std::uint32_t y) {
    return image.topRow - static_cast<std::size_t>(y) * image.stride;
}

// ---- Area averaging: which source pixels each destination pixel covers, and how much ----

using Tap = kernels::ScaleTap;  // a source pixel and the 1..256 units of it covered

struct AxisPlan {
    std::vector<std::uint32_t> first;  // taps of destination i: [first[i], first[i + 1])
    std::vector<Tap> taps;
    std::vector<std::uint32_t> span;  // covered units, the divisor of destination i

    kernels::ScaleAxis View() const { return {first.data(), taps.data(), span.data()}; }
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

// The lines of the alpha-aware vertical pass for sums too wide for the narrow variant: colour
// sums with the weight that contributed to them, and alpha, one line per quantity.
struct AlphaAwareLine {
    std::vector<std::uint32_t> blue, green, red, alpha, weight;
    explicit AlphaAwareLine(std::size_t n) : blue(n), green(n), red(n), alpha(n), weight(n) {}
};

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

// Area averaging with all channels alike (24-bit output, or 32-bit output from a source
// whose alpha is all 0 or all 255). channels is 3 or 4.
void ScaleSmoothPlain(CDibImage& dst, const CDibImage& src, std::uint32_t channels) {
    const AxisPlan columns = PlanAxis(src.width, dst.width);
    const AxisPlan rows = PlanAxis(src.height, dst.height);
    const kernels::DrawKernels& k = kernels::Kernels();
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
                k.accumulateFirst(acc.data(), row, lineLength, rows.taps[t].weight);
            } else {
                k.accumulate(acc.data(), row, lineLength, rows.taps[t].weight);
            }
        }
        k.normalise(line.data(), acc.data(), lineLength, rows.span[j]);

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

// ---- The narrow alpha-aware variant ----
//
// Every sum of a destination pixel stays below 2^32 (span products up to kMagicLimit), and
// the source rows are read directly, all covered rows of a destination row at once. Tables
// with padded kernels run a row in pieces over columns that all have the same number of taps;
// the others run the per-row kernels over the plan as it is.

// Destination rows [firstRow, endRow) with the per-row kernels.
void ScaleRowsNarrow(const kernels::DrawKernels& k, CDibImage& dst, const CDibImage& src,
                     const AxisPlan& columns, const AxisPlan& rows, std::uint32_t firstRow,
                     std::uint32_t endRow) {
    const std::size_t pixels = src.width;
    std::vector<std::uint32_t> line(4 * pixels), alphaSums(pixels);
    std::vector<std::uint8_t> alpha(pixels);
    std::vector<double> columnScale(dst.width);
    for (std::uint32_t i = 0; i < dst.width; ++i) {
        columnScale[i] = 256.0 / columns.span[i];
    }
    const kernels::ScaleAxis columnView = columns.View();
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
        k.verticalAlphaAware(line.data(), alphaSums.data(), tapRows.data(), tapWeights.data(),
                             tapRows.size(), pixels);
        k.normalise(alpha.data(), alphaSums.data(), pixels, rows.span[j]);

        k.horizontalAlphaAware(RowOf(dst, j), line.data(), alpha.data(), columnView,
                               columnScale.data(), dst.width);
    }
}

// The columns with the same number of taps each, as the padded kernels read them.
struct PaddedColumns {
    std::size_t taps = 0;  // per destination pixel, a multiple of 4
    // Per destination pixel, padded to a multiple of 16 pixels with pixels of weight 0:
    std::vector<std::uint32_t> start;    // first covered source pixel
    std::vector<std::uint32_t> weights;  // taps, 0 for padding
    std::vector<std::uint32_t> span;     // covered units, 1 for padding
    std::vector<float> spanReciprocal;   // 1 / span

    kernels::ScalePaddedColumns View() const {
        return {taps, start.data(), weights.data(), span.data(), spanReciprocal.data()};
    }
};

PaddedColumns PadColumns(const AxisPlan& columns, std::uint32_t destWidth) {
    PaddedColumns padded;
    std::size_t most = 1;
    for (std::uint32_t i = 0; i < destWidth; ++i) {
        most = std::max<std::size_t>(most, columns.first[i + 1] - columns.first[i]);
    }
    padded.taps = (most + 3) & ~std::size_t{3};
    const std::size_t whole = (destWidth + std::size_t{15}) & ~std::size_t{15};
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

// Destination rows [firstRow, endRow) with the padded kernels, a piece of a row at a time, so
// that the piece's line is still in the first-level cache when the horizontal pass reads it.
void ScaleRowsPadded(const kernels::DrawKernels& k, CDibImage& dst, const CDibImage& src,
                     const PaddedColumns& columns, const AxisPlan& rows, std::uint32_t firstRow,
                     std::uint32_t endRow) {
    constexpr std::uint32_t kPiece = 128;  // destination pixels, a multiple of 16
    const std::size_t pixels = src.width;
    const kernels::ScalePaddedColumns columnView = columns.View();
    // Each piece computes the whole line under the taps of its destination pixels, so only
    // the room behind the last pixel, which padding taps may cover, needs to start as zero.
    const std::size_t room = pixels + columns.taps;
    const std::unique_ptr<std::uint32_t[]> line(new std::uint32_t[4 * room]);
    const std::unique_ptr<std::uint32_t[]> alpha(new std::uint32_t[room]);
    std::fill(line.get() + 4 * pixels, line.get() + 4 * room, 0u);
    std::fill(alpha.get() + pixels, alpha.get() + room, 0u);
    std::vector<const std::uint8_t*> full, partial;
    std::vector<std::uint32_t> partialWeights;
    for (std::uint32_t j = firstRow; j < endRow; ++j) {
        full.clear();
        partial.clear();
        partialWeights.clear();
        for (std::uint32_t t = rows.first[j]; t < rows.first[j + 1]; ++t) {
            const std::uint8_t* row = RowOf(src, rows.taps[t].index);
            if (rows.taps[t].weight == 256) {
                full.push_back(row);
            } else {
                partial.push_back(row);
                partialWeights.push_back(rows.taps[t].weight);
            }
        }
        const kernels::ScaleRowTaps taps = {.full = full.data(),
                                            .fullCount = full.size(),
                                            .partial = partial.data(),
                                            .partialWeights = partialWeights.data(),
                                            .partialCount = partial.size(),
                                            .span = rows.span[j]};
        std::uint8_t* out = RowOf(dst, j);
        for (std::uint32_t first = 0; first < dst.width; first += kPiece) {
            const std::uint32_t end = std::min(first + kPiece, dst.width);
            const std::size_t firstPixel = columns.start[first] & ~std::size_t{7};
            const std::size_t endPixel = std::min<std::size_t>(
                pixels, (columns.start[end - 1] + columns.taps + 7) & ~std::size_t{7});
            k.verticalAlphaAwarePadded(line.get(), alpha.get(), taps, firstPixel, endPixel);
            k.horizontalAlphaAwarePadded(out, line.get(), alpha.get(), columnView, first, end);
        }
    }
}

// Large jobs are worth a second thread: waking it costs some microseconds, a job that reads
// this many source pixels takes about a hundred.
constexpr std::uint64_t kSplitPixels = 150000;

// Area averaging of a 32-bit result from a source (rows read as 32 bits) whose alpha varies.
void ScaleSmoothAlphaAware(CDibImage& dst, const CDibImage& src) {
    const AxisPlan columns = PlanAxis(src.width, dst.width);
    const AxisPlan rows = PlanAxis(src.height, dst.height);
    const kernels::DrawKernels& k = kernels::Kernels();
    const std::uint64_t widestColumn = *std::max_element(columns.span.begin(), columns.span.end());
    const std::uint64_t tallestRow = *std::max_element(rows.span.begin(), rows.span.end());
    if (src.bitsPerPixel == 32 && widestColumn * tallestRow <= kMagicLimit) {
        const bool split = std::uint64_t{src.width} * rows.taps.size() >= kSplitPixels;
        if (k.horizontalAlphaAwarePadded != nullptr) {
            const PaddedColumns padded = PadColumns(columns, dst.width);
            RunRowsInTwo(dst.height, split, [&](std::uint32_t firstRow, std::uint32_t endRow) {
                ScaleRowsPadded(k, dst, src, padded, rows, firstRow, endRow);
            });
            return;
        }
        RunRowsInTwo(dst.height, split, [&](std::uint32_t firstRow, std::uint32_t endRow) {
            ScaleRowsNarrow(k, dst, src, columns, rows, firstRow, endRow);
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
            k.accumulateAlphaAware(line.blue.data(), line.green.data(), line.red.data(),
                                   line.alpha.data(), line.weight.data(), row, pixels,
                                   rows.taps[t].weight, t == rows.first[j]);
        }
        k.normalise(alpha.data(), line.alpha.data(), pixels, rows.span[j]);

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
