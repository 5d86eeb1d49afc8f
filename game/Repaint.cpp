// The repaint step of the tick. Until the game screen is drawn, it keeps the state's own
// bookkeeping going: the panel colours last shown and the movement of the elements.

#include "game/KelvandorView.h"

namespace kelvandor {

void CKelvandorView::RepaintTick(std::uint32_t now) {
    LastPanelColour = PanelColour;
    AdvanceElementMotion(now);
}

}  // namespace kelvandor
