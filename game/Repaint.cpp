// The repaint step of the tick: brings the back buffer up to date with the game state and
// names every changed area to the host, so that the display refreshes only those. Each part
// of the screen is drawn only when it changed: a star cell when its star or the panel colour
// changed, the bevels after a resize, the question band when the question changed, and the
// board's elements by DirtyMask, at the places the tick's motion step left them.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "game/GameRenderer.h"
#include "image/GlyphFonts.h"

namespace kelvandor {

// Where one element is drawn in this tick, relative to the board origin.
struct ElementPlacement {
    std::int32_t index = 0;
    std::int32_t x = 0, y = 0;              // drawn position (moving or at rest)
    std::int32_t targetX = 0, targetY = 0;  // its place on the board
};

// What the repaint of one tick draws of the play area, in drawing order.
struct CGameRenderer::ElementRepaint {
    bool elementsDrawn = false;        // false: DirtyMask was 0, the play area is left alone
    bool fullRedraw = false;           // clear and invalidate the whole play area
    bool showSolutionTexts = false;    // full redraw of a finished round with nothing moving
    std::uint32_t countdownDigit = 0;  // 1..10 = draw digit image countdownDigit - 1
    std::int32_t count = 0;
    std::array<ElementPlacement, kMaxElements> elements{};  // dirty elements, selected last
};

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
constexpr std::uint32_t kAllElementBits = 0x000FFFFFu;  // bits 0..19

std::uint32_t PanelColourValue(std::uint8_t code) {
    return code < std::size(kPanelColours) ? kPanelColours[code] : 0;
}

}  // namespace

// The star cells of one player's panel, bottom up, C cells a row. A cell is drawn when its
// star changed or the panel took another colour; the cache remembers what each cell shows.
void CGameRenderer::RepaintStarPanel(CDibImage& back, std::size_t player) {
    const GameState& s = state_;
    const std::int32_t columns = std::max(s.StarColumns, 1);
    const std::int32_t cellWidth = s.StarPanelWidth / columns;
    const std::int32_t cellHeight = s.StarCellHeight;
    const std::int32_t baseX = player == 0 ? 0 : screen_.ViewWidth - s.StarPanelWidth;
    const bool colourChanged = s.PanelColour[player] != screen_.LastPanelColour[player];
    const std::uint32_t colour = PanelColourValue(s.PanelColour[player]);
    const CDibImage& star = images_.CurrentStar;
    auto& cache = screen_.StarCellCache[player];
    const auto cells = std::min<std::size_t>(16 * static_cast<std::size_t>(columns), cache.size());

    std::int32_t x = baseX;
    std::int32_t y = screen_.ViewHeight - cellHeight;
    for (std::size_t k = 0; k < cells; ++k) {
        const std::uint8_t shows = k < s.Stars[player] ? 1 : 0;
        if (cache[k] != shows || colourChanged) {
            cache[k] = shows;
            back.FillRect(x, y, cellWidth, cellHeight, colour);
            if (shows != 0) {
                back.DrawAlphaOver(star,
                                   x + (cellWidth - static_cast<std::int32_t>(star.width)) / 2,
                                   y + (cellHeight - static_cast<std::int32_t>(star.height)) / 2);
            }
            host_.InvalidateArea(x, y, cellWidth, cellHeight);
        }
        if ((k + 1) % static_cast<std::size_t>(columns) == 0) {
            x = baseX;
            y -= cellHeight;
        } else {
            x += cellWidth;
        }
    }
}

namespace {

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

}  // namespace

void CGameRenderer::RepaintBevels(CDibImage& back) {
    const std::int32_t p = state_.StarPanelWidth;
    const std::int32_t w = screen_.ViewWidth, h = screen_.ViewHeight;
    DrawVerticalBevel(back, p, h);
    DrawVerticalBevel(back, w - p - kBevelWidth, h);
    host_.InvalidateArea(p, 0, kBevelWidth, h);
    host_.InvalidateArea(w - p - kBevelWidth, 0, kBevelWidth, h);
}

