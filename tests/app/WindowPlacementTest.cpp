#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

const QList<QRect> kOneMonitor = {QRect(0, 0, 1920, 1080)};
const QList<QRect> kTwoMonitors = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

TEST(WindowPlacementTest, SavedRectangleIsUsedWhileFiftyPixelsOfItAreOnItsMonitor) {
    EXPECT_EQ(RestoredRect({false, QRect(100, 80, 800, 600), 0}, kOneMonitor),
              QRect(100, 80, 800, 600));
    // Hanging off the left edge by all but 50 pixels still counts; by one more it does not.
    EXPECT_TRUE(RestoredRect({false, QRect(-750, 0, 800, 600), 0}, kOneMonitor));
    EXPECT_FALSE(RestoredRect({false, QRect(-751, 0, 800, 600), 0}, kOneMonitor));
    EXPECT_FALSE(RestoredRect({false, QRect(1871, 0, 800, 600), 0}, kOneMonitor));
    EXPECT_FALSE(RestoredRect({false, QRect(10, 10, 49, 600), 0}, kOneMonitor));
}

// Saved numbers near the integer limit once overflowed when the rectangle was made and
// checked; they are brought into range, and values in range are kept.
TEST(WindowPlacementTest, SavedNumbersOutOfRangeAreClampedBeforeUse) {
    const SavedPlacement wild =
        PlacementFromSaved(false, 2147483647LL, -9000000000LL, 2147483600LL, -5, 99999);
    EXPECT_EQ(wild.rect, QRect(1000000, -1000000, 1000000, 0));
    EXPECT_EQ(wild.monitor, 64);
    EXPECT_FALSE(RestoredRect(wild, kTwoMonitors));
    EXPECT_FALSE(RestoredRect(PlacementFromSaved(false, -2147483647LL, 0, 2147483647LL, 600, 0),
                              kOneMonitor));
    const SavedPlacement normal = PlacementFromSaved(true, 100, 80, 800, 600, 1);
    EXPECT_EQ(normal.rect, QRect(100, 80, 800, 600));
    EXPECT_EQ(normal.monitor, 1);
    EXPECT_TRUE(normal.isZoomed);
}

TEST(WindowPlacementTest, RectangleOfARemovedMonitorIsIgnored) {
    // Saved on the second monitor, which is gone: checked against the first, where it is off.
    EXPECT_FALSE(RestoredRect({false, QRect(2000, 100, 800, 600), 1}, kOneMonitor));
}

TEST(WindowPlacementTest, WindowThatFitsButLiesOnAnotherMonitorIsCentredOnItsOwn) {
    const auto rect = RestoredRect({false, QRect(1800, 100, 400, 300), 0}, kTwoMonitors);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->size(), QSize(400, 300));
    EXPECT_EQ(MonitorOf(*rect, kTwoMonitors), 0);
    EXPECT_EQ(rect->center(), kTwoMonitors[0].center());
}

TEST(WindowPlacementTest, SizeSavedOnALargerScreenIsFittedToTheSmallerOne) {
    const QRect available(0, 0, 1920, 1040);  // 1080 lines less a panel
    EXPECT_EQ(FitToScreen(QRect(0, 0, 3840, 2160), available), available);
    // Too tall only: the height is fitted and the window moved up; its left edge stays.
    EXPECT_EQ(FitToScreen(QRect(300, 500, 800, 1500), available), QRect(300, 0, 800, 1040));
    // Too wide for the second screen: the area's width, from the area's left edge.
    EXPECT_EQ(FitToScreen(QRect(2000, 20, 2500, 600), QRect(1920, 0, 1280, 1024)),
              QRect(1920, 20, 1280, 600));
    // With the window manager's frame, the frame is what must fit.
    EXPECT_EQ(FitToScreen(QRect(1, 20, 1920, 1080), QRect(0, 0, 1920, 1080), QMargins(1, 20, 1, 5)),
              QRect(1, 20, 1918, 1055));
    // What fits stays as it is, even when it hangs over an edge.
    EXPECT_EQ(FitToScreen(QRect(-100, 30, 800, 600), available), QRect(-100, 30, 800, 600));
}

TEST(WindowPlacementTest, DefaultIsTheFirstMonitorLessAHundredPixelsCentred) {
    EXPECT_EQ(DefaultRect(kTwoMonitors), QRect(50, 50, 1820, 980));
    EXPECT_EQ(MonitorOf(QRect(5000, 0, 10, 10), kTwoMonitors), -1);
}

}  // namespace
}  // namespace kelvandor
