#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "image/DibImage.h"
#include "kernels/DrawKernels.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using test::FillNoise;
using test::PixelAt;

TEST(ScaleTest, SmoothThirdAveragesEachThreeByThreeBlock) {
    CDibImage source;
    ASSERT_TRUE(source.Create(32, 6, 3, NoFill));
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 0; x < 6; ++x)
            source.SetPixel(x, y, 0xFF000000u | (x * 30 + y * 7));
    CDibImage result;
    ASSERT_TRUE(result.Scale(source, 2, 1, CDibImage::kScaleSmooth));
    ASSERT_EQ(result.bitsPerPixel, 32u);
    // Columns average to 30x + 7, blocks to 30 (x0 + 1) + 7.
    EXPECT_EQ(PixelAt(result, 0, 0), 0xFF000000u | 37);
    EXPECT_EQ(PixelAt(result, 1, 0), 0xFF000000u | 127);
}

TEST(ScaleTest, TransparentNeighboursLowerAlphaButKeepTheColour) {
    CDibImage source;
    ASSERT_TRUE(source.Create(32, 3, 3, 0));  // transparent black
    source.SetPixel(1, 1, 0xFF2080C0);
    source.SetPixel(2, 1, 0xFF2080C0);
    CDibImage result;
    ASSERT_TRUE(result.Scale(source, 1, 1, CDibImage::kScaleSmooth));
    EXPECT_EQ(PixelAt(result, 0, 0) & 0xFFFFFF, 0x2080C0u);
    EXPECT_EQ(PixelAt(result, 0, 0) >> 24, (((255 / 3) + (255 / 3)) * 256) / 768);
}

TEST(ScaleTest, EnlargingTwoToThreeKeepsTheEndsAndMixesTheMiddle) {
    CDibImage source;
    ASSERT_TRUE(source.Create(24, 2, 1, NoFill));
    source.SetPixel(0, 0, 0x102030);
    source.SetPixel(1, 0, 0x30A050);
    CDibImage result;
    ASSERT_TRUE(result.Scale(source, 3, 1, CDibImage::kScaleSmooth));
    EXPECT_EQ(PixelAt(result, 0, 0), 0x102030u);
    EXPECT_EQ(PixelAt(result, 1, 0), 0x206040u);
    EXPECT_EQ(PixelAt(result, 2, 0), 0x30A050u);
}

TEST(ScaleTest, NearestNeighbourPicksEveryOtherPixelAndKeepsThePalette) {
    CDibImage source;
    ASSERT_TRUE(source.Create(8, 4, 4, NoFill));
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 4; ++x)
            source.SetPixel(x, y, 16 * y + x);
    source.SetPaletteEntry(34, 0x00ABCDEF);
    CDibImage result;
    ASSERT_TRUE(result.Scale(source, 2, 2, 0));
    ASSERT_EQ(result.bitsPerPixel, 8u);
    EXPECT_EQ(PixelAt(result, 0, 0), 0u);
    EXPECT_EQ(PixelAt(result, 1, 0), 2u);
    EXPECT_EQ(PixelAt(result, 0, 1), 32u);
    EXPECT_EQ(PixelAt(result, 1, 1), 34u);
    EXPECT_EQ(result.palette[34], 0x00ABCDEFu);
}

TEST(ScaleTest, SameSizeWithForce32WidensAndEmptyInputsFail) {
    CDibImage source;
    ASSERT_TRUE(source.Create(24, 2, 2, NoFill));
    source.FillRect(0, 0, 2, 2, 0x445566);
    CDibImage result;
    ASSERT_TRUE(result.Scale(source, 2, 2, CDibImage::kScaleForce32));
    EXPECT_EQ(result.bitsPerPixel, 32u);
    EXPECT_EQ(PixelAt(result, 1, 1), 0x445566u);  // 24-bit pixels widen with alpha 0

    ASSERT_TRUE(result.Scale(result, 4, 4, 0));  // scaling an image into itself
    EXPECT_EQ(result.width, 4u);
    EXPECT_EQ(PixelAt(result, 3, 3), 0x445566u);

    CDibImage empty;
    EXPECT_FALSE(result.Scale(empty, 4, 4, 1));
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_FALSE(result.Scale(source, 0, 4, 1));
}

