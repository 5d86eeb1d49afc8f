// The pictures of the game screen that are made ahead of the ticks: the star and digit images
// (once, when the window is created) and the answer tiles (once per layout change or puzzle),
// so that a tick only copies and blends finished pictures.

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "game/BoardText.h"
#include "game/GameRenderer.h"
#include "image/HelperThread.h"
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

// The answers' pictures of a layout are made on two threads when they cover this many pixels
// together: waking the second thread costs some microseconds, a tile of a 720p board about
// a millisecond.
constexpr std::uint64_t kSplitPixels = 200000;

// The tiles are drawn three times larger and then averaged down, which smooths the rounded
// corners. On a 1080p screen the border is 4 pixels and the outer corner radius 12 (12 and
// 36 in the work image); larger screens grow both.
constexpr std::int32_t kSuper = 3;

// A tile's shape in work-image pixels: border width, outer and inner corner radius.
struct TileShape {
    std::int32_t border, radius;  // work-image pixels, kSuper times the tile's
    std::int32_t OuterSquared() const { return radius * radius; }
    std::int32_t InnerSquared() const { return (radius - border) * (radius - border); }
};

// One rounded corner around (cx, cy): the quarter disc that faces away from the tile's inside
// (to the right or left, downwards or upwards), border colour on its rim and fill inside.
// Pixels outside the image are skipped.
void DrawCorner(CDibImage& work, std::int32_t cx, std::int32_t cy, bool right, bool bottom,
                const TileShape& shape, const TileColours& colours) {
    const std::int32_t r = shape.radius;
    for (std::int32_t dy = -r; dy <= r; ++dy) {
        if ((dy >= 0) != bottom) {
            continue;
        }
        for (std::int32_t dx = -r; dx <= r; ++dx) {
            if ((dx >= 0) != right) {
                continue;
            }
            const std::int32_t r2 = dx * dx + dy * dy;
            if (r2 < shape.OuterSquared()) {
                work.SetPixel(cx + dx, cy + dy,
                              r2 < shape.InnerSquared() ? colours.fill : colours.border);
            }
        }
    }
}

// The tile's shape in work-image pixels (the work image is kSuper times the tile's size
// sw x st), drawn into `work`, which holds the part of it from (ox, oy) on.
void DrawTileShape(CDibImage& work, std::int32_t ox, std::int32_t oy, std::int32_t sw,
                   std::int32_t st, const TileShape& shape, const TileColours& c) {
    const std::int32_t b = shape.border, r = shape.radius;
    work.FillRect(b - ox, b - oy, sw - 2 * b, st - 2 * b, c.fill);
    work.FillRect(r - 1 - ox, -oy, sw - 2 * r + 1, b, c.border);          // top
    work.FillRect(r - 1 - ox, st - b - oy, sw - 2 * r + 1, b, c.border);  // bottom
    work.FillRect(-ox, r - 1 - oy, b, st - 2 * r + 1, c.border);          // left
    work.FillRect(sw - b - ox, r - 1 - oy, b, st - 2 * r + 1, c.border);  // right
    DrawCorner(work, r - 1 - ox, r - 1 - oy, false, false, shape, c);
    DrawCorner(work, sw - r - ox, r - 1 - oy, true, false, shape, c);
    DrawCorner(work, r - 1 - ox, st - r - oy, false, true, shape, c);
    DrawCorner(work, sw - r - ox, st - r - oy, true, true, shape, c);
}

// The tile is the work image averaged down over kSuper x kSuper blocks. Outside the four
// corners every block is of one colour (the bands and the fill start on whole tile pixels),
// so those parts are filled directly and only the corners are supersampled.
void RenderStateTile(CDibImage& work, CDibImage& tile, std::int32_t w, std::int32_t t,
                     const ScreenScale& scale, const TileColours& c) {
    const std::int32_t border = scale(4), radius = scale(12);  // tile pixels
    const TileShape shape{kSuper * border, kSuper * radius};
    const std::int32_t corner = shape.radius;  // work pixels
    if (!tile.Create(32, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(t), 0)) {
        tile.Free();
        return;
    }
    tile.FillRect(border, border, w - 2 * border, t - 2 * border, c.fill);
    tile.FillRect(radius, 0, w - 2 * radius, border, c.border);
    tile.FillRect(radius, t - border, w - 2 * radius, border, c.border);
    tile.FillRect(0, radius, border, t - 2 * radius, c.border);
    tile.FillRect(w - border, radius, border, t - 2 * radius, c.border);
    const std::int32_t sw = kSuper * w, st = kSuper * t;
    const std::int32_t cornerX[4] = {0, sw - corner, 0, sw - corner};
    const std::int32_t cornerY[4] = {0, 0, st - corner, st - corner};
    CDibImage cornerImage;
    for (int k = 0; k < 4; ++k) {
        if (!work.Create(32, static_cast<std::uint32_t>(corner), static_cast<std::uint32_t>(corner),
                         0)) {
            continue;
        }
        DrawTileShape(work, cornerX[k], cornerY[k], sw, st, shape, c);
        if (cornerImage.Scale(work, static_cast<std::uint32_t>(corner / kSuper),
                              static_cast<std::uint32_t>(corner / kSuper),
                              CDibImage::kScaleSmooth)) {
            tile.Draw(cornerImage, cornerX[k] / kSuper, cornerY[k] / kSuper, 0);
        }
    }
}

