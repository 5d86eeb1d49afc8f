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

#include "game/BoardText.h"
#include "game/GameRenderer.h"

namespace kelvandor {

// Where one element is drawn in this tick, relative to the board origin.
struct ElementPlacement {
    std::int32_t index = 0;
    BoardOffset at{0, 0};      // drawn position (moving or at rest)
    BoardOffset target{0, 0};  // its place on the board
    bool dirty = false;        // drawn in this tick whatever else happens
};

// What the repaint of one tick draws of the play area, in drawing order.
struct CGameRenderer::ElementRepaint {
    bool elementsDrawn = false;        // false: DirtyMask was 0, the play area is left alone
    bool fullRedraw = false;           // clear and invalidate the whole play area
    bool showSolutionTexts = false;    // full redraw of a finished round with nothing moving
    std::uint32_t countdownDigit = 0;  // 1..10 = draw digit image countdownDigit - 1
    std::int32_t count = 0;
    std::array<ElementPlacement, kMaxElements> elements{};  // every element, selected last
};

namespace {

// Indexed by the panel colour code; code 2 is never set by the game.
constexpr std::uint32_t kPanelColours[5] = {0x000000, 0xBCBC00, 0xFF0000, 0x630000, 0x000063};
// The bevel from its outer to its inner side, one entry per pixel of a 1080p screen: light,
// then darker towards the board. Both side bevels and the line under the question band use
// this order; a larger screen widens each line in proportion.
constexpr std::uint32_t kBevelColours[6] = {0xDEDEDE, 0xBCBCBC, 0x858585,
                                            0x858585, 0x585858, 0x2C2C2C};
constexpr std::uint32_t kQuestionInk = 0x00FF00;
constexpr std::uint32_t kSolutionInk = 0xFFC0C0FFu;
constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::int32_t kCountdownTop = 52;
// Cleared around a tile in a partial redraw (1080p length): a little more than the tile, so
// that nothing of its edge is left behind, but no more than half the gap to its neighbours.
constexpr std::int32_t kFrameMargin = 8;
constexpr std::uint32_t kAllElementBits = 0x000FFFFFu;  // bits 0..19

std::uint32_t PanelColourValue(std::uint8_t code) {
    return code < std::size(kPanelColours) ? kPanelColours[code] : 0;
}

// The colour of pixel k (0 outermost) of a bevel `width` pixels wide.
std::uint32_t BevelColour(std::int32_t k, std::int32_t width) {
    const auto index = static_cast<std::size_t>(k) * std::size(kBevelColours) /
                       static_cast<std::size_t>(std::max(width, 1));
    return kBevelColours[std::min(index, std::size(kBevelColours) - 1)];
}

}  // namespace

// The star cells of one player's panel, bottom up, C cells a row. A cell is drawn when its
// star changed or the panel took another colour; the cache remembers what each cell shows.
void CGameRenderer::RepaintStarPanel(CDibImage& back, std::size_t player) {
    const GameState& s = state_;
    const ScreenLayout& l = screen_;
    const std::int32_t columns = std::max(s.StarColumns, 1);
    const std::int32_t cellWidth = l.PanelWidth / columns;
    const std::int32_t cellHeight = l.StarCellHeight;
    const std::int32_t baseX = player == 0 ? 0 : l.ViewWidth - l.PanelWidth;
    const bool colourChanged = s.PanelColour[player] != screen_.LastPanelColour[player];
    const std::uint32_t colour = PanelColourValue(s.PanelColour[player]);
    const CDibImage& star = images_.CurrentStar;
    auto& cache = screen_.StarCellCache[player];
    const auto cells = std::min<std::size_t>(16 * static_cast<std::size_t>(columns), cache.size());

    std::int32_t x = baseX;
    std::int32_t y = l.ViewHeight - cellHeight;
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

void DrawVerticalBevel(CDibImage& back, std::int32_t x, std::int32_t width, std::int32_t height) {
    for (std::int32_t i = 0; i < width; ++i) {
        back.FillRect(x + i, 0, 1, height, BevelColour(i, width));
    }
}

void DrawHorizontalBevel(CDibImage& back, std::int32_t x, std::int32_t y, std::int32_t length,
                         std::int32_t width) {
    for (std::int32_t i = 0; i < width; ++i) {
        back.FillRect(x, y + i, length, 1, BevelColour(i, width));
    }
}

}  // namespace

void CGameRenderer::RepaintBevels(CDibImage& back) {
    const ScreenLayout& l = screen_;
    const std::int32_t p = l.PanelWidth, b = l.BevelWidth;
    const std::int32_t w = l.ViewWidth, h = l.ViewHeight;
    DrawVerticalBevel(back, p, b, h);
    DrawVerticalBevel(back, w - p - b, b, h);
    host_.InvalidateArea(p, 0, b, h);
    host_.InvalidateArea(w - p - b, 0, b, h);
}

// The question, centred over the band in the largest of three fonts that fits; a question
// too wide for all of them goes onto two lines of the smallest, and is cut short when even
// those cannot hold it.
void CGameRenderer::RepaintQuestionBand(CDibImage& back) {
    const ScreenLayout& l = screen_;
    const std::int32_t left = l.AreaLeft();
    const std::int32_t fullWidth = l.ViewWidth - 2 * left;
    // A window narrower than both panels leaves no band; a negative width would make the fills
    // reach back over the left panel.
    const std::int32_t bandWidth = std::max(fullWidth, 0);
    back.FillRect(left, 0, bandWidth, l.BandHeight, 0x000000);

    if (bandWidth > 0) {
        const QuestionLines lines = FitQuestion(l, state_.Puzzle.QuestionText);
        const FittedText& text = lines.fit.texts[0];
        back.alignH = 1;  // centre
        back.alignV = 0;  // top
        back.SetFont(lines.fit.font);
        back.SetTextPen(nullptr, 0, true);
        back.SetTextPen(CDibImage::PenSoft, kQuestionInk, false);
        const std::int32_t centre = fullWidth / 2 + left;
        back.DrawText(centre, lines.top[0], text.first.c_str());
        if (text.wrapped) {
            back.DrawText(centre, lines.top[1], text.second.c_str());
        }
    }
    // After the text: the soft pen reaches a pixel beyond the glyphs, which must not stay on
    // the bevel.
    DrawHorizontalBevel(back, left, l.BandHeight, bandWidth, l.BevelWidth);
    host_.InvalidateArea(left, 0, bandWidth, l.PlayAreaTop);
}

// After a round, the solution text of each element beside its tile.
void CGameRenderer::DrawSolutionTexts(CDibImage& back) {
    const ScreenLayout& l = screen_;
    const FittedTexts fit = FitSolutionTexts(l, state_.Puzzle);
    const SolutionRoom room = SolutionRoomOf(l);
    back.alignH = 0;  // left
    back.alignV = 1;  // middle
    back.SetFont(fit.font);
    back.SetTextPen(nullptr, 0, true);
    back.SetTextPen(CDibImage::PenSoft, kSolutionInk, false);
    const std::int32_t pitch = LinePitch(fit.font, l.RowStep);
    for (std::int32_t i = 0; i < state_.ElementCount(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (index >= fit.texts.size()) {
            break;
        }
        const FittedText& text = fit.texts[index];
        const std::int32_t y =
            l.BoardOriginY + state_.ElementSlot[index] * l.RowStep / 2 + l.RowStep / 2;
        if (!text.wrapped) {
            back.DrawText(room.x, y, text.first.c_str());
        } else {
            back.DrawText(room.x, y - pitch / 2, text.first.c_str());
            back.DrawText(room.x, y - pitch / 2 + pitch, text.second.c_str());
        }
    }
}

namespace {


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
    images.SpriteOf(i, state).DrawOn(back, x, y);
}

struct Rect {
    std::int32_t x, y, w, h;
    bool Overlaps(const Rect& o) const {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
};

}  // namespace

// Clears the play area of a 24-bit back buffer to black, except for the rows of tiles that
// will be drawn over it and cover their whole width anyway: at 4K the play area is some
// 20 MB, and the tiles' inner rows are a fifth of it.
void CGameRenderer::ClearPlayArea(CDibImage& back, const ElementRepaint& r) {
    const ScreenLayout& l = screen_;
    const std::int32_t left = l.AreaLeft();
    const std::int64_t x0 = std::max(left, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{left} + l.AreaWidth, back.width);
    const std::int64_t y0 = l.PlayAreaTop;
    const std::int64_t y1 =
        std::min<std::int64_t>(std::int64_t{l.PlayAreaTop} + l.AreaHeight, back.height);
    struct Cover {
        std::int64_t x, y;
        const CTileSprite* sprite;
    };
    std::array<Cover, kMaxElements> covers{};
    std::size_t count = 0;
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        covers[count++] = {
            std::int64_t{l.BoardOriginX} + e.at.x, std::int64_t{l.BoardOriginY} + e.at.y,
            &images_.SpriteOf(static_cast<std::size_t>(e.index), StateOf(state_, e))};
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
        if (i != selected) {
            order[count++] = i;
        }
    }
    if (selected >= 0) {
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
        place.target = target;
        place.at = target;
        place.dirty = (dirty & (1u << i)) != 0;
        if (place.dirty && motion.Moving(i)) {
            const BoardMotion::Step& step = motion.steps[static_cast<std::size_t>(i)];
            place.at = step.at;
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

// The whole play area: cleared, the solution texts and the countdown digit when they show,
// then every element.
void CGameRenderer::RedrawPlayArea(CDibImage& back, const ElementRepaint& r) {
    const ScreenLayout& l = screen_;
    if (back.bitsPerPixel == 24) {
        ClearPlayArea(back, r);
    } else {
        back.FillRect(l.AreaLeft(), l.PlayAreaTop, l.AreaWidth, l.AreaHeight, kBlack);
    }
    host_.InvalidateArea(l.AreaLeft(), l.PlayAreaTop, l.AreaWidth, l.AreaHeight);
    if (r.showSolutionTexts) {
        DrawSolutionTexts(back);
    }
    // Drawn before the tiles: a tile that reaches up to it lies on top.
    if (r.countdownDigit > 0 && r.countdownDigit <= images_.Digits.size()) {
        const CDibImage& digit = images_.Digits[r.countdownDigit - 1];
        back.Draw(digit, (l.ViewWidth - static_cast<std::int32_t>(digit.width)) / 2,
                  l.Scale(kCountdownTop), 0);
    }
    screen_.ShownMask = 0;
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        const auto i = static_cast<std::size_t>(e.index);
        DrawElement(images_, back, i, StateOf(state_, e), l.BoardOriginX + e.at.x,
                    l.BoardOriginY + e.at.y);
        screen_.ShownAt[i] = e.at;
        screen_.ShownMask |= 1u << e.index;
    }
}

// The dirty elements only. Each one's frame is cleared where it stood until now and at its
// place on the board; it is drawn where it stands in this tick, and so is every element at
// rest that a cleared frame cut into, in drawing order, so that the board looks as a full
// redraw would draw it. The cleared frames and the tiles drawn are named to the host.
void CGameRenderer::RedrawElementFrames(CDibImage& back, const ElementRepaint& r) {
    const ScreenLayout& l = screen_;
    const std::int32_t ox = l.BoardOriginX, oy = l.BoardOriginY;
    const std::int32_t margin = std::min(l.Scale(kFrameMargin), (l.RowStep - l.TileHeight) / 2);
    const auto frameAt = [&](BoardOffset p) {
        return Rect{ox + p.x - margin, oy + p.y - margin, l.TileWidth + 2 * margin + 1,
                    l.TileHeight + 2 * margin + 1};
    };
    std::array<Rect, 3 * kMaxElements> named{};
    std::size_t namedCount = 0;
    std::array<Rect, 2 * kMaxElements> cleared{};
    std::size_t clearedCount = 0;
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        if (!e.dirty) {
            continue;
        }
        const auto i = static_cast<std::size_t>(e.index);
        if ((screen_.ShownMask >> i & 1u) != 0 && !(screen_.ShownAt[i] == e.target)) {
            cleared[clearedCount++] = frameAt(screen_.ShownAt[i]);
            named[namedCount++] = cleared[clearedCount - 1];
        }
        if (!(e.at == e.target)) {
            named[namedCount++] = frameAt(e.at);
        }
        cleared[clearedCount++] = frameAt(e.target);
        named[namedCount++] = cleared[clearedCount - 1];
    }
    for (std::size_t c = 0; c < clearedCount; ++c) {
        const Rect& f = cleared[c];
        back.FillRect(f.x, f.y, f.w, f.h, kBlack);
    }
    for (std::int32_t k = 0; k < r.count; ++k) {
        const ElementPlacement& e = r.elements[static_cast<std::size_t>(k)];
        const auto i = static_cast<std::size_t>(e.index);
        const Rect tile{ox + e.at.x, oy + e.at.y, l.TileWidth, l.TileHeight};
        const bool cut = std::any_of(cleared.begin(), cleared.begin() + clearedCount,
                                     [&](const Rect& f) { return f.Overlaps(tile); });
        if (!e.dirty && !cut) {
            continue;
        }
        DrawElement(images_, back, i, StateOf(state_, e), tile.x, tile.y);
        screen_.ShownAt[i] = e.at;
        screen_.ShownMask |= 1u << e.index;
    }
    for (std::size_t c = 0; c < namedCount; ++c) {
        host_.InvalidateArea(named[c].x, named[c].y, named[c].w, named[c].h);
    }
}

void CGameRenderer::RepaintElements(CDibImage& back, const BoardMotion& motion) {
    const ElementRepaint r = PlanElements(motion);
    if (!r.elementsDrawn) {
        return;
    }
    if (r.fullRedraw) {
        RedrawPlayArea(back, r);
    } else {
        RedrawElementFrames(back, r);
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
