#include <gtest/gtest.h>

#include "image/DibImage.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using test::FillNoise;
using test::FillNoiseWithAlphaExtremes;
using test::PixelAt;

CDibImage Make(std::uint32_t depth, std::uint32_t w, std::uint32_t h, std::uint32_t fill) {
    CDibImage image;
    EXPECT_TRUE(image.Create(depth, w, h, NoFill));
    image.FillRect(0, 0, w, h, fill);
    return image;
}

TEST(DrawTest, NegativeXSkipsTheFirstSourceColumns) {
    CDibImage source = Make(24, 10, 2, 0);
    for (std::uint32_t x = 0; x < 10; ++x)
        source.SetPixel(x, 0, 0x100 * x + 1);
    CDibImage dest = Make(24, 8, 3, 0xABCDEF);
    EXPECT_TRUE(dest.Draw(source, -5, 1));
    for (std::uint32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(PixelAt(dest, x, 0), 0xABCDEFu);
        EXPECT_EQ(PixelAt(dest, x, 1), x < 5 ? 0x100 * (x + 5) + 1 : 0xABCDEFu) << x;
        EXPECT_EQ(PixelAt(dest, x, 2), x < 5 ? 0u : 0xABCDEFu);
    }
    EXPECT_FALSE(dest.Draw(source, 8, 0));
    EXPECT_FALSE(dest.Draw(source, -10, 0));
    EXPECT_FALSE(dest.Draw(source, 0, -2));
    EXPECT_FALSE(dest.Draw(source, 0, 0, 0x01000000));  // no skip tests exist
}

TEST(DrawTest, DepthConversions) {
    CDibImage palette = Make(8, 2, 1, 0);
    palette.SetPixel(1, 0, 12);  // standard colour 12 is red
    CDibImage wide = Make(32, 2, 1, 0);
    ASSERT_TRUE(wide.Draw(palette, 0, 0));
    EXPECT_EQ(PixelAt(wide, 0, 0), 0xFF000000u);  // made opaque
    EXPECT_EQ(PixelAt(wide, 1, 0), 0xFFFF0000u);

    CDibImage colour = Make(24, 2, 1, 0x123456);
    CDibImage nibbles = Make(4, 3, 1, 0);
    ASSERT_TRUE(nibbles.Draw(colour, 1, 0));  // raw values keep their low bits
    EXPECT_EQ(PixelAt(nibbles, 0, 0), 0u);
    EXPECT_EQ(PixelAt(nibbles, 1, 0), 6u);

    // Same sub-byte depth at an odd start goes pixel by pixel.
    CDibImage bitsSource = Make(1, 13, 1, 0);
    for (int x = 0; x < 13; x += 3)
        bitsSource.SetPixel(x, 0, 1);
    CDibImage bitsDest = Make(1, 20, 1, 0);
    ASSERT_TRUE(bitsDest.Draw(bitsSource, 3, 0));
    for (std::uint32_t x = 0; x < 20; ++x) {
        EXPECT_EQ(PixelAt(bitsDest, x, 0), (x >= 3 && x < 16 && (x - 3) % 3 == 0) ? 1u : 0u) << x;
    }
}

TEST(DrawAlphaTest, HalfAlphaMixesSourceAndDestination) {
    CDibImage source = Make(32, 1, 1, 0x80C8643C);  // alpha 128
    for (std::uint32_t depth : {24u, 32u}) {
        CDibImage dest = Make(depth, 1, 1, 0x7F102030);
        ASSERT_TRUE(dest.DrawAlpha(source, 0, 0));
        const std::uint32_t expected = ((0xC8 * 129 + 0x10 * 128) >> 8) << 16 |
                                       ((0x64 * 129 + 0x20 * 128) >> 8) << 8 |
                                       ((0x3C * 129 + 0x30 * 128) >> 8);
        EXPECT_EQ(PixelAt(dest, 0, 0), expected | (depth == 32 ? 0xFF000000u : 0u)) << depth;
    }
    CDibImage indexed = Make(8, 2, 2, 0);
    EXPECT_FALSE(indexed.DrawAlpha(source, 0, 0));  // blending needs a true-colour image
}

