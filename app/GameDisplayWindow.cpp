#include "app/GameDisplayWindow.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "app/ImageConversion.h"

namespace kelvandor {

GameDisplayWindow::GameDisplayWindow(QWidget* owner) : QWidget(owner) {
    // Everything on screen comes from the back buffer: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    show();
}

GameDisplayWindow::~GameDisplayWindow() = default;

void GameDisplayWindow::SetBackgroundColour(std::uint32_t rgb) {
    m_background = rgb & 0xFFFFFF;
}

void GameDisplayWindow::Resize(int cx, int cy) {
    resize(std::max(cx, 0), std::max(cy, 0));
    if (cx < 1 || cy < 1) {
        m_backBuffer.Free();
        return;
    }
    if (!m_backBuffer.Create(24, static_cast<std::uint32_t>(cx), static_cast<std::uint32_t>(cy),
                             0xFF000000 | m_background)) {
        m_backBuffer.Free();
    }
    update();
}

void GameDisplayWindow::InvalidateArea(int x, int y, int w, int h, bool) {
    const QRect area = QRect(x, y, w, h).intersected(rect());
    if (!area.isEmpty()) {
        update(area);
    }
}

void GameDisplayWindow::RedrawNow() {
    repaint();
}

void GameDisplayWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect buffer(0, 0, static_cast<int>(m_backBuffer.width),
                       static_cast<int>(m_backBuffer.height));
    for (const QRect& area : event->region()) {
        const QRect shown = area.intersected(buffer);
        if (!shown.isEmpty()) {
            painter.drawImage(shown.topLeft(), ToQImage(m_backBuffer, shown));
        }
        // Whatever the back buffer does not cover shows the background colour.
        const QRegion rest = QRegion(area).subtracted(QRegion(shown));
        for (const QRect& uncovered : rest) {
            painter.fillRect(uncovered, QColor::fromRgb(m_background));
        }
    }
}

}  // namespace kelvandor
