#include "game/ScreenLayout.h"

#include <algorithm>

namespace kelvandor {

namespace {

// The 1080p lengths of the layout.
constexpr std::int32_t kDesignWidth = 1920;
constexpr std::int32_t kDesignHeight = 1080;
constexpr std::int32_t kBevel = 6;
constexpr std::int32_t kBand = 36;
constexpr std::int32_t kSideMargin = 16;
constexpr std::int32_t kColumnGap = 140;
constexpr std::int32_t kSmallestColumnGap = 40;
constexpr std::int32_t kRowGap = 16;
constexpr std::int32_t kSmallestRowGap = 4;
constexpr std::int32_t kMinTileWidth = 200, kMaxTileWidth = 999;
constexpr std::int32_t kMinTileHeight = 40, kMaxTileHeight = 256;

}  // namespace

ScreenScale ScaleForView(std::int32_t width, std::int32_t height) {
    if (width <= kDesignWidth || height <= kDesignHeight) {
        return {};
    }
    // The smaller of the two ratios: width / 1920 < height / 1080 when width * 1080 is the
    // smaller product.
    if (std::int64_t{width} * kDesignHeight <= std::int64_t{height} * kDesignWidth) {
        return {width, kDesignWidth};
    }
    return {height, kDesignHeight};
}

namespace {

// The frame of the board on a view of width x height: the panels, bevels and band, and the
// play area that they leave.
void LayFrame(ScreenLayout& l, std::int32_t width, std::int32_t height, std::int32_t panelWidth,
              std::int32_t cellHeight, std::int32_t bevel, std::int32_t band) {
    l.ViewWidth = width;
    l.ViewHeight = height;
    l.PanelWidth = panelWidth;
    l.StarCellHeight = cellHeight;
    l.BevelWidth = bevel;
    l.BandHeight = band;
    l.PlayAreaTop = l.BandHeight + l.BevelWidth;
    l.AreaWidth = std::max(width - 2 * (l.PanelWidth + l.BevelWidth), 0);
    l.AreaHeight = std::max(height - l.PlayAreaTop, 0);
}

// The layout of a screen of width x height in the lengths of the 1080p design.
ScreenLayout DesignLayout(std::int32_t width, std::int32_t height, std::int32_t n,
                          std::int32_t starPanelWidth, std::int32_t starCellHeight) {
    ScreenLayout l;
    LayFrame(l, width, height, starPanelWidth, starCellHeight, kBevel, kBand);

    std::int32_t columnGap = kColumnGap;
    std::int32_t rowGap = kRowGap;
    l.TileWidth =
        std::clamp((l.AreaWidth - 2 * kSideMargin - columnGap) / 2, kMinTileWidth, kMaxTileWidth);
    l.TileHeight = std::clamp((l.AreaHeight - rowGap) / n - rowGap, kMinTileHeight, kMaxTileHeight);
    // Tiles of the smallest size that overflow the play area: the gaps give way first.
    if (2 * kSideMargin + 2 * l.TileWidth + columnGap > l.AreaWidth) {
        const std::int32_t fitting = l.AreaWidth - 2 * kSideMargin - 2 * l.TileWidth;
        if (fitting >= kSmallestColumnGap) {
            columnGap = fitting;
        }
    }
    if (n * l.TileHeight + (n - 1) * rowGap > l.AreaHeight) {
        const std::int32_t fitting = (l.AreaHeight - n * l.TileHeight) / (n + 1);
        if (fitting >= kSmallestRowGap) {
            rowGap = fitting;
        }
    }
    l.ColumnStep = l.TileWidth + columnGap;
    l.RowStep = l.TileHeight + rowGap;
    l.BoardOriginX = l.AreaLeft() + kSideMargin;
    l.BoardOriginY = (l.AreaHeight - l.RowStep * n + rowGap) / 2 + l.PlayAreaTop;
    return l;
}

}  // namespace

ScreenLayout ComputeScreenLayout(std::int32_t width, std::int32_t height, std::int32_t elementCount,
                                 std::int32_t starPanelWidth, std::int32_t starCellHeight) {
    const ScreenScale s = ScaleForView(width, height);
    const std::int32_t n = std::max(elementCount, 1);
    if (s.IsOne()) {
        return DesignLayout(width, height, n, starPanelWidth, starCellHeight);
    }
    // A larger screen is the design's screen of its size shrunk by the scale, grown back:
    // every length of that layout grown, the play area whatever lies between the bevels.
    const auto shrunk = [&](std::int32_t length) {
        return static_cast<std::int32_t>(std::int64_t{length} * s.den / s.num);
    };
    const ScreenLayout d =
        DesignLayout(shrunk(width), shrunk(height), n, starPanelWidth, starCellHeight);
    ScreenLayout l;
    l.Scale = s;
    LayFrame(l, width, height, s(d.PanelWidth), s(d.StarCellHeight), s(d.BevelWidth),
             s(d.BandHeight));
    l.TileWidth = s(d.TileWidth);
    l.TileHeight = s(d.TileHeight);
    l.ColumnStep = s(d.ColumnStep);
    l.RowStep = s(d.RowStep);
    l.BoardOriginX = s(d.BoardOriginX);
    l.BoardOriginY = s(d.BoardOriginY);
    return l;
}

AnswerRoom AnswerRoomFor(const ScreenLayout& layout, std::int32_t pictureAspect) {
    const std::int32_t m = layout.TileMargin();
    const std::int32_t w = layout.TileWidth;
    AnswerRoom room;
    room.textX = m;
    if (pictureAspect > 0) {
        room.pictureHeight = std::max(layout.TileHeight - 2 * m, 1);
        const std::int64_t wanted = std::int64_t{pictureAspect} * room.pictureHeight / 256;
        // The text keeps at least half of the inner width w - 2m: its area w - 3m - column
        // is at least (w - 2m) / 2 when the column is at most w / 2 - 2m.
        const std::int32_t cap = std::max(w / 2 - 2 * m, 1);
        room.pictureWidth = static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, 1, cap));
        room.textX = room.pictureWidth + 2 * m;
    }
    room.textWidth = std::max(w - m - room.textX, 0);
    return room;
}

PictureSize FitPicture(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::int32_t boxWidth,
                       std::int32_t boxHeight) {
    if (sourceWidth == 0 || sourceHeight == 0 || boxWidth <= 0 || boxHeight <= 0) {
        return {};
    }
    const std::uint64_t bw = static_cast<std::uint32_t>(boxWidth);
    const std::uint64_t bh = static_cast<std::uint32_t>(boxHeight);
    // As high as the box: sourceWidth * boxHeight / sourceHeight wide.
    const std::uint64_t widthAtFullHeight = sourceWidth * bh / sourceHeight;
    if (widthAtFullHeight <= bw) {
        return {static_cast<std::uint32_t>(std::max<std::uint64_t>(widthAtFullHeight, 1)),
                static_cast<std::uint32_t>(bh)};
    }
    const std::uint64_t heightAtFullWidth = sourceHeight * bw / sourceWidth;
    return {static_cast<std::uint32_t>(bw),
            static_cast<std::uint32_t>(std::max<std::uint64_t>(heightAtFullWidth, 1))};
}

}  // namespace kelvandor