TEST(DrawAlphaOverTest, TransparentDestinationTakesTheSourceExactly) {
    CDibImage source = Make(32, 1, 1, 0x40123456);
    CDibImage dest = Make(32, 3, 1, 0x00FFFFFF);
    dest.SetPixel(1, 0, 0xFF000000);
    dest.SetPixel(2, 0, 0x80000000);
    ASSERT_TRUE(dest.DrawAlphaOver(source, 0, 0));
    ASSERT_TRUE(dest.DrawAlphaOver(source, 1, 0));
    ASSERT_TRUE(dest.DrawAlphaOver(source, 2, 0));
    EXPECT_EQ(PixelAt(dest, 0, 0), 0x40123456u);
    EXPECT_EQ(PixelAt(dest, 1, 0), test::Blend(0x40123456, 0, 0x40) | 0xFF000000u);
    EXPECT_EQ(PixelAt(dest, 2, 0),
              test::Blend(0x40123456, 0, 0x40) | ((0x40 * 0x41 + 0x80 * 0xC0) >> 8) << 24);

    // A 24-bit image is opaque: a half-white pixel lightens it instead of being copied as
    // the dark grey its colour bytes hold.
    CDibImage onto24 = Make(24, 1, 1, 0xFFFFFF);
    ASSERT_TRUE(onto24.DrawAlphaOver(source, 0, 0));
    EXPECT_EQ(PixelAt(onto24, 0, 0), test::Blend(0x40123456, 0xFFFFFF, 0x40));
    CDibImage halfWhite = Make(32, 1, 1, 0x80FFFFFF);
    CDibImage onWhite = Make(24, 1, 1, 0xFFFFFF);
    ASSERT_TRUE(onWhite.DrawAlphaOver(halfWhite, 0, 0));
    EXPECT_EQ(PixelAt(onWhite, 0, 0), 0xFFFFFFu);
    CDibImage notWide = Make(24, 1, 1, 0);
    EXPECT_FALSE(dest.DrawAlphaOver(notWide, 0, 0));
}

// The row kernels against the plain formulas, on odd widths and every kind of alpha.
TEST(DrawAlphaTest, RowBlendsMatchThePlainFormulas) {
    CDibImage source;
    ASSERT_TRUE(source.Create(32, 37, 5, NoFill));
    FillNoiseWithAlphaExtremes(source, 7);
    for (std::uint32_t x = 0; x < 37; ++x) {  // an opaque row, as most rows of a picture are
        source.SetPixel(x, 2, PixelAt(source, x, 2) | 0xFF000000u);
    }
    for (std::uint32_t depth : {24u, 32u}) {
        for (bool over : {false, true}) {
            CDibImage dest, before;
            ASSERT_TRUE(dest.Create(depth, 41, 6, NoFill));
            FillNoiseWithAlphaExtremes(dest, 9);
            before = dest;
            ASSERT_TRUE(over ? dest.DrawAlphaOver(source, 3, 1) : dest.DrawAlpha(source, 3, 1));
            for (std::uint32_t y = 0; y < 6; ++y) {
                for (std::uint32_t x = 0; x < 41; ++x) {
                    std::uint32_t expected = PixelAt(before, x, y);
                    if (x >= 3 && x < 40 && y >= 1) {
                        const std::uint32_t s = PixelAt(source, x - 3, y - 1);
                        expected = over ? test::ReferenceDrawAlphaOver(s, expected, depth == 32)
                                        : test::ReferenceDrawAlpha(s, expected, depth == 32);
                    }
                    ASSERT_EQ(PixelAt(dest, x, y), expected)
                        << (over ? "over" : "alpha") << " depth " << depth << " at " << x << ","
                        << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kelvandor
