// Board geometry and the movement bookkeeping of the repaint: where each element stands on
// screen in this tick, which elements are still moving, and what must be redrawn next.
// Nothing here draws; the renderer draws from the ElementRepaint it is given.

#include <algorithm>
#include <cstdlib>

#include "game/KelvandorView.h"

namespace kelvandor {

namespace {

constexpr std::int32_t kQuestionBandHeight = 42;  // band and its bevel rows
constexpr std::int32_t kBevelWidth = 6;
constexpr std::int32_t kColumnGap = 140;
constexpr std::int32_t kRowGap = 16;
// Speeds in pixels per 1024 ms: short vertical hops are slow enough to follow with the eye,
// everything else crosses the board quickly.
constexpr std::uint64_t kShortHopSpeed = 200;
constexpr std::uint64_t kCrossingSpeed = 1500;
constexpr std::uint32_t kAllElementBits = 0x000FFFFFu;  // bits 0..19

struct StarGeometry {
    std::uint32_t modulus;
    std::int32_t columns, panelWidth, cellHeight;
};

}  // namespace

void CKelvandorView::ApplyStarSize(std::uint32_t size) {
    static constexpr StarGeometry kGeometry[] = {
        {8, 1, 136, 136},  // large
        {8, 1, 102, 102},  // medium
        {8, 1, 68, 68},    // small
        {25, 2, 136, 68},  // two columns of small stars
    };
    const StarGeometry& g = kGeometry[size < 4 ? size : 0];
    StarModulus = g.modulus;
    StarColumns = g.columns;
    StarPanelWidth = g.panelWidth;
    StarCellHeight = g.cellHeight;
    // Sizes 2 and 3 both use the small star.
    const std::size_t star = size == 1 ? 1 : (size == 2 || size == 3) ? 2 : 0;
    Images.CurrentStar.Assign(Images.Stars[star]);
}

bool CKelvandorView::ComputeLayout() {
    const std::int32_t n = std::max(ElementCount(), 1);
    const std::int32_t p = StarPanelWidth;
    const std::int32_t areaWidth = std::max(ViewWidth - (2 * p + 2 * kBevelWidth), 0);
    const std::int32_t areaHeight = std::max(ViewHeight - kQuestionBandHeight, 0);
    const std::int32_t tileWidth = std::clamp((areaWidth - 172) / 2, 200, 999);
    const std::int32_t tileHeight = std::clamp((areaHeight - kRowGap) / n - kRowGap, 40, 256);
    BoardOriginX = p + 22;
    BoardOriginY = (areaHeight - (tileHeight + kRowGap) * n + kRowGap) / 2 + kQuestionBandHeight;
    if (tileWidth == TileWidth && tileHeight == TileHeight && areaWidth == AreaWidth &&
        areaHeight == AreaHeight) {
        return false;
    }
    AreaWidth = areaWidth;
    AreaHeight = areaHeight;
    TileWidth = tileWidth;
    TileHeight = tileHeight;
    ColumnStep = tileWidth + kColumnGap;
    RowStep = tileHeight + kRowGap;
    RenderTiles();
    return true;
}

ElementRepaint CKelvandorView::AdvanceElementMotion(std::uint32_t now) {
    ElementRepaint out;
    if (CountdownDigit != ShownCountdownDigit) {
        DirtyMask |= kFullRedrawBit;
    }
    if (DirtyMask == 0) {
        return out;
    }
    out.elementsDrawn = true;
    if ((DirtyMask & kFullRedrawBit) != 0) {
        DirtyMask |= kAllElementBits;
        out.fullRedraw = true;
        out.showSolutionTexts = PhaseCountdown == 1 && MovingCount == 0;
        out.countdownDigit = CountdownDigit;
        ShownCountdownDigit = CountdownDigit;
    }

    // Drawing order: index order, the selected element last so that it lies on top.
    std::int32_t selected = -1;
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (ElementState[i] == kStateSelected) {
            selected = i;
            break;
        }
    }
    std::array<std::int32_t, kMaxElements> order{};
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        if (i != selected && (DirtyMask & (1u << i)) != 0) {
            order[count++] = i;
        }
    }
    if (selected >= 0 && (DirtyMask & (1u << selected)) != 0) {
        order[count++] = selected;
    }

    std::uint32_t nextMask = 0;
    std::uint32_t moving = 0;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = order[k];
        const std::int32_t fromX = DrawnColumn[i] * ColumnStep;
        const std::int32_t fromY = DrawnSlot[i] * RowStep / 2;
        const std::int32_t toX = ElementColumn[i] * ColumnStep;
        const std::int32_t toY = ElementSlot[i] * RowStep / 2;
        ElementPlacement& place = out.elements[out.count++];
        place.index = i;
        place.targetX = toX;
        place.targetY = toY;
        place.x = toX;
        place.y = toY;
        if (fromX != toX || fromY != toY) {
            const std::int32_t dx = std::abs(toX - fromX);
            const std::int32_t dy = std::abs(toY - fromY);
            const auto distance = static_cast<std::uint64_t>(dx + dy);
            // 64 bits: an element that waited long to be drawn (a minimised window) must not
            // wrap around and jump back to the start of its path.
            const std::uint64_t dt = static_cast<std::uint32_t>(now - MoveStartTick[i]);
            const std::uint64_t speed =
                (dx == 0 && dy < 3 * TileHeight) ? kShortHopSpeed : kCrossingSpeed;
            const std::uint64_t travelled = (dt * speed) >> 10;
            if (travelled < distance) {
                const auto f = static_cast<std::int64_t>(travelled * 4096 / distance);
                const auto offsetX = static_cast<std::int32_t>((toX - fromX) * f / 4096);
                const auto offsetY = static_cast<std::int32_t>((toY - fromY) * f / 4096);
                place.x = fromX + offsetX;
                place.y = fromY + offsetY;
                ++moving;
                // While an element crosses between the columns the whole play area is
                // redrawn, since its path runs over the other tiles' frames.
                nextMask |= offsetX != 0 ? kAllDirty : (1u << i);
                continue;
            }
        }
        DrawnColumn[i] = ElementColumn[i];
        DrawnSlot[i] = ElementSlot[i];
    }

    if (moving == 0 && MovingCount != 0 && PhaseCountdown != 0) {
        nextMask |= kFullRedrawBit;  // the last frame of the solution shows its texts
    }
    MovingCount = moving;
    DirtyMask = nextMask;
    return out;
}

}  // namespace kelvandor
