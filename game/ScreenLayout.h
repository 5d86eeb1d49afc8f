#pragma once
// The geometry of the game screen: where the star panels, bevels, question band and the
// board's tiles lie for a view size, and the room an answer tile has for its picture and its
// text. Pure arithmetic on integers; the renderer, the motion step and kelvandor-tool's
// checker all lay the screen out through it.
//
// Up to 1920 x 1080 every length is the one the screen was designed with. A bigger screen is
// laid out as 1920 x 1080 grown by min(W / 1920, H / 1080): panels, bevels, band, tiles,
// margins, stars, digits and fonts alike, so that a 3840 x 2160 television shows the 1080p
// screen at twice the size.

#include <cstdint>

namespace kelvandor {

// The smallest view the board can be drawn in: twelve answers in two columns of tiles at
// least 200 x 40 pixels, beside star panels of the largest size. The window does not let the
// view become smaller; below it the board no longer fits (tiles keep their minimum size and
// reach beyond the play area).
inline constexpr std::int32_t kMinimumViewWidth = 800;
inline constexpr std::int32_t kMinimumViewHeight = 600;

// The factor a screen is grown by, num / den, at least 1.
struct ScreenScale {
    std::int32_t num = 1, den = 1;

    // `length` (a 1080p length, not negative) grown by the factor, rounded to the nearest
    // pixel.
    std::int32_t operator()(std::int32_t length) const {
        return static_cast<std::int32_t>((std::int64_t{length} * num + den / 2) / den);
    }
    bool IsOne() const { return num == den; }
    bool operator==(const ScreenScale&) const = default;
};

// min(width / 1920, height / 1080), and 1 for screens not larger than 1920 x 1080 both ways.
ScreenScale ScaleForView(std::int32_t width, std::int32_t height);

// The board's geometry on screen, computed from the view size (all pixels).
struct ScreenLayout {
    std::int32_t ViewWidth = 0, ViewHeight = 0;
    ScreenScale Scale;
    // Star panels (each side), one star cell's height, the bevels, the question band above
    // its bevel rows, and the top of the play area below them.
    std::int32_t PanelWidth = 0, StarCellHeight = 0;
    std::int32_t BevelWidth = 6, BandHeight = 36, PlayAreaTop = 42;
    std::int32_t AreaWidth = 0, AreaHeight = 0;
    std::int32_t TileWidth = 0, TileHeight = 0;
    std::int32_t ColumnStep = 0, RowStep = 0;
    std::int32_t BoardOriginX = 0, BoardOriginY = 0;

    // Left edge of the play area (and of the question band).
    std::int32_t AreaLeft() const { return PanelWidth + BevelWidth; }
    // The margin around the picture and the text inside a tile.
    std::int32_t TileMargin() const { return Scale(12); }
    // The width of a tile's border line.
    std::int32_t TileBorder() const { return Scale(4); }
};

// Lays the screen out for a view of width x height with `elementCount` answers (at least one
// is assumed) and star panels of the given 1080p width and cell height.
//
// Tiles: two columns, (AreaWidth - 172) / 2 wide within 200 .. 999 and (AreaHeight - 16) / n
// - 16 high within 40 .. 256, 140 apart and 16 from each other and from the play area's
// edges. When the smallest tiles do not fit that way (a small window, many answers) the gaps
// between them shrink, down to 40 between the columns and 4 between the rows, so that the
// board stays inside the play area at every size from kMinimumViewWidth x kMinimumViewHeight
// up. A screen larger than 1920 x 1080 gets the layout of its size shrunk by its scale, with
// every length grown back by it: 3840 x 2160 is exactly the 1080p layout at twice the size.
ScreenLayout ComputeScreenLayout(std::int32_t width, std::int32_t height, std::int32_t elementCount,
                                 std::int32_t starPanelWidth, std::int32_t starCellHeight);

// The room inside an answer tile: the picture column on the left (when the puzzle has
// pictures) and the text area right of it, in tile pixels.
struct AnswerRoom {
    std::int32_t pictureWidth = 0;   // 0 without pictures
    std::int32_t pictureHeight = 0;  // the column's height (tile height less two margins)
    std::int32_t textX = 0;          // where the text starts
    std::int32_t textWidth = 0;      // from textX to the right margin
};

// The room for answers whose widest picture has `pictureAspect` (width * 256 / height; 0 for
// no pictures). The picture column is as wide as that picture at the column's height, but
// never wider than leaves the text half of the tile's inner width.
AnswerRoom AnswerRoomFor(const ScreenLayout& layout, std::int32_t pictureAspect);

// The size of a picture of sourceWidth x sourceHeight scaled into a box of boxWidth x
// boxHeight keeping its aspect: as high as the box unless that makes it wider, then as wide.
// At least 1 x 1; 0 x 0 for an empty picture or box.
struct PictureSize {
    std::uint32_t width = 0, height = 0;
};
PictureSize FitPicture(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::int32_t boxWidth,
                       std::int32_t boxHeight);

}  // namespace kelvandor
