#include "app/GameDisplayWindow.h"

#include <QPaintEngine>
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

namespace {

// The image a painter on a widget really draws into, when the window's pixels can be written
// straight: the raster engine's backing store at one device pixel per pixel, reached by a
// whole-pixel shift, 32 bits per pixel, and not shared with anyone. Null otherwise (a scaled
// screen, a grab into a pixmap, another engine); then the window draws through the painter.
QImage* WritableBackingImage(QPainter& painter, QPoint& offset) {
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster) {
        return nullptr;
    }
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) {
        return nullptr;
    }
    auto* image = static_cast<QImage*>(device);
    const QTransform transform = painter.deviceTransform();
    if (image->devicePixelRatio() != 1.0 || transform.type() > QTransform::TxTranslate ||
        transform.dx() != static_cast<int>(transform.dx()) ||
        transform.dy() != static_cast<int>(transform.dy()) || !image->isDetached()) {
        return nullptr;
    }
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return nullptr;
    }
    offset = QPoint(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
    return image;
}

}  // namespace

void GameDisplayWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect buffer(0, 0, static_cast<int>(m_backBuffer.width),
                       static_cast<int>(m_backBuffer.height));
    QPoint offset;
    QImage* window = WritableBackingImage(painter, offset);
    // What the window system lets this paint touch, in the backing image's pixels.
    QRegion allowed;
    if (window != nullptr) {
        // An empty system clip limits nothing.
        const QRegion system = painter.paintEngine()->systemClip();
        allowed = system.isEmpty() ? QRegion(window->rect()) : system.intersected(window->rect());
    }
    for (const QRect& area : event->region()) {
        const QRect shown = area.intersected(buffer);
        if (!shown.isEmpty()) {
            ShowBackBuffer(painter, shown, window, offset, allowed);
        }
        // Whatever the back buffer does not cover shows the background colour.
        const QRegion rest = QRegion(area).subtracted(QRegion(shown));
        for (const QRect& uncovered : rest) {
            painter.fillRect(uncovered, QColor::fromRgb(m_background));
        }
    }
}

void GameDisplayWindow::ShowBackBuffer(QPainter& painter, const QRect& shown, QImage* window,
                                       QPoint offset, const QRegion& allowed) {
    // The back buffer's rows go straight into the window's pixels, widened on the way: one
    // pass, where drawing a 24-bit image through the painter converts every row twice.
    if (window != nullptr) {
        const QRegion part = allowed.intersected(shown.translated(offset));
        for (const QRect& device : part) {
            CopyIntoImage(m_backBuffer, device.translated(-offset), *window, device.topLeft());
        }
        return;
    }
    // Elsewhere a kept 32-bit copy is brought up to date where it is shown and drawn from
    // there, which the painter does without converting.
    const QSize size(static_cast<int>(m_backBuffer.width), static_cast<int>(m_backBuffer.height));
    if (m_frame.size() != size) {
        m_frame = QImage(size, QImage::Format_RGB32);
    }
    if (!m_frame.isNull() && CopyIntoImage(m_backBuffer, shown, m_frame, shown.topLeft())) {
        painter.drawImage(shown.topLeft(), m_frame, shown);
    }
}

}  // namespace kelvandor
