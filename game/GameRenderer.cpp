// The renderer's layout and the bookkeeping of what must be drawn again.

#include "game/GameRenderer.h"

#include <algorithm>

namespace kelvandor {

namespace {

constexpr std::int32_t kQuestionBandHeight = 42;  // band and its bevel rows
constexpr std::int32_t kBevelWidth = 6;
constexpr std::int32_t kColumnGap = 140;
constexpr std::int32_t kRowGap = 16;

}  // namespace

CGameRenderer::CGameRenderer(IViewHost& host, const GameState& state) : host_(host), state_(state) {
    ForgetStarCells();
}

void CGameRenderer::ForgetStarCells() {
    for (auto& cache : screen_.StarCellCache) {
        cache.fill(0xFF);
    }
}

void CGameRenderer::Resize(std::int32_t cx, std::int32_t cy) {
    ForgetStarCells();
    host_.ResizeDisplay(cx, cy);
    host_.BackBuffer().FillRect(0, 0, cx, cy, 0);
    screen_.ViewWidth = cx;
    screen_.ViewHeight = cy;
    screen_.BevelDirty = 1;
    // The buffer was cleared, so everything on it must be drawn again, also when the layout
    // stays the same (a window restored at its old size).
    screen_.DirtyMask = kAllDirty;
    screen_.QuestionDirty = 1;
    if (ComputeLayout()) {
        RenderTiles();
    }
}

void CGameRenderer::StarGeometryChanged() {
    ForgetStarCells();
    screen_.BevelDirty = 1;
}

bool CGameRenderer::ComputeLayout() {
    ScreenLayout& l = screen_;
    const std::int32_t n = std::max(state_.ElementCount(), 1);
    const std::int32_t p = state_.StarPanelWidth;
    const std::int32_t areaWidth = std::max(l.ViewWidth - (2 * p + 2 * kBevelWidth), 0);
    const std::int32_t areaHeight = std::max(l.ViewHeight - kQuestionBandHeight, 0);
    const std::int32_t tileWidth = std::clamp((areaWidth - 172) / 2, 200, 999);
    const std::int32_t tileHeight = std::clamp((areaHeight - kRowGap) / n - kRowGap, 40, 256);
    l.BoardOriginX = p + 22;
    l.BoardOriginY = (areaHeight - (tileHeight + kRowGap) * n + kRowGap) / 2 + kQuestionBandHeight;
    if (tileWidth == l.TileWidth && tileHeight == l.TileHeight && areaWidth == l.AreaWidth &&
        areaHeight == l.AreaHeight) {
        return false;
    }
    l.AreaWidth = areaWidth;
    l.AreaHeight = areaHeight;
    l.TileWidth = tileWidth;
    l.TileHeight = tileHeight;
    l.ColumnStep = tileWidth + kColumnGap;
    l.RowStep = tileHeight + kRowGap;
    return true;
}

}  // namespace kelvandor