// The question, centred over the band in the largest of three fonts that fits; a question
// too wide for all of them is drawn in the smallest, centred all the same.
void CGameRenderer::RepaintQuestionBand(CDibImage& back) {
    const std::int32_t left = state_.StarPanelWidth + kBevelWidth;
    const std::int32_t fullWidth = screen_.ViewWidth - 2 * left;
    // A window narrower than both panels leaves no band; a negative width would make the fills
    // reach back over the left panel.
    const std::int32_t bandWidth = std::max(fullWidth, 0);
    back.FillRect(left, 0, bandWidth, kQuestionBandHeight, 0x000000);
    DrawHorizontalBevel(back, left, kQuestionBandHeight, bandWidth);

    const char* text = state_.Puzzle.QuestionText.c_str();
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
    host_.InvalidateArea(left, 0, bandWidth, kPlayAreaTop);
}

// After a round, the solution text of each element beside its tile.
void CGameRenderer::DrawSolutionTexts(CDibImage& back) {
    back.alignH = 0;  // left
    back.alignV = 1;  // middle
    back.SetFont(FontLarge());
    back.SetTextPen(nullptr, 0, true);
    back.SetTextPen(CDibImage::PenSoft, kSolutionInk, false);
    const StringList& texts = state_.Puzzle.SolutionTexts;
    const ScreenLayout& l = screen_;
    const std::int32_t x = l.BoardOriginX + l.TileWidth + 16;
    for (std::int32_t i = 0; i < state_.ElementCount(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (index >= texts.Count()) {
            break;
        }
        const std::int32_t y =
            l.BoardOriginY + state_.ElementSlot[index] * l.RowStep / 2 + l.RowStep / 2;
        back.DrawText(x, y, texts.Text(index).c_str());
    }
}

namespace {

// Element i's state tile with its image over it, composed again only when the element
// changed its state since it was last drawn.
const CTileSprite& SpriteOf(ScreenImages& images, std::size_t i, std::uint8_t state) {
    if (images.SpriteStates[i] != state + 1) {
        images.Sprites[i].Compose(images.StateTiles[state], images.ElementImages[i]);
        images.SpriteStates[i] = static_cast<std::uint8_t>(state + 1);
    }
    return images.Sprites[i];
}

std::uint8_t StateOf(const GameState& s, const ElementPlacement& e) {
    return std::min<std::uint8_t>(s.ElementState[static_cast<std::size_t>(e.index)], 3);
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

}  // namespace

// Clears the play area of a 24-bit back buffer to black, except for the rows of tiles that
// will be drawn over it and cover their whole width anyway: at 4K the play area is some
// 20 MB, and the tiles' inner rows are a fifth of it.
void CGameRenderer::ClearPlayArea(CDibImage& back, const ElementRepaint& r, std::int32_t left) {
    const ScreenLayout& l = screen_;
    const std::int64_t x0 = std::max(left, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{left} + l.AreaWidth, back.width);
    const std::int64_t y0 = kPlayAreaTop;
    const std::int64_t y1 =
        std::min<std::int64_t>(std::int64_t{kPlayAreaTop} + l.AreaHeight, back.height);
    struct Cover {
        std::int64_t x, y;
        const CTileSprite* sprite;
    };
    std::array<Cover, kMaxElements> covers{};
    std::size_t count = 0;
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        covers[count++] = {
            std::int64_t{l.BoardOriginX} + e.x, std::int64_t{l.BoardOriginY} + e.y,
            &SpriteOf(images_, static_cast<std::size_t>(e.index), StateOf(state_, e))};
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

// Which of the board's elements this tick draws and where, in drawing order, and what must
// be drawn again next tick: elements still on their way keep their bit (the whole play area
// while one crosses between the columns), and the tick in which the last move of a finished
// round ends asks for the full redraw that shows the solution texts.
CGameRenderer::ElementRepaint CGameRenderer::PlanElements(const BoardMotion& motion) {
    ElementRepaint out;
    std::uint32_t& dirty = screen_.DirtyMask;
    if (state_.CountdownDigit != screen_.ShownCountdownDigit) {
        dirty |= kFullRedrawBit;
    }
    if (dirty == 0) {
        return out;
    }
    out.elementsDrawn = true;
    if ((dirty & kFullRedrawBit) != 0) {
        dirty |= kAllElementBits;
        out.fullRedraw = true;
        out.showSolutionTexts = state_.PhaseCountdown == 1 && motion.movingBefore == 0;
        out.countdownDigit = state_.CountdownDigit;
        screen_.ShownCountdownDigit = state_.CountdownDigit;
    }

    // Drawing order: index order, the selected element last so that it lies on top.
    const std::int32_t n = state_.ElementCount();
    std::int32_t selected = -1;
    for (std::int32_t i = 0; i < n; ++i) {
        if (state_.ElementState[i] == kStateSelected) {
            selected = i;
            break;
        }
    }
    std::array<std::int32_t, kMaxElements> order{};
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        if (i != selected && (dirty & (1u << i)) != 0) {
            order[count++] = i;
        }
    }
    if (selected >= 0 && (dirty & (1u << selected)) != 0) {
        order[count++] = selected;
    }

    std::uint32_t nextMask = 0;
    std::uint32_t moving = 0;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = order[k];
        const BoardOffset target =
            OffsetOf(state_.ElementColumn[i], state_.ElementSlot[i], screen_);
        ElementPlacement& place = out.elements[out.count++];
        place.index = i;
        place.targetX = target.x;
        place.targetY = target.y;
        place.x = target.x;
        place.y = target.y;
        if (motion.Moving(i)) {
            const BoardMotion::Step& step = motion.steps[static_cast<std::size_t>(i)];
            place.x = step.at.x;
            place.y = step.at.y;
            ++moving;
            // A crossing path runs over the other tiles' frames.
            nextMask |= step.crossing ? kAllDirty : (1u << i);
        }
    }
    if (moving == 0 && motion.movingBefore != 0 && state_.PhaseCountdown != 0) {
        nextMask |= kFullRedrawBit;  // the last frame of the solution shows its texts
    }
    dirty = nextMask;
    return out;
}

void CGameRenderer::RepaintElements(CDibImage& back, const BoardMotion& motion) {
    const ElementRepaint r = PlanElements(motion);
    if (!r.elementsDrawn) {
        return;
    }
    const ScreenLayout& l = screen_;
    const std::int32_t ox = l.BoardOriginX, oy = l.BoardOriginY;
    if (r.fullRedraw) {
        const std::int32_t areaX = state_.StarPanelWidth + kBevelWidth;
        if (back.bitsPerPixel == 24) {
            ClearPlayArea(back, r, areaX);
        } else {
            back.FillRect(areaX, kPlayAreaTop, l.AreaWidth, l.AreaHeight, kBlack);
        }
        host_.InvalidateArea(areaX, kPlayAreaTop, l.AreaWidth, l.AreaHeight);
        if (r.showSolutionTexts) {
            DrawSolutionTexts(back);
        }
        // Drawn before the tiles: a tile that reaches up to it lies on top.
        if (r.countdownDigit > 0 && r.countdownDigit <= images_.Digits.size()) {
            const CDibImage& digit = images_.Digits[r.countdownDigit - 1];
            back.Draw(digit, (l.ViewWidth - static_cast<std::int32_t>(digit.width)) / 2,
                      kCountdownTop, 0);
        }
    } else {
        for (std::int32_t k = 0; k < r.count; ++k) {
            const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
            back.FillRect(ox + e.targetX - kFrameMargin, oy + e.targetY - kFrameMargin,
                          l.TileWidth + 2 * kFrameMargin + 1, l.TileHeight + 2 * kFrameMargin + 1,
                          kBlack);
        }
    }
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        DrawElement(images_, back, static_cast<std::size_t>(e.index), StateOf(state_, e), ox + e.x,
                    oy + e.y);
        if (!r.fullRedraw) {
            host_.InvalidateArea(ox + e.targetX - kFrameMargin, oy + e.targetY - kFrameMargin,
                                 l.TileWidth + 2 * kFrameMargin + 1,
                                 l.TileHeight + 2 * kFrameMargin + 1);
        }
    }
}

void CGameRenderer::RepaintTick(const BoardMotion& motion) {
    CDibImage& back = host_.BackBuffer();
    RepaintStarPanel(back, 0);
    RepaintStarPanel(back, 1);
    if (screen_.BevelDirty != 0) {
        screen_.BevelDirty = 0;
        RepaintBevels(back);
    }
    screen_.LastPanelColour = state_.PanelColour;
    if (screen_.QuestionDirty != 0) {
        screen_.QuestionDirty = 0;
        RepaintQuestionBand(back);
    }
    RepaintElements(back, motion);
}

}  // namespace kelvandor