// Nearest neighbour over whole rows (including the four-byte copies of 24-bit rows) against
// the formula, for enlarging and reducing, in the depths with their own row code.
TEST(ScaleTest, NearestNeighbourMatchesTheFormula) {
    for (std::uint32_t depth : {4u, 16u, 24u, 32u}) {
        CDibImage source;
        ASSERT_TRUE(source.Create(depth, 13, 7, NoFill));
        FillNoise(source, depth);
        for (auto [w, h] : {std::pair{5u, 3u}, std::pair{29u, 11u}, std::pair{13u, 1u}}) {
            CDibImage result;
            ASSERT_TRUE(result.Scale(source, w, h, 0));
            for (std::uint32_t y = 0; y < h; ++y)
                for (std::uint32_t x = 0; x < w; ++x)
                    ASSERT_EQ(PixelAt(result, x, y), PixelAt(source, x * 13 / w, y * 7 / h))
                        << "depth " << depth << " " << w << "x" << h << " at " << x << "," << y;
        }
    }
}

// Area averaging against the plain integer formulas, including uneven ratios and the
// alpha-aware variant.
TEST(ScaleTest, SmoothMatchesThePlainFormulas) {
    for (bool varyingAlpha : {false, true}) {
        CDibImage source;
        ASSERT_TRUE(source.Create(32, 23, 17, NoFill));
        FillNoise(source, 3);
        if (varyingAlpha) {
            test::FillNoiseWithAlphaExtremes(source, 4);
        } else {
            for (std::size_t i = 3; i < source.imageSize; i += 4)
                source.bits[i] = 255;
        }
        for (auto [w, h] : {std::pair{7u, 5u}, std::pair{40u, 9u}, std::pair{3u, 30u}}) {
            CDibImage result;
            ASSERT_TRUE(result.Scale(source, w, h, CDibImage::kScaleSmooth));
            const auto expected = test::ReferenceSmooth32(source, w, h, varyingAlpha);
            for (std::uint32_t y = 0; y < h; ++y)
                for (std::uint32_t x = 0; x < w; ++x)
                    ASSERT_EQ(PixelAt(result, x, y), expected[y * w + x])
                        << (varyingAlpha ? "alpha-aware " : "") << w << "x" << h << " at " << x
                        << "," << y;
        }
    }
}

// A 32-bit source whose alpha varies: noise with many 0 and 255 alphas, a fully transparent
// block (destination pixels there have no visible colour at all) and an opaque one.
CDibImage SoftSource(std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
    CDibImage source;
    EXPECT_TRUE(source.Create(32, w, h, NoFill));
    test::FillNoiseWithAlphaExtremes(source, seed);
    for (std::uint32_t y = 0; y < h / 2; ++y)
        for (std::uint32_t x = 0; x < w / 3; ++x)
            source.SetPixel(x, y, PixelAt(source, x, y) & 0x00FFFFFF);
    for (std::uint32_t y = h / 2; y < h; ++y)
        for (std::uint32_t x = w - w / 4; x < w; ++x)
            source.SetPixel(x, y, PixelAt(source, x, y) | 0xFF000000);
    source.SetPixel(0, 0, 0x80123456);  // alpha neither 0 nor 255 everywhere
    return source;
}

// Runs the drawing operations on one kernel table until the test ends.
struct KernelChoice {
    explicit KernelChoice(const kernels::DrawKernels* table) {
        kernels::UseKernelsForTesting(table);
    }
    ~KernelChoice() { kernels::UseKernelsForTesting(nullptr); }
};

::testing::AssertionResult MatchesReference(const CDibImage& source, std::uint32_t w,
                                            std::uint32_t h) {
    CDibImage result;
    if (!result.Scale(source, w, h, CDibImage::kScaleSmooth) || result.bitsPerPixel != 32)
        return ::testing::AssertionFailure() << "Scale failed";
    const auto expected = test::ReferenceSmooth32(source, w, h, source.AlphaKind() == 2);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            if (PixelAt(result, x, y) != expected[y * w + x])
                return ::testing::AssertionFailure()
                       << source.width << "x" << source.height << " to " << w << "x" << h << " at "
                       << x << "," << y << ": " << std::hex << PixelAt(result, x, y)
                       << " instead of " << expected[y * w + x];
    return ::testing::AssertionSuccess();
}

