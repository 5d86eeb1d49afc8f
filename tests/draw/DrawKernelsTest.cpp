// The row kernels, every table this processor runs: the blends against the plain formulas, the
// other kernels against exact formulas or the portable table's output. Rows of every length
// up to a few vector blocks, at every alignment, with guard bytes around them.

#include "kernels/DrawKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using kernels::DrawKernels;

constexpr std::size_t kGuard = 40;

std::uint32_t Load(const std::uint8_t* p, std::size_t bytes) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, bytes);
    return v;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

// True when nothing outside [begin, begin + length) of `row` differs from `before`.
::testing::AssertionResult GuardsIntact(const std::vector<std::uint8_t>& row,
                                        const std::vector<std::uint8_t>& before, std::size_t begin,
                                        std::size_t length) {
    if (std::memcmp(row.data(), before.data(), begin) != 0)
        return ::testing::AssertionFailure() << "wrote before the row";
    const std::size_t end = begin + length;
    if (std::memcmp(row.data() + end, before.data() + end, row.size() - end) != 0)
        return ::testing::AssertionFailure() << "wrote past the row";
    return ::testing::AssertionSuccess();
}

TEST(DrawKernelsTest, PortableComesFirstTheBestLastAndTestsCanChoose) {
    const auto tables = kernels::AvailableKernels();
    ASSERT_FALSE(tables.empty());
    EXPECT_EQ(std::string(tables.front()->name), "portable");
    EXPECT_EQ(tables.front()->verticalAlphaAwarePadded, nullptr);
    EXPECT_EQ(&kernels::Kernels(), tables.back());
    for (const DrawKernels* table : tables) {
        EXPECT_TRUE(table->fillRow && table->opaque32Row && table->widen24To32 &&
                    table->alpha32To32 && table->alpha32To24 && table->over32To32 &&
                    table->accumulateFirst && table->accumulate && table->normalise &&
                    table->accumulateAlphaAware && table->verticalAlphaAware &&
                    table->horizontalAlphaAware)
            << table->name << " lacks a kernel";
        // A table has both padded kernels or neither.
        EXPECT_EQ(table->verticalAlphaAwarePadded == nullptr,
                  table->horizontalAlphaAwarePadded == nullptr)
            << table->name;
    }
    kernels::UseKernelsForTesting(tables.front());
    EXPECT_EQ(&kernels::Kernels(), tables.front());
    kernels::UseKernelsForTesting(nullptr);
    EXPECT_EQ(&kernels::Kernels(), tables.back());
}

// Source pixels in runs of one alpha kind, the runs of random length; some opaque runs are
// long enough to fill the longest runs the kernels copy whole, wherever those start.
std::vector<std::uint32_t> MakeSource(std::size_t n, std::mt19937& random) {
    std::vector<std::uint32_t> pixels(n);
    std::size_t i = 0;
    while (i < n) {
        const unsigned kind = random() % 5;
        const std::size_t run = kind == 4 ? 64 + random() % 80 : 1 + random() % 40;
        for (std::size_t k = 0; k < run && i < n; ++k, ++i) {
            std::uint32_t alpha = kind == 0 || kind == 4 ? 255
                                  : kind == 1            ? 0
                                  : kind == 2            ? 128
                                                         : random() & 0xFF;
            pixels[i] = (alpha << 24) | (random() & 0xFFFFFF);
        }
    }
    return pixels;
}

