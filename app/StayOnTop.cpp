#include "app/StayOnTop.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace kelvandor {

void SetStaysOnTop(QWidget& window, bool on) {
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* const native = window.windowHandle();
    if (native == nullptr) {
        // No native window yet: the flag goes with it when it is made.
        window.setWindowFlags(flags);
        return;
    }
    const bool wasActive = window.isActiveWindow();
    const QPointer<QWidget> focus = window.focusWidget();
    // The widget learns the flags without passing them on (which would re-create the native
    // window); the native window gets them directly, and its platform changes the state of
    // the window it has.
    window.overrideWindowFlags(flags);
    native->setFlags(flags);
    if (window.windowHandle() != native || !window.isVisible()) {
        window.show();
    }
    if (wasActive && !window.isActiveWindow()) {
        window.activateWindow();
    }
    if (focus != nullptr && QApplication::focusWidget() != focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace kelvandor
