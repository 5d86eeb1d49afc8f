#pragma once
// The status bar's indicators for caps lock ("UF"), num lock ("NUM") and scroll lock ("RF").
// Qt has no query for lock states, so they are learnt from key events: the X11 modifier
// state that comes with every key (caps lock and num lock), and the scroll-lock key itself.
// Until the first key arrives the indicators show "off".

#include <QObject>

class QLabel;
class QStatusBar;

namespace kelvandor {

class CLockKeyIndicators : public QObject {
    Q_OBJECT

public:
    // Adds the three panes to the right end of `statusBar` and watches the application's
    // key events. The object is owned by the status bar.
    explicit CLockKeyIndicators(QStatusBar* statusBar);

    bool CapsLock() const { return m_capsLock; }
    bool NumLock() const { return m_numLock; }
    bool ScrollLock() const { return m_scrollLock; }

    // Shows `text` in indicator `index` (0 caps, 1 num, 2 scroll lock) until the next key.
    void SetPaneText(int index, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show();

    QLabel* m_caps = nullptr;
    QLabel* m_num = nullptr;
    QLabel* m_scroll = nullptr;
    bool m_capsLock = false;
    bool m_numLock = false;
    bool m_scrollLock = false;
};

}  // namespace kelvandor