// Every row length up to a few of the longest blocks, at every destination address modulo a
// cache line (the kernels align their stores, so each address starts the blocks elsewhere).
// The source ends where its allocation does, so a read past the row shows under the sanitizer.
TEST(DrawKernelsTest, BlendsOfEveryTableMatchThePlainFormulas) {
    std::mt19937 random(3);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        for (const bool over : {false, true}) {
            for (const std::size_t bytes : {std::size_t{3}, std::size_t{4}}) {
                if (over && bytes == 3) {
                    continue;  // onto 3-byte pixels the over blend is the alpha blend
                }
                const auto kernel = over ? table->over32To32
                                         : (bytes == 4 ? table->alpha32To32 : table->alpha32To24);
                for (std::size_t n = 0; n <= 160; ++n) {
                    for (std::size_t offset = 0; offset < 64; offset += n < 140 ? 1 : 5) {
                        const std::vector<std::uint32_t> source = MakeSource(n, random);
                        std::vector<std::uint8_t> row =
                            RandomBytes(2 * kGuard + 128 + bytes * n, random);
                        for (std::size_t i = 0; i < row.size(); i += 4)
                            row[i] = random() % 3 == 0 ? 0 : row[i];  // some alpha 0 and 255 below
                        const std::vector<std::uint8_t> before = row;
                        const std::size_t begin =
                            kGuard +
                            (64 - reinterpret_cast<std::uintptr_t>(row.data() + kGuard) % 64) % 64 +
                            offset;
                        std::uint8_t* dest = row.data() + begin;
                        kernel(dest, reinterpret_cast<const std::uint8_t*>(source.data()),
                               static_cast<std::uint32_t>(n));
                        for (std::size_t i = 0; i < n; ++i) {
                            const std::uint32_t d = Load(before.data() + begin + bytes * i, bytes);
                            const std::uint32_t expected =
                                over ? test::ReferenceDrawAlphaOver(source[i], d, bytes == 4)
                                     : test::ReferenceDrawAlpha(source[i], d, bytes == 4);
                            ASSERT_EQ(Load(dest + bytes * i, bytes), expected)
                                << table->name << (over ? " over" : " alpha") << " onto "
                                << 8 * bytes << " bits, n " << n << " offset " << offset
                                << " pixel " << i;
                        }
                        ASSERT_TRUE(GuardsIntact(row, before, begin, bytes * n))
                            << table->name << " n " << n << " offset " << offset;
                    }
                }
            }
        }
    }
}

// The fill repeats its pattern from the pattern's start at any address: every head length up
// to a 64-byte line, whole blocks of three lines, and every tail.
TEST(DrawKernelsTest, FillOfEveryTableRepeatsThePatternExactly) {
    std::mt19937 random(5);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        for (const std::size_t unit : {std::size_t{1}, std::size_t{3}, std::size_t{4}}) {
            alignas(64) std::uint8_t pattern[kernels::kFillPatternBytes];
            for (std::size_t i = 0; i < unit; ++i)
                pattern[i] = static_cast<std::uint8_t>(random());
            for (std::size_t i = unit; i < sizeof pattern; ++i)
                pattern[i] = pattern[i - unit];
            for (std::size_t bytes = 0; bytes <= 700; bytes += bytes < 200 ? 1 : 37) {
                for (std::size_t offset = 0; offset < 64; offset += bytes < 200 ? 13 : 1) {
                    std::vector<std::uint8_t> row = RandomBytes(2 * kGuard + 64 + bytes, random);
                    const std::vector<std::uint8_t> before = row;
                    table->fillRow(row.data() + kGuard + offset, pattern, bytes);
                    for (std::size_t i = 0; i < bytes; ++i)
                        ASSERT_EQ(row[kGuard + offset + i], pattern[i % unit])
                            << table->name << " unit " << unit << " bytes " << bytes << " offset "
                            << offset << " byte " << i;
                    ASSERT_TRUE(GuardsIntact(row, before, kGuard + offset, bytes))
                        << table->name << " bytes " << bytes << " offset " << offset;
                }
            }
        }
    }
}

// Making pixels opaque: 32-bit pixels keep their colour, 24-bit rows (the back buffer shown
// in a 32-bit window) are widened. Every length around the blocks of 8 and 16 pixels, with the
// source ending exactly at the end of its allocation so that a read past the row would show
// under the sanitizer.
TEST(DrawKernelsTest, OpaqueCopyAndWideningOfEveryTableSetOnlyTheAlpha) {
    std::mt19937 random(9);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        for (const std::size_t sourceBytes : {4u, 3u}) {
            const auto kernel = sourceBytes == 4 ? table->opaque32Row : table->widen24To32;
            for (std::size_t n = 0; n <= 130; ++n) {
                const std::vector<std::uint8_t> source = RandomBytes(sourceBytes * n, random);
                std::vector<std::uint8_t> row = RandomBytes(2 * kGuard + 4 * n, random);
                const std::vector<std::uint8_t> before = row;
                kernel(row.data() + kGuard, source.data(), static_cast<std::uint32_t>(n));
                for (std::size_t i = 0; i < n; ++i)
                    ASSERT_EQ(Load(row.data() + kGuard + 4 * i, 4),
                              Load(source.data() + sourceBytes * i, sourceBytes) | 0xFF000000u)
                        << table->name << " bytes " << sourceBytes << " n " << n << " pixel " << i;
                ASSERT_TRUE(GuardsIntact(row, before, kGuard, 4 * n))
                    << table->name << " bytes " << sourceBytes << " n " << n;
            }
        }
    }
}

