// The pictures of the game screen that are made ahead of the ticks: the star and digit images
// (once, when the window is created) and the answer tiles (once per layout change or puzzle),
// so that a tick only copies and blends finished pictures.

#include <cstdint>
#include <cstdio>

#include "game/GameRenderer.h"
#include "image/GlyphFonts.h"
#include "image/ImageFile.h"

namespace kelvandor {

namespace {

struct TileColours {
    std::uint32_t fill, border;
};

// Indexed by ElementState: placed, normal, wrong, selected.
constexpr TileColours kTileColours[4] = {
    {0xFFF5F5FFu, 0xFF6464FFu},
    {0xFFFFFF80u, 0xFF6464FFu},
    {0xFFFF8080u, 0xFF6464FFu},
    {0xFFDFDFFFu, 0xFFFA649Bu},
};

constexpr std::uint32_t kAnswerInk = 0xFFC0C0FFu;
constexpr std::int32_t kTileMargin = 12;  // around the picture and the text

// The tiles are drawn three times larger and then averaged down, which smooths the rounded
// corners. In work-image pixels: border 12 (4 on screen), outer corner radius 36 (12),
// inner radius 24.
constexpr std::int32_t kSuper = 3;
constexpr std::int32_t kBorder = 12;
constexpr std::int32_t kOuterRadiusSquared = 36 * 36;
constexpr std::int32_t kInnerRadiusSquared = 24 * 24;

// One rounded corner around (cx, cy): the quarter disc that faces away from the tile's inside
// (to the right or left, downwards or upwards), border colour on its rim and fill inside.
// Pixels outside the image are skipped.
void DrawCorner(CDibImage& work, std::int32_t cx, std::int32_t cy, bool right, bool bottom,
                const TileColours& colours) {
    for (std::int32_t dy = -36; dy <= 36; ++dy) {
        if ((dy >= 0) != bottom) {
            continue;
        }
        for (std::int32_t dx = -36; dx <= 36; ++dx) {
            if ((dx >= 0) != right) {
                continue;
            }
            const std::int32_t r2 = dx * dx + dy * dy;
            if (r2 < kOuterRadiusSquared) {
                work.SetPixel(cx + dx, cy + dy,
                              r2 < kInnerRadiusSquared ? colours.fill : colours.border);
            }
        }
    }
}

// The tile's shape in work-image pixels (the work image is kSuper times the tile's size
// sw x st), drawn into `work`, which holds the part of it from (ox, oy) on.
void DrawTileShape(CDibImage& work, std::int32_t ox, std::int32_t oy, std::int32_t sw,
                   std::int32_t st, const TileColours& c) {
    work.FillRect(kBorder - ox, kBorder - oy, sw - 2 * kBorder, st - 2 * kBorder, c.fill);
    work.FillRect(35 - ox, -oy, sw - 71, kBorder, c.border);                // top
    work.FillRect(35 - ox, st - kBorder - oy, sw - 71, kBorder, c.border);  // bottom
    work.FillRect(-ox, 35 - oy, kBorder, st - 71, c.border);                // left
    work.FillRect(sw - kBorder - ox, 35 - oy, kBorder, st - 71, c.border);  // right
    DrawCorner(work, 35 - ox, 35 - oy, false, false, c);
    DrawCorner(work, sw - 36 - ox, 35 - oy, true, false, c);
    DrawCorner(work, 35 - ox, st - 36 - oy, false, true, c);
    DrawCorner(work, sw - 36 - ox, st - 36 - oy, true, true, c);
}

// The tile is the work image averaged down over 3 x 3 blocks. Outside the four corners every
// block is of one colour (the bands and the fill start on whole tile pixels), so those parts
// are filled directly and only the corners are supersampled: 36 x 36 work pixels each.
void RenderStateTile(CDibImage& work, CDibImage& tile, std::int32_t w, std::int32_t t,
                     const TileColours& c) {
    constexpr std::int32_t kCorner = 36;  // work pixels; 12 tile pixels
    if (!tile.Create(32, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(t), 0)) {
        tile.Free();
        return;
    }
    tile.FillRect(4, 4, w - 8, t - 8, c.fill);
    tile.FillRect(12, 0, w - 24, 4, c.border);
    tile.FillRect(12, t - 4, w - 24, 4, c.border);
    tile.FillRect(0, 12, 4, t - 24, c.border);
    tile.FillRect(w - 4, 12, 4, t - 24, c.border);
    const std::int32_t sw = kSuper * w, st = kSuper * t;
    const std::int32_t cornerX[4] = {0, sw - kCorner, 0, sw - kCorner};
    const std::int32_t cornerY[4] = {0, 0, st - kCorner, st - kCorner};
    CDibImage corner;
    for (int k = 0; k < 4; ++k) {
        if (!work.Create(32, kCorner, kCorner, 0)) {
            continue;
        }
        DrawTileShape(work, cornerX[k], cornerY[k], sw, st, c);
        if (corner.Scale(work, kCorner / kSuper, kCorner / kSuper, CDibImage::kScaleSmooth)) {
            tile.Draw(corner, cornerX[k] / kSuper, cornerY[k] / kSuper, 0);
        }
    }
}

// The picture of an answer, scaled to the picture column's height and put at the tile's
// top-left margin.
void DrawAnswerPicture(CDibImage& image, const CDibImage& picture, std::int32_t pictureHeight) {
    if (picture.IsEmpty() || picture.width == 0 || picture.height == 0) {
        return;
    }
    const std::uint32_t ph = static_cast<std::uint32_t>(pictureHeight);
    const std::uint32_t pw = picture.width * ph / picture.height;
    CDibImage scaled;
    if (!scaled.Scale(picture, pw, ph, 0)) {
        return;  // too narrow to show at this height
    }
    if (scaled.HasAlpha()) {
        image.DrawAlpha(scaled, kTileMargin, kTileMargin);
    } else {
        image.Draw(scaled, kTileMargin, kTileMargin, 0);
    }
}

// The largest font in which `text` fits between x0 and the right margin; the smallest font
// when none does. Larger fonts are tried only on tiles tall enough to hold them.
const std::uint8_t* ChooseAnswerFont(CDibImage& image, const char* text, std::int32_t x0,
                                     std::int32_t w, std::int32_t t) {
    struct Candidate {
        const std::uint8_t* font;
        std::int32_t minimumTileHeight;
    };
    const Candidate candidates[] = {{FontLarge(), 44}, {FontMedium(), 32}, {FontSmall(), 24}};
    for (const Candidate& c : candidates) {
        if (t < c.minimumTileHeight || c.font == nullptr) {
            continue;
        }
        image.SetFont(c.font);
        const std::int32_t width = image.DrawText(0, CDibImage::MeasureOnly, text);
        if (x0 + width + kTileMargin <= w) {
            return c.font;
        }
    }
    return FontTiny();
}

void RenderElementImage(CDibImage& image, const PuzzleContent& puzzle, std::int32_t index,
                        std::int32_t w, std::int32_t t, std::int32_t pictureHeight,
                        std::int32_t textX) {
    if (!image.Create(32, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(t), 0)) {
        image.Free();
        return;
    }
    if (puzzle.HasElementPictures) {
        DrawAnswerPicture(image, puzzle.ElementPictures[static_cast<std::size_t>(index)],
                          pictureHeight);
    }
    const auto i = static_cast<std::size_t>(index);
    if (i >= puzzle.AnswerTexts.Count()) {
        return;  // an element without a text gets none
    }
    const char* text = puzzle.AnswerTexts.Text(i).c_str();
    image.alignH = 0;  // left
    image.alignV = 1;  // middle
    image.SetFont(ChooseAnswerFont(image, text, textX, w, t));
    image.SetTextPen(nullptr, 0, true);
    image.SetTextPen(CDibImage::PenSoft, kAnswerInk, false);
    image.DrawText(textX, t / 2, text);
}

}  // namespace

void CGameRenderer::LoadScreenImages() {
    const std::uint32_t starIds[3] = {kLargeStarBitmap, kMediumStarBitmap, kSmallStarBitmap};
    for (std::size_t i = 0; i < images_.Stars.size(); ++i) {
        images_.Stars[i].LoadBitmapResource(starIds[i]);
    }

    // The strip holds sixteen glyphs of equal width; digit d is cut out by drawing the strip
    // shifted left by d glyph widths onto a black image one glyph wide.
    char path[32];
    std::snprintf(path, sizeof path, "res://bitmap/%u", kDigitStripBitmap);
    CDibImage strip;
    const bool loaded = LoadImageFile(path, strip) == 0 && strip.width >= 16 && strip.height > 0;
    const std::uint32_t glyphWidth = loaded ? strip.width / 16 : 0;
    for (std::uint32_t d = 0; d < images_.Digits.size(); ++d) {
        CDibImage& digit = images_.Digits[d];
        if (!loaded || !digit.Create(24, glyphWidth, strip.height, 0xFF000000u)) {
            digit.Free();
            continue;
        }
        digit.DrawAlphaOver(strip, -static_cast<std::int32_t>(glyphWidth * d), 0);
    }
}

void CGameRenderer::UseStarImage(std::uint32_t size) {
    // Sizes 2 and 3 both use the small star; unknown sizes the large one.
    const std::size_t star = size == 1 ? 1 : (size == 2 || size == 3) ? 2 : 0;
    images_.CurrentStar.Assign(images_.Stars[star]);
}

void CGameRenderer::RenderAllTiles() {
    for (CDibImage& tile : images_.StateTiles) {
        tile.Free();
    }
    RenderTiles();
}

void CGameRenderer::RenderTiles() {
    const std::int32_t w = screen_.TileWidth, t = screen_.TileHeight;
    const PuzzleContent& puzzle = state_.Puzzle;
    if (w > 0 && t > 0) {
        // The state tiles depend on the tile size alone; a new puzzle of the same layout
        // keeps them.
        CDibImage work;
        for (std::size_t state = 0; state < images_.StateTiles.size(); ++state) {
            CDibImage& tile = images_.StateTiles[state];
            if (tile.width != static_cast<std::uint32_t>(w) ||
                tile.height != static_cast<std::uint32_t>(t)) {
                RenderStateTile(work, tile, w, t, kTileColours[state]);
            }
        }

        // With pictures, the text starts right of a column wide enough for the widest picture.
        std::int32_t pictureHeight = 1;
        std::int32_t textX = kTileMargin;
        if (puzzle.HasElementPictures) {
            pictureHeight = t - 2 * kTileMargin;
            textX = static_cast<std::int32_t>(static_cast<std::int64_t>(puzzle.PictureAspect) *
                                              pictureHeight / 256) +
                    2 * kTileMargin;
        }
        for (std::int32_t i = 0; i < state_.ElementCount(); ++i) {
            RenderElementImage(images_.ElementImages[static_cast<std::size_t>(i)], puzzle, i, w, t,
                               pictureHeight, textX);
        }
    }
    images_.SpriteStates.fill(0);
    screen_.DirtyMask = kAllDirty;
    screen_.QuestionDirty = 1;
}

}  // namespace kelvandor
