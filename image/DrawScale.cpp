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
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/DibImage.h"
#include "image/RowKernel.h"

namespace kelvandor {

namespace {

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

// Area averaging of a 32-bit source (rows read as 32 bits) whose alpha varies.
void ScaleSmoothAlphaAwareNarrow(CDibImage& dst, const CDibImage& src, const AxisPlan& columns,
                                 const AxisPlan& rows);

void ScaleSmoothAlphaAware(CDibImage& dst, const CDibImage& src) {
    const AxisPlan columns = PlanAxis(src.width, dst.width);
    const AxisPlan rows = PlanAxis(src.height, dst.height);
    const std::uint64_t widestColumn = *std::max_element(columns.span.begin(), columns.span.end());
    const std::uint64_t tallestRow = *std::max_element(rows.span.begin(), rows.span.end());
    // The narrow variant reads the source rows directly, all covered rows at once.
    if (src.bitsPerPixel == 32 && widestColumn * tallestRow <= kMagicLimit) {
        ScaleSmoothAlphaAwareNarrow(dst, src, columns, rows);
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
                                 const AxisPlan& rows) {
    const std::size_t pixels = src.width;
    std::vector<std::uint32_t> line(4 * pixels), alphaSums(pixels);
    std::vector<std::uint8_t> alpha(pixels);
    std::vector<double> columnScale(dst.width);
    for (std::uint32_t i = 0; i < dst.width; ++i) {
        columnScale[i] = 256.0 / columns.span[i];
    }
    std::vector<const std::uint8_t*> tapRows;
    std::vector<std::uint32_t> tapWeights;
    for (std::uint32_t j = 0; j < dst.height; ++j) {
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