// The vertical pass of area averaging and its normalisation, against the integer formulas:
// spans from one unit to the 2^24 of the widest plans, sums up to the largest a span allows.
TEST(DrawKernelsTest, AccumulateAndNormaliseOfEveryTableAreExact) {
    std::mt19937 random(11);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        for (std::size_t n = 0; n <= 80; n += n < 20 ? 1 : 7) {
            const std::vector<std::uint8_t> first = RandomBytes(n, random);
            const std::vector<std::uint8_t> second = RandomBytes(n, random);
            const std::uint32_t w1 = 1 + random() % 256, w2 = 1 + random() % 256;
            std::vector<std::uint32_t> acc(n + 1, 0xDEADBEEF);
            table->accumulateFirst(acc.data(), first.data(), n, w1);
            table->accumulate(acc.data(), second.data(), n, w2);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(acc[i], ((first[i] * w1) >> 8) + ((second[i] * w2) >> 8))
                    << table->name << " n " << n << " entry " << i;
            EXPECT_EQ(acc[n], 0xDEADBEEFu) << table->name;

            const std::uint32_t anySpan = 1 + static_cast<std::uint32_t>(random() % (1u << 24));
            for (const std::uint32_t span :
                 {1u, 255u, 256u, 257u, 700u, 65535u, 1u << 24, anySpan}) {
                // The largest sum a span allows, and sums on both sides of a whole quotient,
                // where a rounding error would show.
                const std::uint64_t most = std::uint64_t{255} * span / 256;
                std::vector<std::uint32_t> sums(n);
                for (std::size_t i = 0; i < n; ++i) {
                    const std::uint64_t q = 1 + random() % 255;
                    const std::uint64_t lowest = (q * span + 255) / 256;  // quotient q
                    std::uint64_t sum = i % 3 == 0 ? most : i % 3 == 1 ? lowest : lowest - 1;
                    if (sum > most)
                        sum = random() % (most + 1);
                    sums[i] = static_cast<std::uint32_t>(sum);
                }
                std::vector<std::uint8_t> out(n + 1, 0xA5);
                table->normalise(out.data(), sums.data(), n, span);
                for (std::size_t i = 0; i < n; ++i)
                    ASSERT_EQ(out[i], std::uint64_t{sums[i]} * 256 / span)
                        << table->name << " span " << span << " sum " << sums[i];
                EXPECT_EQ(out[n], 0xA5) << table->name;
            }
        }
    }
}

// Random 32-bit rows whose alpha is 0, 255 or anything, a third each.
std::vector<std::uint8_t> AlphaRow(std::size_t pixels, std::mt19937& random) {
    std::vector<std::uint8_t> row = RandomBytes(4 * pixels, random);
    for (std::size_t i = 0; i < pixels; ++i) {
        const unsigned kind = random() % 3;
        if (kind < 2)
            row[4 * i + 3] = kind == 0 ? 0 : 255;
    }
    return row;
}

TEST(DrawKernelsTest, AlphaAwareAccumulationOfEveryTableMatchesThePortableOne) {
    const DrawKernels& portable = *kernels::AvailableKernels().front();
    std::mt19937 random(13);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        for (std::size_t pixels = 0; pixels <= 70; pixels += pixels < 20 ? 1 : 5) {
            std::vector<std::uint32_t> expected[5], actual[5];
            for (int q = 0; q < 5; ++q) {
                expected[q].assign(pixels, 7);
                actual[q].assign(pixels, 7);
            }
            for (int tap = 0; tap < 3; ++tap) {
                const std::vector<std::uint8_t> row = AlphaRow(pixels, random);
                const std::uint32_t weight = 1 + random() % 256;
                for (auto* sums : {expected, actual}) {
                    (sums == expected ? portable : *table)
                        .accumulateAlphaAware(sums[0].data(), sums[1].data(), sums[2].data(),
                                              sums[3].data(), sums[4].data(), row.data(), pixels,
                                              weight, tap == 0);
                }
            }
            for (int q = 0; q < 5; ++q)
                ASSERT_EQ(actual[q], expected[q]) << table->name << " pixels " << pixels;
        }
    }
}

