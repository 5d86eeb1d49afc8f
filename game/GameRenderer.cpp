// The renderer's layout and the bookkeeping of what must be drawn again.

#include "game/GameRenderer.h"

namespace kelvandor {

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
    screen_.ShownMask = 0;
    const ScreenScale before = screen_.Scale;
    const bool changed = ComputeLayout();
    if (!(screen_.Scale == before)) {
        ScaleScreenImages();
    }
    if (changed) {
        RenderTiles();
    }
}

void CGameRenderer::StarGeometryChanged() {
    ForgetStarCells();
    screen_.BevelDirty = 1;
}

bool CGameRenderer::ComputeLayout() {
    const ScreenLayout l =
        ComputeScreenLayout(screen_.ViewWidth, screen_.ViewHeight, state_.ElementCount(),
                            state_.StarPanelWidth, state_.StarCellHeight);
    ScreenLayout& stored = screen_;
    const bool changed = l.TileWidth != stored.TileWidth || l.TileHeight != stored.TileHeight ||
                         l.AreaWidth != stored.AreaWidth || l.AreaHeight != stored.AreaHeight ||
                         !(l.Scale == stored.Scale);
    stored = l;
    return changed;
}

}  // namespace kelvandor
