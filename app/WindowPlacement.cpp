#include "app/WindowPlacement.h"

#include <algorithm>

namespace kelvandor {
namespace {

constexpr int kMargin = 50;
constexpr int kDefaultInset = 100;

QPoint Centre(const QRect& rect) {
    return {rect.x() + std::max(rect.width(), 0) / 2, rect.y() + std::max(rect.height(), 0) / 2};
}

}  // namespace

SavedPlacement PlacementFromSaved(bool isZoomed, long long x, long long y, long long width,
                                  long long height, long long monitor) {
    const auto clamp = [](long long value, long long low, long long high) {
        return static_cast<int>(std::clamp(value, low, high));
    };
    constexpr long long kMax = kMaxPlacementCoordinate;
    SavedPlacement saved;
    saved.isZoomed = isZoomed;
    saved.rect = QRect(clamp(x, -kMax, kMax), clamp(y, -kMax, kMax), clamp(width, 0, kMax),
                       clamp(height, 0, kMax));
    saved.monitor = clamp(monitor, -1, 64);
    return saved;
}

int MonitorOf(const QRect& rect, const QList<QRect>& monitors) {
    const QPoint centre = Centre(rect);
    for (int i = 0; i < monitors.size(); ++i) {
        if (monitors[i].contains(centre)) {
            return i;
        }
    }
    return -1;
}

std::optional<QRect> RestoredRect(const SavedPlacement& saved, const QList<QRect>& monitors) {
    if (monitors.isEmpty()) {
        return std::nullopt;
    }
    const bool knownMonitor = saved.monitor >= 0 && saved.monitor < monitors.size();
    const QRect monitor = monitors[knownMonitor ? saved.monitor : 0];
    const QRect& r = saved.rect;
    const int right = monitor.x() + monitor.width();
    const int bottom = monitor.y() + monitor.height();
    const bool fits = r.width() >= kMargin && r.height() >= kMargin &&
                      r.x() + r.width() >= monitor.x() + kMargin &&
                      r.y() + r.height() >= monitor.y() + kMargin && r.x() + kMargin <= right &&
                      r.y() + kMargin <= bottom;
    if (!fits) {
        return std::nullopt;
    }
    QRect result = r;
    if (monitors.size() >= 2 && knownMonitor && MonitorOf(r, monitors) != saved.monitor) {
        result.moveCenter(monitor.center());
    }
    return result;
}

QRect FitToScreen(const QRect& rect, const QRect& available, const QMargins& frame) {
    if (available.isEmpty()) {
        return rect;
    }
    QRect fitted = rect.marginsAdded(frame);
    if (fitted.width() > available.width()) {
        fitted.setWidth(available.width());
        fitted.moveLeft(
            std::clamp(fitted.left(), available.left(), available.right() - fitted.width() + 1));
    }
    if (fitted.height() > available.height()) {
        fitted.setHeight(available.height());
        fitted.moveTop(
            std::clamp(fitted.top(), available.top(), available.bottom() - fitted.height() + 1));
    }
    return fitted == rect.marginsAdded(frame) ? rect : fitted.marginsRemoved(frame);
}

QRect DefaultRect(const QList<QRect>& monitors) {
    const QRect first = monitors.isEmpty() ? QRect(0, 0, 1024, 768) : monitors.front();
    QRect result(0, 0, std::max(first.width() - kDefaultInset, 320),
                 std::max(first.height() - kDefaultInset, 200));
    result.moveCenter(first.center());
    return result;
}

}  // namespace kelvandor
