#pragma once
// The stay-on-top switch of a top-level window. Changing a visible widget's window flags the
// usual way re-creates its native window, which drops the keyboard focus: the quiz master's
// F-keys and arrows would do nothing until a click into the window. Here the window
// system's own "above" state is changed on the existing window instead (on X11 the window
// manager's _NET_WM_STATE_ABOVE), without moving, resizing or activating it.

class QWidget;

namespace kelvandor {

// Puts `window` (a top-level widget) into the band of windows that stay on top, or takes it
// out. The native window is kept; should the platform have to make a new one all the same,
// an active window is activated again and its focus widget gets the focus back.
void SetStaysOnTop(QWidget& window, bool on);

}  // namespace kelvandor
