// The drawing side of the view. Until the game screen is drawn, the repaint keeps the state's
// own bookkeeping going (the panel colours last shown and the movement of the elements) and
// there are no tiles to render.

#include "game/KelvandorView.h"

namespace kelvandor {

void CKelvandorView::RepaintTick(std::uint32_t now) {
    LastPanelColour = PanelColour;
    AdvanceElementMotion(now);
}

void CKelvandorView::RenderTiles() {}

}  // namespace kelvandor