// The per-row kernels of the narrow variant: several covered rows of random weight, and
// columns that each cover one to three consecutive source pixels.
TEST(DrawKernelsTest, NarrowAlphaAwareRowsOfEveryTableMatchThePortableOnes) {
    const DrawKernels& portable = *kernels::AvailableKernels().front();
    std::mt19937 random(17);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        for (std::size_t pixels = 1; pixels <= 45; pixels += 4) {
            std::vector<std::vector<std::uint8_t>> rows;
            std::vector<const std::uint8_t*> rowPointers;
            std::vector<std::uint32_t> weights;
            for (std::size_t t = 1 + random() % 4; t-- > 0;) {
                rows.push_back(AlphaRow(pixels, random));
                rowPointers.push_back(rows.back().data());
                weights.push_back(1 + random() % 256);
            }
            std::vector<std::uint32_t> line[2], alphaSums[2];
            for (int k = 0; k < 2; ++k) {
                line[k].assign(4 * pixels, 0);
                alphaSums[k].assign(pixels, 0);
                (k == 0 ? portable : *table)
                    .verticalAlphaAware(line[k].data(), alphaSums[k].data(), rowPointers.data(),
                                        weights.data(), rows.size(), pixels);
            }
            ASSERT_EQ(line[1], line[0]) << table->name << " pixels " << pixels;
            ASSERT_EQ(alphaSums[1], alphaSums[0]) << table->name << " pixels " << pixels;

            // Columns over the source pixels, each starting where the last one ended.
            std::vector<std::uint32_t> first = {0}, span;
            std::vector<kernels::ScaleTap> taps;
            for (std::uint32_t x = 0; x < pixels;) {
                const std::uint32_t count = std::min<std::uint32_t>(
                    1 + random() % 3, static_cast<std::uint32_t>(pixels) - x);
                std::uint32_t units = 0;
                for (std::uint32_t k = 0; k < count; ++k, ++x) {
                    const std::uint32_t weight = 1 + random() % 256;
                    taps.push_back({x, weight});
                    units += weight;
                }
                first.push_back(static_cast<std::uint32_t>(taps.size()));
                span.push_back(units);
            }
            const std::uint32_t width = static_cast<std::uint32_t>(span.size());
            std::vector<double> columnScale(width);
            for (std::uint32_t i = 0; i < width; ++i)
                columnScale[i] = 256.0 / span[i];
            std::vector<std::uint8_t> alpha(pixels);
            for (std::size_t i = 0; i < pixels; ++i)
                alpha[i] = static_cast<std::uint8_t>(random());
            const kernels::ScaleAxis columns = {first.data(), taps.data(), span.data()};
            std::vector<std::uint8_t> out[2];
            for (int k = 0; k < 2; ++k) {
                out[k].assign(4 * width + 4, 0x5A);
                (k == 0 ? portable : *table)
                    .horizontalAlphaAware(out[k].data(), line[0].data(), alpha.data(), columns,
                                          columnScale.data(), width);
            }
            ASSERT_EQ(out[1], out[0]) << table->name << " pixels " << pixels;
            EXPECT_EQ(Load(out[0].data() + 4 * width, 4), 0x5A5A5A5Au);
        }
    }
}

