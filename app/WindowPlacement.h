#pragma once
// Where the main window goes at start: the placement saved at the last exit when it still
// lies on a monitor, else a default. Plain geometry, so that it can be tested without screens.

#include <optional>

#include <QList>
#include <QMargins>
#include <QRect>

namespace kelvandor {

// What the last run saved in the frame's settings.
struct SavedPlacement {
    bool isZoomed = false;  // maximised (or full-screen) at exit
    QRect rect;             // position and size when last not maximised
    int monitor = 0;        // the monitor it was on
};

// The largest position or size a saved placement may have: far beyond any desktop, and far
// enough from the integer limit that no sum of them overflows.
constexpr long long kMaxPlacementCoordinate = 1'000'000;

// What was saved, brought into range: positions within +-kMaxPlacementCoordinate, sizes
// within 0 to kMaxPlacementCoordinate, the monitor within -1 to 64. Values in range stay.
SavedPlacement PlacementFromSaved(bool isZoomed, long long x, long long y, long long width,
                                  long long height, long long monitor);

// The monitor whose rectangle contains the centre of `rect`, or -1. An empty size adds
// nothing to the centre point.
int MonitorOf(const QRect& rect, const QList<QRect>& monitors);

// The saved rectangle if it still fits its monitor (that monitor when its number is below
// the count, else the first): at least 50 × 50 pixels and at least 50 pixels of it inside the
// monitor's edges. With two or more monitors, a rectangle that fits but now lies on another
// monitor than the saved one is centred on the saved one, keeping its size. nullopt when it
// does not fit.
std::optional<QRect> RestoredRect(const SavedPlacement& saved, const QList<QRect>& monitors);

// The window rectangle `rect` made to fit `available` (the usable area of the screen it goes
// to), together with the window manager's `frame` around it: a width or height larger than
// the area's becomes the area's, and the window then moves as far as it must to lie inside
// it. A rectangle that fits keeps its place and size. A window saved on a large screen so
// opens whole on a smaller one.
QRect FitToScreen(const QRect& rect, const QRect& available, const QMargins& frame = {});

// The first run's rectangle: the first monitor less 100 pixels each way, centred on it.
QRect DefaultRect(const QList<QRect>& monitors);

}  // namespace kelvandor