// The alpha-aware area averaging, with every kernel table, against the plain formulas:
// whole-number and uneven ratios, enlarging, one-pixel edges, many taps per pixel, widths that
// are not a multiple of the vector blocks, and random sizes.
TEST(ScaleTest, AlphaAwareSmoothMatchesTheFormulasWithEveryKernel) {
    std::vector<std::array<std::uint32_t, 4>> cases = {
        {30, 9, 10, 3}, {37, 19, 13, 7},   {5, 3, 17, 11},   {1, 7, 3, 2},     {7, 1, 2, 1},
        {41, 33, 1, 1}, {100, 50, 33, 49}, {64, 64, 63, 65}, {17, 5, 16, 5},   {9, 256, 9, 1},
        {200, 6, 9, 2}, {3, 3, 1, 1},      {2, 2, 9, 9},     {700, 9, 301, 4}, {150, 3, 290, 5}};
    std::mt19937 random(7);
    const auto upTo = [&](std::uint32_t most) {
        return 1 + static_cast<std::uint32_t>(random() % most);
    };
    for (int i = 0; i < 12; ++i)
        cases.push_back({upTo(70), upTo(40), upTo(70), upTo(40)});
    for (const kernels::DrawKernels* table : kernels::AvailableKernels()) {
        const KernelChoice choice(table);
        std::uint32_t seed = 1;
        for (const auto& [sw, sh, w, h] : cases) {
            const CDibImage source = SoftSource(sw, sh, seed++);
            ASSERT_EQ(source.AlphaKind(), 2);
            EXPECT_TRUE(MatchesReference(source, w, h)) << table->name;
        }
    }
}

// Sums at the edges of their range: 256 opaque white rows into one, a quotient just below a
// whole number, and a block with no visible pixel at all next to one with a single visible
// pixel.
TEST(ScaleTest, AlphaAwareSmoothKeepsExtremeSumsExact) {
    CDibImage white;
    ASSERT_TRUE(white.Create(32, 9, 256, 0xFFFFFFFF));
    white.SetPixel(8, 0, 0);
    CDibImage result;
    ASSERT_TRUE(result.Scale(white, 9, 1, CDibImage::kScaleSmooth));
    EXPECT_EQ(PixelAt(result, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(result, 8, 0), 0xFEFFFFFFu);  // 255 * 255 / 256 alpha, colour kept

    // A sum one unit below a whole multiple of a weight near 2^20: the quotient must not round
    // up to that multiple.
    CDibImage nearlyUniform;
    ASSERT_TRUE(nearlyUniform.Create(32, 186, 186, 0xFFFEFEFE));
    nearlyUniform.SetPixel(0, 185, 0);
    nearlyUniform.SetPixel(13, 13, 0xFFFDFDFD);  // covered by one unit in each direction
    EXPECT_TRUE(MatchesReference(nearlyUniform, 143, 143));

    CDibImage sparse;
    ASSERT_TRUE(sparse.Create(32, 6, 3, 0x00FFFFFF));  // white but invisible
    sparse.SetPixel(4, 1, 0x01FF8040);
    ASSERT_TRUE(result.Scale(sparse, 2, 1, CDibImage::kScaleSmooth));
    EXPECT_EQ(PixelAt(result, 0, 0), 0u);           // no colour from invisible pixels
    EXPECT_EQ(PixelAt(result, 1, 0), 0x00FF8040u);  // the only visible colour, alpha rounds to 0
}

// Large jobs are shared with a helper thread; callers that find it busy do the work alone.
// Several threads scaling at once must all get the exact result.
TEST(ScaleTest, ConcurrentLargeScalesAllMatchTheFormulas) {
    const CDibImage source = SoftSource(600, 300, 21);
    const auto expected = test::ReferenceSmooth32(source, 200, 100, true);
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                CDibImage result;
                if (!result.Scale(source, 200, 100, CDibImage::kScaleSmooth)) {
                    ++mismatches[t];
                    continue;
                }
                for (std::uint32_t y = 0; y < 100; ++y)
                    for (std::uint32_t x = 0; x < 200; ++x)
                        mismatches[t] += PixelAt(result, x, y) != expected[y * 200 + x];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace kelvandor