// The padded kernels, run over a row in pieces as the scaling does, against the portable
// per-row kernels: covered rows with and without partial taps, columns of one to seven
// consecutive source pixels (padded to 4 or 8 taps, some sharing their edge pixel with the
// neighbour), destination widths around the 16-pixel groups, pieces whose first source pixel
// is not on a vector boundary.
TEST(DrawKernelsTest, PaddedAlphaAwareKernelsOfEveryTableMatchThePortableRowKernels) {
    const DrawKernels& portable = *kernels::AvailableKernels().front();
    std::mt19937 random(19);
    for (const DrawKernels* table : kernels::AvailableKernels()) {
        if (table->verticalAlphaAwarePadded == nullptr)
            continue;
        for (int round = 0; round < 80; ++round) {
            const bool whole = round % 4 == 0;  // every weight 256, as for whole-number ratios
            const std::uint32_t mostTaps = round % 2 == 0 ? 4 : 7;
            const std::uint32_t width = 1 + static_cast<std::uint32_t>(random() % 70);
            // Columns: consecutive source pixels each, starting where the last one ended or
            // on its last pixel.
            std::vector<std::uint32_t> first = {0}, span, start;
            std::vector<kernels::ScaleTap> taps;
            std::uint32_t x = 0;
            for (std::uint32_t i = 0; i < width; ++i) {
                if (i != 0 && random() % 3 == 0)
                    --x;
                start.push_back(x);
                const std::uint32_t count = 1 + static_cast<std::uint32_t>(random() % mostTaps);
                std::uint32_t units = 0;
                for (std::uint32_t k = 0; k < count; ++k, ++x) {
                    const std::uint32_t weight = whole ? 256 : 1 + random() % 256;
                    taps.push_back({x, weight});
                    units += weight;
                }
                first.push_back(static_cast<std::uint32_t>(taps.size()));
                span.push_back(units);
            }
            const std::size_t pixels = x;
            // Covered rows: full ones and, unless whole, up to two partial ones.
            std::vector<std::vector<std::uint8_t>> rows;
            std::vector<const std::uint8_t*> all, full, partial;
            std::vector<std::uint32_t> allWeights, partialWeights;
            const std::size_t fullCount = random() % 4, partialCount = whole ? 0 : random() % 3;
            for (std::size_t t = 0; t < std::max<std::size_t>(1, fullCount + partialCount); ++t) {
                rows.push_back(AlphaRow(pixels, random));
                const bool isFull = t < fullCount || fullCount + partialCount == 0;
                const std::uint32_t weight = isFull ? 256 : 1 + random() % 255;
                (isFull ? full : partial).push_back(rows.back().data());
                if (!isFull)
                    partialWeights.push_back(weight);
                all.push_back(rows.back().data());
                allWeights.push_back(weight);
            }
            std::uint32_t rowSpan = 0;
            for (const std::uint32_t w : allWeights)
                rowSpan += w;

            // The portable per-row kernels.
            std::vector<std::uint32_t> line(4 * pixels), alphaSums(pixels);
            std::vector<std::uint8_t> alpha(pixels);
            portable.verticalAlphaAware(line.data(), alphaSums.data(), all.data(),
                                        allWeights.data(), all.size(), pixels);
            portable.normalise(alpha.data(), alphaSums.data(), pixels, rowSpan);
            std::vector<double> columnScale(width);
            for (std::uint32_t i = 0; i < width; ++i)
                columnScale[i] = 256.0 / span[i];
            const kernels::ScaleAxis axis = {first.data(), taps.data(), span.data()};
            std::vector<std::uint8_t> expected(4 * width);
            portable.horizontalAlphaAware(expected.data(), line.data(), alpha.data(), axis,
                                          columnScale.data(), width);

            // The padded kernels, in pieces of 32 destination pixels.
            const std::size_t padded = mostTaps == 4 ? 4 : 8;
            const std::size_t groups = (width + std::size_t{15}) & ~std::size_t{15};
            std::vector<std::uint32_t> paddedStart(groups, 0), weights(groups * padded, 0),
                paddedSpan(groups, 1);
            std::vector<float> reciprocal(groups, 1.0f);
            for (std::uint32_t i = 0; i < width; ++i) {
                paddedStart[i] = start[i];
                for (std::uint32_t t = first[i]; t < first[i + 1]; ++t)
                    weights[i * padded + (taps[t].index - start[i])] = taps[t].weight;
                paddedSpan[i] = span[i];
                reciprocal[i] = 1.0f / static_cast<float>(span[i]);
            }
            const kernels::ScalePaddedColumns columns = {padded, paddedStart.data(), weights.data(),
                                                         paddedSpan.data(), reciprocal.data()};
            const kernels::ScaleRowTaps rowTaps = {full.data(),    full.size(),
                                                   partial.data(), partialWeights.data(),
                                                   partial.size(), rowSpan};
            std::vector<std::uint32_t> paddedLine(4 * (pixels + padded), 0),
                paddedAlpha(pixels + padded, 0);
            std::vector<std::uint8_t> out(4 * width + 4, 0x5A);
            for (std::uint32_t piece = 0; piece < width; piece += 32) {
                const std::uint32_t end = std::min(piece + 32, width);
                const std::size_t firstPixel = start[piece] & ~std::size_t{7};
                const std::size_t endPixel =
                    std::min<std::size_t>(pixels, (start[end - 1] + padded + 7) & ~std::size_t{7});
                table->verticalAlphaAwarePadded(paddedLine.data(), paddedAlpha.data(), rowTaps,
                                                firstPixel, endPixel);
                table->horizontalAlphaAwarePadded(out.data(), paddedLine.data(), paddedAlpha.data(),
                                                  columns, piece, end);
            }
            ASSERT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 4 * width), expected)
                << table->name << " round " << round << " width " << width;
            EXPECT_EQ(Load(out.data() + 4 * width, 4), 0x5A5A5A5Au) << table->name;
        }
    }
}

}  // namespace
}  // namespace kelvandor
