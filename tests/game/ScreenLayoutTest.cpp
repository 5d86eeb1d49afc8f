// The screen's geometry for every window size: the 1080p design as it is up to 1920 x 1080,
// grown as a whole above it, squeezed into small windows without leaving the play area; and
// the room an answer tile gives its picture and its text.

#include <gtest/gtest.h>

#include "game/ScreenLayout.h"

namespace kelvandor {
namespace {

ScreenLayout Layout(std::int32_t w, std::int32_t h, std::int32_t n) {
    return ComputeScreenLayout(w, h, n, 136, 136);
}

TEST(ScreenLayoutTest, ScreensGrowByTheSmallerRatioAboveFullHd) {
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{1280, 720}, std::pair{2560, 1080},
                               std::pair{1920, 1200}, std::pair{800, 600}}) {
        EXPECT_TRUE(ScaleForView(w, h).IsOne()) << w << "x" << h;
    }
    EXPECT_EQ(ScaleForView(3840, 2160)(100), 200);
    EXPECT_EQ(ScaleForView(2560, 1440)(36), 48);
    EXPECT_EQ(ScaleForView(2560, 1440)(55), 73);
    EXPECT_EQ(ScaleForView(3840, 1600)(100), 148) << "the height sets it: 1600 / 1080";
    EXPECT_EQ(ScaleForView(2400, 4000)(100), 125) << "the width sets it: 2400 / 1920";
}

TEST(ScreenLayoutTest, FullHdLayoutIsTheDesignedOne) {
    const ScreenLayout l = Layout(1920, 1080, 7);
    EXPECT_EQ(l.PanelWidth, 136);
    EXPECT_EQ(l.BevelWidth, 6);
    EXPECT_EQ(l.BandHeight, 36);
    EXPECT_EQ(l.PlayAreaTop, 42);
    EXPECT_EQ(l.AreaWidth, 1920 - 284);
    EXPECT_EQ(l.TileWidth, (1636 - 172) / 2);
    EXPECT_EQ(l.TileHeight, (1038 - 16) / 7 - 16);
    EXPECT_EQ(l.ColumnStep, l.TileWidth + 140);
    EXPECT_EQ(l.RowStep, l.TileHeight + 16);
    EXPECT_EQ(l.BoardOriginX, 158);
    EXPECT_EQ(l.BoardOriginY, (1038 - l.RowStep * 7 + 16) / 2 + 42);
    EXPECT_EQ(Layout(2560, 1080, 7).TileWidth, 999) << "a wide screen of 1080 rows is not grown";
}

TEST(ScreenLayoutTest, FourKLayoutIsTheFullHdOneAtTwiceTheSize) {
    for (std::int32_t n = 1; n <= 12; ++n) {
        const ScreenLayout a = Layout(1920, 1080, n), b = Layout(3840, 2160, n);
        SCOPED_TRACE(n);
        EXPECT_EQ(b.PanelWidth, 2 * a.PanelWidth);
        EXPECT_EQ(b.StarCellHeight, 2 * a.StarCellHeight);
        EXPECT_EQ(b.BevelWidth, 2 * a.BevelWidth);
        EXPECT_EQ(b.PlayAreaTop, 2 * a.PlayAreaTop);
        EXPECT_EQ(b.TileWidth, 2 * a.TileWidth);
        EXPECT_EQ(b.TileHeight, 2 * a.TileHeight);
        EXPECT_EQ(b.ColumnStep, 2 * a.ColumnStep);
        EXPECT_EQ(b.RowStep, 2 * a.RowStep);
        EXPECT_EQ(b.BoardOriginX, 2 * a.BoardOriginX);
        EXPECT_EQ(b.BoardOriginY, 2 * a.BoardOriginY);
        EXPECT_EQ(b.TileMargin(), 24);
    }
}

TEST(ScreenLayoutTest, EveryWindowTheFrameAllowsHoldsTheWholeBoard) {
    for (std::int32_t w = kMinimumViewWidth; w <= 1400; w += 50) {
        for (std::int32_t h = kMinimumViewHeight; h <= 800; h += 25) {
            for (std::int32_t n = 2; n <= 12; ++n) {
                const ScreenLayout l = Layout(w, h, n);
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " n " +
                             std::to_string(n));
                ASSERT_GE(l.TileWidth, 200);
                ASSERT_GE(l.TileHeight, 40);
                ASSERT_GT(l.ColumnStep, l.TileWidth);
                ASSERT_GT(l.RowStep, l.TileHeight);
                ASSERT_GE(l.BoardOriginX, l.AreaLeft());
                ASSERT_LE(l.BoardOriginX + l.ColumnStep + l.TileWidth, l.AreaLeft() + l.AreaWidth);
                ASSERT_GE(l.BoardOriginY, l.PlayAreaTop);
                // The lowest place an answer takes: the last one of the solution.
                ASSERT_LE(l.BoardOriginY + (2 * n - 2) * l.RowStep / 2 + l.TileHeight, h);
            }
        }
    }
}

TEST(ScreenLayoutTest, PictureColumnLeavesTheTextAtLeastHalfOfTheTile) {
    const ScreenLayout l = Layout(1280, 720, 4);
    const std::int32_t m = l.TileMargin(), inner = l.TileWidth - 2 * m;
    const AnswerRoom none = AnswerRoomFor(l, 0);
    EXPECT_EQ(none.pictureWidth, 0);
    EXPECT_EQ(none.textX, m);
    EXPECT_EQ(none.textWidth, inner);
    const AnswerRoom flag = AnswerRoomFor(l, 341);  // 4:3
    EXPECT_EQ(flag.pictureHeight, l.TileHeight - 2 * m);
    EXPECT_EQ(flag.pictureWidth, 341 * flag.pictureHeight / 256);
    EXPECT_EQ(flag.textX, flag.pictureWidth + 2 * m);
    for (std::int32_t aspect : {4 * 256, 10 * 256, 100 * 256}) {
        const AnswerRoom wide = AnswerRoomFor(l, aspect);
        EXPECT_EQ(wide.pictureWidth, l.TileWidth / 2 - 2 * m) << aspect;
        EXPECT_GE(wide.textWidth, inner / 2) << aspect;
        EXPECT_EQ(wide.textX + wide.textWidth + m, l.TileWidth) << aspect;
    }
}

TEST(ScreenLayoutTest, PicturesFitTheirBoxKeepingTheirAspect) {
    const auto fit = [](std::uint32_t w, std::uint32_t h, std::int32_t bw, std::int32_t bh) {
        const PictureSize s = FitPicture(w, h, bw, bh);
        return std::pair{s.width, s.height};
    };
    EXPECT_EQ(fit(200, 20, 182, 121), (std::pair{182u, 18u})) << "10:1, held to the width";
    EXPECT_EQ(fit(10, 100, 182, 121), (std::pair{12u, 121u})) << "1:10, the full height";
    EXPECT_EQ(fit(16, 16, 300, 100), (std::pair{100u, 100u})) << "enlarged";
    EXPECT_EQ(fit(4000, 3000, 160, 120), (std::pair{160u, 120u}));
    EXPECT_EQ(fit(10000, 1, 50, 50), (std::pair{50u, 1u})) << "at least a pixel";
    EXPECT_EQ(fit(0, 10, 50, 50), (std::pair{0u, 0u}));
    EXPECT_EQ(fit(10, 10, 0, 50), (std::pair{0u, 0u}));
}

}  // namespace
}  // namespace kelvandor
