#include <gtest/gtest.h>

#include <cstring>

#include "image/DibImage.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using test::FillNoise;
using test::PixelAt;

TEST(FillRectTest, NegativeWidthReachesLeftAndIncludesX) {
    CDibImage image;
    ASSERT_TRUE(image.Create(24, 20, 20, 0));
    EXPECT_TRUE(image.FillRect(10, 10, -3, 2, 0x123456));
    for (std::uint32_t y = 0; y < 20; ++y) {
        for (std::uint32_t x = 0; x < 20; ++x) {
            const bool inside = x >= 8 && x <= 10 && y >= 10 && y <= 11;
            EXPECT_EQ(PixelAt(image, x, y), inside ? 0x123456u : 0u) << x << "," << y;
        }
    }
}

TEST(FillRectTest, OutsideChangesNothingAndPartlyOutsideIsClipped) {
    CDibImage image;
    ASSERT_TRUE(image.Create(32, 8, 8, 0));
    EXPECT_FALSE(image.FillRect(8, 0, 5, 5, 0xFFFFFFFF));
    EXPECT_FALSE(image.FillRect(0, -1, 8, -5, 0xFFFFFFFF));
    EXPECT_FALSE(image.FillRect(3, 3, 0, 4, 0xFFFFFFFF));
    for (std::size_t i = 0; i < image.imageSize; ++i)
        ASSERT_EQ(image.bits[i], 0);

    EXPECT_TRUE(image.FillRect(-5, 6, 2147483647, 100, 0x00FF0000));
    EXPECT_EQ(PixelAt(image, 0, 7), 0x00FF0000u);  // red with alpha 0: the alpha is written too
    EXPECT_EQ(PixelAt(image, 7, 6), 0x00FF0000u);
    EXPECT_EQ(PixelAt(image, 7, 5), 0u);
}

// Every depth, with edges on and off byte boundaries, must give exactly what putPixel gives;
// the wide image runs the block stores at every phase of the pattern.
TEST(FillRectTest, EveryDepthMatchesPixelByPixelFill) {
    const struct {
        int x, w;
    } spans[] = {{0, 37},   {1, 1}, {3, 9},   {5, 30},   {7, -6},
                 {36, -37}, {2, 3}, {0, 301}, {11, 290}, {300, -299}};
    for (const std::uint32_t width : {37u, 301u}) {
        for (std::uint32_t depth : {1u, 2u, 4u, 8u, 12u, 15u, 16u, 24u, 32u}) {
            for (const auto& span : spans) {
                CDibImage fast, slow;
                ASSERT_TRUE(fast.Create(depth, width, 5, NoFill));
                ASSERT_TRUE(slow.Create(depth, width, 5, NoFill));
                FillNoise(fast, depth);
                std::memcpy(slow.bits, fast.bits, fast.imageSize);
                const std::uint32_t colour = 0x89ABCDEF;
                const int first = span.w >= 0 ? span.x : span.x + span.w + 1;
                const int count = span.w >= 0 ? span.w : -span.w;
                if (first >= static_cast<int>(width))
                    continue;
                ASSERT_TRUE(fast.FillRect(span.x, 1, span.w, 3, colour));
                for (int y = 1; y < 4; ++y) {
                    for (int x = std::max(first, 0);
                         x < std::min(first + count, static_cast<int>(width)); ++x) {
                        slow.SetPixel(x, y, colour);
                    }
                }
                EXPECT_EQ(std::memcmp(fast.bits, slow.bits, fast.imageSize), 0)
                    << "width " << width << " depth " << depth << " x " << span.x << " w "
                    << span.w;
            }
        }
    }
}

}  // namespace
}  // namespace kelvandor
