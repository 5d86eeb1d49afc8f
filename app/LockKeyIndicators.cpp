#include "app/LockKeyIndicators.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace kelvandor {
namespace {

// X11 modifier bits that carry the lock states.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumLockMask = 0x10;

QLabel* AddPane(QStatusBar* statusBar, const QString& text) {
    auto* label = new QLabel(text, statusBar);
    label->setTextFormat(Qt::PlainText);  // other programs may put texts here
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    // The pane keeps its width while its text is hidden.
    label->setMinimumWidth(label->sizeHint().width() + 8);
    statusBar->addPermanentWidget(label);
    return label;
}

}  // namespace

CLockKeyIndicators::CLockKeyIndicators(QStatusBar* statusBar) : QObject(statusBar) {
    m_caps = AddPane(statusBar, QStringLiteral("UF"));
    m_num = AddPane(statusBar, QStringLiteral("NUM"));
    m_scroll = AddPane(statusBar, QStringLiteral("RF"));
    qApp->installEventFilter(this);
    Show();
}

bool CLockKeyIndicators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        // A key press reaches the window once and then every widget it propagates to; the
        // window's copy counts.
        if (watched->isWindowType()) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (QGuiApplication::platformName() == QLatin1String("xcb")) {
                // The modifier state is the one before this key, so a lock key flips its own.
                const quint32 state = key->nativeModifiers();
                m_capsLock = (state & kX11LockMask) != 0;
                m_numLock = (state & kX11NumLockMask) != 0;
                if (key->key() == Qt::Key_CapsLock) {
                    m_capsLock = !m_capsLock;
                }
                if (key->key() == Qt::Key_NumLock) {
                    m_numLock = !m_numLock;
                }
            }
            if (key->key() == Qt::Key_ScrollLock) {
                m_scrollLock = !m_scrollLock;
            }
            Show();
        }
    }
    return QObject::eventFilter(watched, event);
}

void CLockKeyIndicators::SetPaneText(int index, const QString& text) {
    QLabel* const panes[] = {m_caps, m_num, m_scroll};
    if (index >= 0 && index < 3) {
        panes[index]->setText(text);
    }
}

void CLockKeyIndicators::Show() {
    // An indicator that is off shows an empty pane, as the lock-key panes always have.
    m_caps->setText(m_capsLock ? QStringLiteral("UF") : QString());
    m_num->setText(m_numLock ? QStringLiteral("NUM") : QString());
    m_scroll->setText(m_scrollLock ? QStringLiteral("RF") : QString());
}

}  // namespace kelvandor
