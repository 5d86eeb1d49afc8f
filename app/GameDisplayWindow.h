#pragma once
// The window that shows the game view's back buffer. The game draws into the back buffer
// and names the rectangles it changed; the window repaints only those.

#include <cstdint>

#include <QImage>
#include <QWidget>

#include "image/DibImage.h"

class QPainter;

namespace kelvandor {

class GameDisplayWindow : public QWidget {
    Q_OBJECT

public:
    // A visible child of `owner` over an empty rectangle; the back buffer is empty until the
    // first Resize.
    explicit GameDisplayWindow(QWidget* owner);
    ~GameDisplayWindow() override;

    // The colour (0xRRGGBB) shown where the window is larger than its back buffer and that a
    // new back buffer is filled with.
    void SetBackgroundColour(std::uint32_t rgb);

    // Resizes the window to cx × cy pixels without moving it; the back buffer becomes a
    // 24-bit image of that size filled with the background colour. Sizes below 1 give an
    // empty back buffer.
    void Resize(int cx, int cy);

    // The back buffer, owned by this window. Its size changes only through Resize.
    CDibImage& BackBuffer() { return m_backBuffer; }

    // Marks the back-buffer pixels (x, y, w, h) for repainting; the window shows them at the
    // next paint. Areas outside the window are clipped. `erase` is accepted for callers that
    // pass it; the back buffer covers the whole area, so nothing needs erasing.
    void InvalidateArea(int x, int y, int w, int h, bool erase = true);

    // Repaints the whole window at once.
    void RedrawNow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows the back-buffer pixels `shown` (inside the back buffer): straight into `window`,
    // the painter's backing image at `offset`, within `allowed` (its pixels), when there is
    // one; otherwise through m_frame and the painter.
    void ShowBackBuffer(QPainter& painter, const QRect& shown, QImage* window, QPoint offset,
                        const QRegion& allowed);

    CDibImage m_backBuffer;
    // A 32-bit copy of the back buffer, up to date where it was last shown; used only where
    // the window's own pixels cannot be written.
    QImage m_frame;
    std::uint32_t m_background = 0;
};

}  // namespace kelvandor
