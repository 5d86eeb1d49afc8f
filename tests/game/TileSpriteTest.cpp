// A composed tile sprite must put exactly the pixels on a 24-bit image that blending its
// composition (the second layer laid over the first) would, wherever it lands; and where the
// first layer is opaque or the second clear, as tiles and their images are, that is what
// blending both layers one after the other gives.

#include <gtest/gtest.h>

#include <cstring>

#include "game/TileSprite.h"
#include "puzzles/GameRandom.h"

namespace kelvandor {
namespace {

// A 32-bit layer with transparent, half-transparent and opaque pixels in runs.
CDibImage Layer(std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
    CDibImage image;
    image.Create(32, w, h, 0);
    GameRandom random(seed);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w;) {
            const std::uint32_t run = 1 + random.NextRandom() % 7;
            const std::uint32_t alpha = (random.NextRandom() % 3) * 0x80;  // 0, 0x80, 0x100
            const std::uint32_t value =
                (std::min(alpha, 0xFFu) << 24) | (random.NextRandom() & 0xFFFFFF);
            for (std::uint32_t k = 0; k < run && x < w; ++k, ++x) {
                image.SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), value);
            }
        }
    }
    return image;
}

CDibImage Background(std::uint32_t w, std::uint32_t h) {
    CDibImage image;
    image.Create(24, w, h, 0);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            image.SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                           (x * 7 + y * 13) & 0xFFFFFF);
        }
    }
    return image;
}

bool SamePixels(const CDibImage& a, const CDibImage& b) {
    for (std::uint32_t y = 0; y < a.height; ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), 3 * std::size_t{a.width}) != 0) {
            return false;
        }
    }
    return true;
}

TEST(TileSpriteTest, DrawsWhatItsCompositionWouldWhereverItLands) {
    const CDibImage under = Layer(40, 20, 1);
    const CDibImage over = Layer(33, 25, 2);  // layers need not be of one size
    CTileSprite sprite;
    sprite.Compose(under, over);
    EXPECT_EQ(sprite.Width(), 40u);
    EXPECT_EQ(sprite.Height(), 25u);
    CDibImage composed;
    composed.Create(32, 40, 25, 0);
    composed.DrawAlphaOver(under, 0, 0);
    composed.DrawAlphaOver(over, 0, 0);
    const std::pair<int, int> places[] = {{5, 5},     {-7, 3}, {3, -9},  {50, 30},
                                          {-39, -24}, {0, 0},  {60, 10}, {-40, 0}};
    for (const auto& [x, y] : places) {
        CDibImage expected = Background(64, 48);
        CDibImage actual = Background(64, 48);
        const bool blended = expected.DrawAlphaOver(composed, x, y);
        const bool drawn = sprite.DrawOn(actual, x, y);
        EXPECT_TRUE(SamePixels(expected, actual)) << "at " << x << ", " << y;
        EXPECT_EQ(drawn, blended && !SamePixels(expected, Background(64, 48)))
            << "at " << x << ", " << y;
    }
}

TEST(TileSpriteTest, AnOpaqueTileWithAnImageOverItDrawsAsBothLayersBlendedInTurn) {
    // A tile: opaque inside, soft at two corners, clear at a third; its image has soft text
    // inside the opaque part only.
    CDibImage tile;
    tile.Create(32, 30, 12, 0xFFF5F5FFu);
    tile.SetPixel(0, 0, 0x00000000u);
    tile.SetPixel(1, 0, 0x806464FFu);
    tile.SetPixel(29, 11, 0x406464FFu);
    CDibImage image = Layer(30, 12, 5);
    for (std::int32_t x = 0; x < 30; ++x) {
        for (std::int32_t y : {0, 11}) {
            image.SetPixel(x, y, 0);
        }
    }
    CTileSprite sprite;
    sprite.Compose(tile, image);
    for (const auto& [x, y] : {std::pair{3, 4}, std::pair{-2, 40}, std::pair{50, -3}}) {
        CDibImage expected = Background(64, 48);
        CDibImage actual = Background(64, 48);
        expected.DrawAlphaOver(tile, x, y);
        expected.DrawAlphaOver(image, x, y);
        sprite.DrawOn(actual, x, y);
        EXPECT_TRUE(SamePixels(expected, actual)) << "at " << x << ", " << y;
    }
    EXPECT_FALSE(sprite.RowOpaque(0)) << "its soft corners let the board show";
    EXPECT_TRUE(sprite.RowOpaque(5));
}

TEST(TileSpriteTest, DrawsNothingOntoOtherDepthsOrFromEmptyLayers) {
    CTileSprite sprite;
    sprite.Compose(Layer(8, 8, 3), Layer(8, 8, 4));
    CDibImage wide;
    wide.Create(32, 16, 16, 0);
    EXPECT_FALSE(sprite.DrawOn(wide, 0, 0));

    CDibImage empty, palette;
    palette.Create(8, 8, 8, 1);
    sprite.Compose(empty, palette);
    CDibImage target = Background(16, 16);
    EXPECT_FALSE(sprite.DrawOn(target, 0, 0));
    EXPECT_TRUE(SamePixels(target, Background(16, 16)));
}

}  // namespace
}  // namespace kelvandor
