// The repaint step of the tick: brings the back buffer up to date with the game state and
// names every changed area to the host, so that the display refreshes only those. Each part
// of the screen is drawn only when it changed: a star cell when its star or the panel colour
// changed, the bevels after a resize, the question band when the question changed, and the
// board's elements by DirtyMask (the movement bookkeeping decides which and where).

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "game/KelvandorView.h"
#include "image/GlyphFonts.h"

namespace kelvandor {

namespace {

// Indexed by the panel colour code; code 2 is never set by the game.
constexpr std::uint32_t kPanelColours[5] = {0x000000, 0xBCBC00, 0xFF0000, 0x630000, 0x000063};
// The bevel from its outer to its inner side: light, then darker towards the board. Both
// side bevels and the line under the question band use this order.
constexpr std::uint32_t kBevelColours[6] = {0xDEDEDE, 0xBCBCBC, 0x858585,
                                            0x858585, 0x585858, 0x2C2C2C};
constexpr std::int32_t kBevelWidth = 6;
constexpr std::int32_t kQuestionBandHeight = 36;  // the bevel rows 36..41 follow
constexpr std::int32_t kPlayAreaTop = kQuestionBandHeight + kBevelWidth;
constexpr std::uint32_t kQuestionInk = 0x00FF00;
constexpr std::int32_t kQuestionMargin = 8;
constexpr std::uint32_t kSolutionInk = 0xFFC0C0FFu;
constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::int32_t kCountdownTop = 52;
// Cleared around a tile in a partial redraw; a little more than the tile so that nothing of
// a neighbouring hop is left behind.
constexpr std::int32_t kFrameMargin = 8;

std::uint32_t PanelColourValue(std::uint8_t code) {
    return code < std::size(kPanelColours) ? kPanelColours[code] : 0;
}

// The star cells of one player's panel, bottom up, C cells a row. A cell is drawn when its
// star changed or the panel took another colour; the cache remembers what each cell shows.
void RepaintStarPanel(CKelvandorView& v, IViewHost& host, CDibImage& back, std::size_t player) {
    const std::int32_t columns = std::max(v.StarColumns, 1);
    const std::int32_t cellWidth = v.StarPanelWidth / columns;
    const std::int32_t cellHeight = v.StarCellHeight;
    const std::int32_t baseX = player == 0 ? 0 : v.ViewWidth - v.StarPanelWidth;
    const bool colourChanged = v.PanelColour[player] != v.LastPanelColour[player];
    const std::uint32_t colour = PanelColourValue(v.PanelColour[player]);
    const CDibImage& star = v.Images.CurrentStar;
    auto& cache = v.StarCellCache[player];
    const auto cells = std::min<std::size_t>(16 * static_cast<std::size_t>(columns), cache.size());

    std::int32_t x = baseX;
    std::int32_t y = v.ViewHeight - cellHeight;
    for (std::size_t k = 0; k < cells; ++k) {
        const std::uint8_t shows = k < v.Stars[player] ? 1 : 0;
        if (cache[k] != shows || colourChanged) {
            cache[k] = shows;
            back.FillRect(x, y, cellWidth, cellHeight, colour);
            if (shows != 0) {
                back.DrawAlphaOver(star,
                                   x + (cellWidth - static_cast<std::int32_t>(star.width)) / 2,
                                   y + (cellHeight - static_cast<std::int32_t>(star.height)) / 2);
            }
            host.InvalidateArea(x, y, cellWidth, cellHeight);
        }
        if ((k + 1) % static_cast<std::size_t>(columns) == 0) {
            x = baseX;
            y -= cellHeight;
        } else {
            x += cellWidth;
        }
    }
}

void DrawVerticalBevel(CDibImage& back, std::int32_t x, std::int32_t height) {
    for (std::int32_t i = 0; i < kBevelWidth; ++i) {
        back.FillRect(x + i, 0, 1, height, kBevelColours[i]);
    }
}

void DrawHorizontalBevel(CDibImage& back, std::int32_t x, std::int32_t y, std::int32_t width) {
    for (std::int32_t i = 0; i < kBevelWidth; ++i) {
        back.FillRect(x, y + i, width, 1, kBevelColours[i]);
    }
}

// The question, centred over the band in the largest of three fonts that fits; a question
// too wide for all of them is drawn in the smallest, centred all the same.
void RepaintQuestionBand(CKelvandorView& v, IViewHost& host, CDibImage& back) {
    const std::int32_t left = v.StarPanelWidth + kBevelWidth;
    const std::int32_t fullWidth = v.ViewWidth - 2 * left;
    // A window narrower than both panels leaves no band; a negative width would make the fills
    // reach back over the left panel.
    const std::int32_t bandWidth = std::max(fullWidth, 0);
    back.FillRect(left, 0, bandWidth, kQuestionBandHeight, 0x000000);
    DrawHorizontalBevel(back, left, kQuestionBandHeight, bandWidth);

    const char* text = v.Puzzle.QuestionText.c_str();
    back.alignH = 1;  // centre
    back.alignV = 0;  // top
    back.SetTextPen(nullptr, 0, true);
    back.SetTextPen(CDibImage::PenSoft, kQuestionInk, false);
    struct Choice {
        const std::uint8_t* font;
        std::int32_t y;
    };
    const Choice choices[] = {{FontMedium(), 1}, {FontSmall(), 5}, {FontTiny(), 11}};
    const Choice* chosen = &choices[std::size(choices) - 1];
    for (const Choice& c : choices) {
        back.SetFont(c.font);
        if (back.DrawText(0, CDibImage::MeasureOnly, text) <= fullWidth - kQuestionMargin) {
            chosen = &c;
            break;
        }
    }
    back.SetFont(chosen->font);
    back.DrawText(fullWidth / 2 + left, chosen->y, text);
    host.InvalidateArea(left, 0, bandWidth, kPlayAreaTop);
}

// After a round, the solution text of each element beside its tile.
void DrawSolutionTexts(CKelvandorView& v, CDibImage& back) {
    back.alignH = 0;  // left
    back.alignV = 1;  // middle
    back.SetFont(FontLarge());
    back.SetTextPen(nullptr, 0, true);
    back.SetTextPen(CDibImage::PenSoft, kSolutionInk, false);
    const StringList& texts = v.Puzzle.SolutionTexts;
    const std::int32_t x = v.BoardOriginX + v.TileWidth + 16;
    for (std::int32_t i = 0; i < v.ElementCount(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (index >= texts.Count()) {
            break;
        }
        const std::int32_t y =
            v.BoardOriginY + v.ElementSlot[index] * v.RowStep / 2 + v.RowStep / 2;
        back.DrawText(x, y, texts.Text(index).c_str());
    }
}

// Element i's state tile with its image over it, composed again only when the element
// changed its state since it was last drawn.
const CTileSprite& SpriteOf(ScreenImages& images, std::size_t i, std::uint8_t state) {
    if (images.SpriteStates[i] != state + 1) {
        images.Sprites[i].Compose(images.StateTiles[state], images.ElementImages[i]);
        images.SpriteStates[i] = static_cast<std::uint8_t>(state + 1);
    }
    return images.Sprites[i];
}

std::uint8_t StateOf(const CKelvandorView& v, const ElementPlacement& e) {
    return std::min<std::uint8_t>(v.ElementState[static_cast<std::size_t>(e.index)], 3);
}

// The state tile, then the element's image over it. On the 24-bit back buffer that is the
// element's sprite.
void DrawElement(ScreenImages& images, CDibImage& back, std::size_t i, std::uint8_t state,
                 std::int32_t x, std::int32_t y) {
    if (back.bitsPerPixel != 24) {
        back.DrawAlphaOver(images.StateTiles[state], x, y);
        back.DrawAlphaOver(images.ElementImages[i], x, y);
        return;
    }
    SpriteOf(images, i, state).DrawOn(back, x, y);
}

// Clears the play area of a 24-bit back buffer to black, except for the rows of tiles that
// will be drawn over it and cover their whole width anyway: at 4K the play area is some
// 20 MB, and the tiles' inner rows are a fifth of it.
void ClearPlayArea(CKelvandorView& v, CDibImage& back, const ElementRepaint& r, std::int32_t left) {
    const std::int64_t x0 = std::max(left, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{left} + v.AreaWidth, back.width);
    const std::int64_t y0 = kPlayAreaTop;
    const std::int64_t y1 =
        std::min<std::int64_t>(std::int64_t{kPlayAreaTop} + v.AreaHeight, back.height);
    struct Cover {
        std::int64_t x, y;
        const CTileSprite* sprite;
    };
    std::array<Cover, kMaxElements> covers{};
    std::size_t count = 0;
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        covers[count++] = {std::int64_t{v.BoardOriginX} + e.x, std::int64_t{v.BoardOriginY} + e.y,
                           &SpriteOf(v.Images, static_cast<std::size_t>(e.index), StateOf(v, e))};
    }
    std::array<std::pair<std::int64_t, std::int64_t>, kMaxElements> spans{};
    for (std::int64_t y = y0; y < y1; ++y) {
        std::size_t n = 0;
        for (std::size_t c = 0; c < count; ++c) {
            const std::int64_t row = y - covers[c].y;
            if (row >= 0 && covers[c].sprite->RowOpaque(static_cast<std::uint32_t>(row))) {
                spans[n++] = {covers[c].x, covers[c].x + covers[c].sprite->Width()};
            }
        }
        std::sort(spans.begin(), spans.begin() + static_cast<std::ptrdiff_t>(n));
        std::uint8_t* line = back.Row(static_cast<std::uint32_t>(y));
        std::int64_t from = x0;
        for (std::size_t s = 0; s <= n && from < x1; ++s) {
            const std::int64_t to = s < n ? std::min(spans[s].first, x1) : x1;
            if (to > from) {
                std::memset(line + 3 * from, 0, static_cast<std::size_t>(3 * (to - from)));
            }
            if (s < n) {
                from = std::max(from, spans[s].second);
            }
        }
    }
}

void RepaintElements(CKelvandorView& v, IViewHost& host, CDibImage& back, std::uint32_t now) {
    const ElementRepaint r = v.AdvanceElementMotion(now);
    if (!r.elementsDrawn) {
        return;
    }
    const std::int32_t ox = v.BoardOriginX, oy = v.BoardOriginY;
    if (r.fullRedraw) {
        const std::int32_t areaX = v.StarPanelWidth + kBevelWidth;
        if (back.bitsPerPixel == 24) {
            ClearPlayArea(v, back, r, areaX);
        } else {
            back.FillRect(areaX, kPlayAreaTop, v.AreaWidth, v.AreaHeight, kBlack);
        }
        host.InvalidateArea(areaX, kPlayAreaTop, v.AreaWidth, v.AreaHeight);
        if (r.showSolutionTexts) {
            DrawSolutionTexts(v, back);
        }
        // Drawn before the tiles: a tile that reaches up to it lies on top.
        if (r.countdownDigit > 0 && r.countdownDigit <= v.Images.Digits.size()) {
            const CDibImage& digit = v.Images.Digits[r.countdownDigit - 1];
            back.Draw(digit, (v.ViewWidth - static_cast<std::int32_t>(digit.width)) / 2,
                      kCountdownTop, 0);
        }
    } else {
        for (std::int32_t k = 0; k < r.count; ++k) {
            const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
            back.FillRect(ox + e.targetX - kFrameMargin, oy + e.targetY - kFrameMargin,
                          v.TileWidth + 2 * kFrameMargin + 1, v.TileHeight + 2 * kFrameMargin + 1,
                          kBlack);
        }
    }
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        DrawElement(v.Images, back, static_cast<std::size_t>(e.index), StateOf(v, e), ox + e.x,
                    oy + e.y);
        if (!r.fullRedraw) {
            host.InvalidateArea(ox + e.targetX - kFrameMargin, oy + e.targetY - kFrameMargin,
                                v.TileWidth + 2 * kFrameMargin + 1,
                                v.TileHeight + 2 * kFrameMargin + 1);
        }
    }
}

}  // namespace

void CKelvandorView::RepaintTick(std::uint32_t now) {
    CDibImage& back = host_.BackBuffer();
    RepaintStarPanel(*this, host_, back, 0);
    RepaintStarPanel(*this, host_, back, 1);
    if (BevelDirty != 0) {
        BevelDirty = 0;
        DrawVerticalBevel(back, StarPanelWidth, ViewHeight);
        DrawVerticalBevel(back, ViewWidth - StarPanelWidth - kBevelWidth, ViewHeight);
        host_.InvalidateArea(StarPanelWidth, 0, kBevelWidth, ViewHeight);
        host_.InvalidateArea(ViewWidth - StarPanelWidth - kBevelWidth, 0, kBevelWidth, ViewHeight);
    }
    LastPanelColour = PanelColour;
    if (QuestionDirty != 0) {
        QuestionDirty = 0;
        RepaintQuestionBand(*this, host_, back);
    }
    RepaintElements(*this, host_, back, now);
}

}  // namespace kelvandor