// Text drawn with the soft pen onto a transparent image takes colour and alpha in equal
// measure, which leaves its edge pixels darkened by their alpha: laid over a light tile they
// would show a dark rim. Every pixel the pen touched takes the ink's own colour, so that its
// alpha alone softens the edge.
void KeepInkColour(CDibImage& layer, std::uint32_t ink) {
    for (std::uint32_t y = 0; y < layer.height; ++y) {
        std::uint8_t* p = layer.Row(y);
        for (std::uint32_t x = 0; x < layer.width; ++x, p += 4) {
            if (p[3] != 0) {
                p[0] = static_cast<std::uint8_t>(ink);
                p[1] = static_cast<std::uint8_t>(ink >> 8);
                p[2] = static_cast<std::uint8_t>(ink >> 16);
            }
        }
    }
}

// An answer's text, on one line or two, into its tile image. The text is drawn into a layer
// as wide as the text area (and a little more for the soft pen's reach) and as high as the
// tile, then laid into the tile, so that nothing of it can reach beyond the text area.
void DrawAnswerText(CDibImage& image, const FittedText& text, const std::uint8_t* font,
                    const AnswerRoom& room, std::int32_t tileHeight) {
    constexpr std::int32_t kPenReach = 2;
    CDibImage layer;
    const std::int32_t layerWidth = room.textWidth + 2 * kPenReach;
    if (font == nullptr || layerWidth <= 0 ||
        !layer.Create(32, static_cast<std::uint32_t>(layerWidth),
                      static_cast<std::uint32_t>(tileHeight), 0)) {
        return;
    }
    layer.alignH = 0;  // left
    layer.alignV = 1;  // middle
    layer.SetFont(font);
    layer.SetTextPen(nullptr, 0, true);
    layer.SetTextPen(CDibImage::PenSoft, kAnswerInk, false);
    const std::int32_t middle = tileHeight / 2;
    if (!text.wrapped) {
        layer.DrawText(kPenReach, middle, text.first.c_str());
    } else {
        const std::int32_t pitch = LinePitch(font, tileHeight);
        layer.DrawText(kPenReach, middle - pitch / 2, text.first.c_str());
        layer.DrawText(kPenReach, middle - pitch / 2 + pitch, text.second.c_str());
    }
    KeepInkColour(layer, kAnswerInk);
    image.DrawAlphaOver(layer, room.textX - kPenReach, 0);
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
    for (std::uint32_t d = 0; d < images_.DigitSources.size(); ++d) {
        CDibImage& digit = images_.DigitSources[d];
        if (!loaded || !digit.Create(24, glyphWidth, strip.height, 0xFF000000u)) {
            digit.Free();
            continue;
        }
        digit.DrawAlphaOver(strip, -static_cast<std::int32_t>(glyphWidth * d), 0);
    }
    ScaleScreenImages();
}

namespace {

// `source` grown by the screen's scale, smoothly; a copy at scale 1.
void ScaleByScreen(CDibImage& out, const CDibImage& source, const ScreenScale& scale) {
    if (scale.IsOne() || source.IsEmpty() || source.width == 0 || source.height == 0) {
        out.Assign(source);
        return;
    }
    out.Scale(source, static_cast<std::uint32_t>(scale(static_cast<std::int32_t>(source.width))),
              static_cast<std::uint32_t>(scale(static_cast<std::int32_t>(source.height))),
              CDibImage::kScaleSmooth);
}

}  // namespace

void CGameRenderer::UseStarImage(std::uint32_t size) {
    starSize_ = size;
    // Sizes 2 and 3 both use the small star; unknown sizes the large one.
    const std::size_t star = size == 1 ? 1 : (size == 2 || size == 3) ? 2 : 0;
    ScaleByScreen(images_.CurrentStar, images_.Stars[star], screen_.Scale);
}

void CGameRenderer::ScaleScreenImages() {
    UseStarImage(starSize_);
    for (std::size_t d = 0; d < images_.Digits.size(); ++d) {
        ScaleByScreen(images_.Digits[d], images_.DigitSources[d], screen_.Scale);
    }
}

