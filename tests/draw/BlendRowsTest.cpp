// The blend row kernels, every variant this processor runs, against the plain formulas: on
// rows of every length up to a few runs of 32, at every alignment, with alpha in runs (opaque,
// transparent, half, random) as pictures have it, and with guard bytes around the row.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "image/BlendRows.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

std::uint32_t Load(const std::uint8_t* p, std::size_t bytes) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, bytes);
    return v;
}

// Source pixels in runs of one alpha kind, the runs of random length.
std::vector<std::uint32_t> MakeSource(std::size_t n, std::mt19937& random) {
    std::vector<std::uint32_t> pixels(n);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run = 1 + random() % 40;
        const unsigned kind = random() % 4;
        for (std::size_t k = 0; k < run && i < n; ++k, ++i) {
            std::uint32_t alpha = kind == 0   ? 255
                                  : kind == 1 ? 0
                                  : kind == 2 ? 128
                                              : random() & 0xFF;
            pixels[i] = (alpha << 24) | (random() & 0xFFFFFF);
        }
    }
    return pixels;
}

TEST(BlendRowsTest, EveryVariantMatchesThePlainFormulas) {
    constexpr std::size_t kGuard = 40;
    std::mt19937 random(3);
    for (int variant = 0; variant < blend::VariantCount(); ++variant) {
        const blend::RowKernels& kernels = blend::Variant(variant);
        for (const bool over : {false, true}) {
            for (const std::size_t bytes : {std::size_t{3}, std::size_t{4}}) {
                const blend::RowFunction kernel =
                    over ? (bytes == 4 ? kernels.over32To32 : kernels.over32To24)
                         : (bytes == 4 ? kernels.alpha32To32 : kernels.alpha32To24);
                for (std::size_t n = 0; n <= 140; n += n < 40 ? 1 : 13) {
                    for (std::size_t offset = 0; offset < 8; ++offset) {
                        const std::vector<std::uint32_t> source = MakeSource(n, random);
                        std::vector<std::uint8_t> row(2 * kGuard + bytes * (n + offset));
                        for (auto& b : row)
                            b = static_cast<std::uint8_t>(random());
                        for (std::size_t i = 0; i < row.size(); i += 4)
                            row[i] = random() % 3 == 0 ? 0 : row[i];  // some alpha 0 and 255 below
                        const std::vector<std::uint8_t> before = row;
                        std::uint8_t* dest = row.data() + kGuard + bytes * offset;
                        kernel(dest, reinterpret_cast<const std::uint8_t*>(source.data()),
                               static_cast<std::uint32_t>(n));
                        for (std::size_t i = 0; i < n; ++i) {
                            const std::uint32_t d =
                                Load(before.data() + kGuard + bytes * (offset + i), bytes);
                            const std::uint32_t expected =
                                over ? test::ReferenceDrawAlphaOver(source[i], d, bytes == 4)
                                     : test::ReferenceDrawAlpha(source[i], d, bytes == 4);
                            ASSERT_EQ(Load(dest + bytes * i, bytes), expected)
                                << "variant " << variant << (over ? " over" : " alpha") << " onto "
                                << 8 * bytes << " bits, n " << n << " offset " << offset
                                << " pixel " << i;
                        }
                        const std::size_t end = kGuard + bytes * (offset + n);
                        ASSERT_EQ(std::memcmp(row.data(), before.data(), kGuard + bytes * offset),
                                  0);
                        ASSERT_EQ(std::memcmp(row.data() + end, before.data() + end, kGuard), 0)
                            << "wrote past the row: n " << n << " offset " << offset;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace kelvandor