bool CGameRenderer::AnswerPicture(std::size_t element, std::uint32_t width, std::uint32_t height,
                                  CDibImage& out) const {
    out.Free();
    if (element >= state_.Puzzle.ElementPictures.size() || width == 0 || height == 0) {
        return false;
    }
    const CDibImage& picture = state_.Puzzle.ElementPictures[element];
    if (picture.IsEmpty() || picture.width == 0 || picture.height == 0) {
        return false;
    }
    // Pictures of varying alpha keep it (a palette with transparent entries included); the
    // averaging then leaves transparent pixels out of the colour. Every other picture is
    // opaque, also a 32-bit one whose alpha bytes are all 0 (saved without alpha).
    if (picture.AlphaKind() == 2) {
        return out.Scale(picture, width, height,
                         CDibImage::kScaleSmooth | CDibImage::kScaleForce32);
    }
    CDibImage scaled;
    if (!scaled.Scale(picture, width, height, CDibImage::kScaleSmooth)) {
        return false;
    }
    if (scaled.bitsPerPixel == 24) {
        out.SwapPictureWith(scaled);
        return true;
    }
    return out.Create(24, width, height, NoFill) && out.Draw(scaled, 0, 0, 0);
}

void CGameRenderer::RenderElementImage(std::int32_t index, const AnswerRoom& room,
                                       const FittedTexts& texts) {
    const auto i = static_cast<std::size_t>(index);
    CDibImage& image = images_.ElementImages[i];
    const std::int32_t w = screen_.TileWidth, t = screen_.TileHeight;
    if (!image.Create(32, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(t), 0)) {
        image.Free();
        return;
    }
    if (room.pictureWidth > 0) {
        // The picture fills its column's height, or its width when it is wider than the
        // column; a lower picture sits in the middle of the column's height.
        // Laid out by the size the picture has in its file: one loaded reduced takes the
        // same room as a whole one.
        const CDibImage& source = state_.Puzzle.ElementPictures[i];
        const ImageSize stored = state_.Puzzle.PictureFullSize[i];
        const PictureSize size =
            stored.width != 0 && stored.height != 0
                ? FitPicture(stored.width, stored.height, room.pictureWidth, room.pictureHeight)
                : FitPicture(source.width, source.height, room.pictureWidth, room.pictureHeight);
        CDibImage picture;
        if (AnswerPicture(i, size.width, size.height, picture)) {
            const std::int32_t m = screen_.TileMargin();
            const std::int32_t y =
                m + (room.pictureHeight - static_cast<std::int32_t>(size.height)) / 2;
            if (picture.bitsPerPixel == 32) {
                image.DrawAlphaOver(picture, m, y);  // keeps its alpha on the clear image
            } else {
                image.Draw(picture, m, y, 0);
            }
        }
    }
    if (i < texts.texts.size()) {  // an element without a text gets none
        DrawAnswerText(image, texts.texts[i], texts.font, room, t);
    }
}

void CGameRenderer::RenderAllTiles() {
    for (CDibImage& tile : images_.StateTiles) {
        tile.Free();
    }
    RenderTiles();
}

void CGameRenderer::RenderTiles() {
    const std::int32_t w = screen_.TileWidth, t = screen_.TileHeight;
    images_.SpriteStates.fill(0);  // the tiles they were composed from are made anew
    if (w > 0 && t > 0) {
        // The state tiles depend on the tile size and the screen's scale alone; a new puzzle
        // of the same layout keeps them.
        CDibImage work;
        for (std::size_t state = 0; state < images_.StateTiles.size(); ++state) {
            CDibImage& tile = images_.StateTiles[state];
            if (tile.width != static_cast<std::uint32_t>(w) ||
                tile.height != static_cast<std::uint32_t>(t) ||
                !(images_.StateTileScale == screen_.Scale)) {
                RenderStateTile(work, tile, w, t, screen_.Scale, kTileColours[state]);
            }
        }
        images_.StateTileScale = screen_.Scale;

        const AnswerRoom room = AnswerRoomOf(screen_, state_.Puzzle);
        const FittedTexts texts = FitAnswerTexts(screen_, state_.Puzzle);
        // Each element's image, and on a 24-bit screen its sprite in the state it shows now,
        // depends on that element alone: on a 4K board of twelve photos with long texts they
        // are the bulk of a deal, which the audience waits for, so they are made on both
        // processors. Sprites of other states are still made when first drawn.
        const std::uint32_t count = static_cast<std::uint32_t>(std::max(state_.ElementCount(), 0));
        const bool sprites = host_.BackBuffer().bitsPerPixel == 24;
        RunRowsInTwo(count, std::uint64_t{count} * static_cast<std::uint64_t>(w) * t >= kSplitPixels,
                     [&](std::uint32_t first, std::uint32_t end) {
                         for (std::uint32_t i = first; i < end; ++i) {
                             RenderElementImage(static_cast<std::int32_t>(i), room, texts);
                             if (sprites) {
                                 images_.SpriteOf(i, std::min<std::uint8_t>(state_.ElementState[i], 3));
                             }
                         }
                     });
    }
    screen_.DirtyMask = kAllDirty;
    screen_.QuestionDirty = 1;
}

}  // namespace kelvandor
