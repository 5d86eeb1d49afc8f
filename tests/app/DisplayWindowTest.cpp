#include "app/GameDisplayWindow.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QScreen>
#include <QTest>

#include "app/ImageConversion.h"
#include "app/Windows1252.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

// Records the regions of the paint events a widget receives.
class PaintRecorder : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }
    std::vector<QRegion> regions;
};

TEST(ImageConversionTest, RowsComeOutTopDownInTheirColours) {
    CDibImage image;
    ASSERT_TRUE(image.Create(24, 4, 3, 0));
    image.SetPixel(0, 0, 0xFF0000);  // top left
    image.SetPixel(3, 2, 0x0000FF);  // bottom right
    const QImage whole = ToQImage(image);
    ASSERT_EQ(whole.size(), QSize(4, 3));
    EXPECT_EQ(whole.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(whole.pixel(3, 2), qRgb(0, 0, 255));
    EXPECT_EQ(whole.pixel(1, 1), qRgb(0, 0, 0));

    const QImage corner = ToQImage(image, QRect(2, 1, 10, 10));  // clipped to 2 x 2
    ASSERT_EQ(corner.size(), QSize(2, 2));
    EXPECT_EQ(corner.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_TRUE(ToQImage(image, QRect(10, 10, 2, 2)).isNull());
    EXPECT_TRUE(ToQImage(CDibImage()).isNull());
}

TEST(ImageConversionTest, PaletteAndAlphaImagesKeepTheirColours) {
    CDibImage indexed;
    ASSERT_TRUE(indexed.Create(8, 2, 1, 0));
    indexed.SetPaletteRgb(7, 0xC0, 0xC0, 0xC0);
    indexed.SetPixel(1, 0, 7);
    EXPECT_EQ(ToQImage(indexed).pixel(1, 0) & 0xFFFFFF, 0xC0C0C0u);

    CDibImage translucent;
    ASSERT_TRUE(translucent.Create(32, 2, 1, 0));
    translucent.SetPixel(0, 0, 0x80102030);
    const QImage converted = ToQImage(translucent);
    EXPECT_EQ(converted.format(), QImage::Format_ARGB32);
    EXPECT_EQ(converted.pixel(0, 0), 0x80102030u);
    EXPECT_EQ(qAlpha(converted.pixel(1, 0)), 0);
}

TEST(GameDisplayWindowTest, BackBufferFollowsTheSizeAndStartsInTheBackgroundColour) {
    GameDisplayWindow window(nullptr);
    window.SetBackgroundColour(0x123456);
    window.Resize(40, 30);
    EXPECT_EQ(window.size(), QSize(40, 30));
    ASSERT_EQ(window.BackBuffer().width, 40u);
    ASSERT_EQ(window.BackBuffer().height, 30u);
    EXPECT_EQ(window.BackBuffer().getPixel(window.BackBuffer().Row(29), 39) & 0xFFFFFF, 0x123456u);
    window.Resize(0, 30);
    EXPECT_TRUE(window.BackBuffer().IsEmpty());
}

TEST(GameDisplayWindowTest, RepaintsOnlyTheInvalidatedAreaAndShowsTheBackBuffer) {
    GameDisplayWindow window(nullptr);
    window.Resize(100, 80);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    test::ProcessEventsFor(50);
    PaintRecorder recorder;
    window.installEventFilter(&recorder);

    window.BackBuffer().FillRect(10, 20, 5, 5, 0xFF00FF00);
    window.InvalidateArea(10, 20, 5, 5);
    window.InvalidateArea(95, 75, 50, 50);  // reaches past the edge: clipped
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return !recorder.regions.empty(); }));
    EXPECT_EQ(recorder.regions.front(), QRegion(10, 20, 5, 5) + QRegion(95, 75, 5, 5));
    EXPECT_EQ(window.grab().toImage().pixel(12, 22), qRgb(0, 255, 0));
}

// What the window shows is written straight into the window system's pixels: the screen's
// own copy of the window (not a grab, which paints anew) must hold the back buffer, after a
// partial repaint too, and the part the back buffer does not cover the background colour.
TEST(GameDisplayWindowTest, TheScreenShowsTheBackBufferAfterPartialRepaints) {
    QWidget top;
    top.resize(140, 110);
    GameDisplayWindow window(&top);
    window.SetBackgroundColour(0x0000FF);
    window.Resize(100, 80);
    window.move(7, 5);
    window.BackBuffer().FillRect(0, 0, 100, 80, 0xFF204060);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    test::ProcessEventsFor(50);
    window.BackBuffer().FillRect(30, 40, 8, 6, 0xFFFF8000);
    window.InvalidateArea(30, 40, 8, 6);
    window.resize(110, 80);  // ten columns beyond the back buffer
    test::ProcessEventsFor(50);
    const QImage screen = top.screen()->grabWindow(top.winId()).toImage();
    ASSERT_FALSE(screen.isNull());
    EXPECT_EQ(screen.pixel(7 + 0, 5 + 0), qRgb(0x20, 0x40, 0x60));
    EXPECT_EQ(screen.pixel(7 + 31, 5 + 41), qRgb(0xFF, 0x80, 0x00));
    EXPECT_EQ(screen.pixel(7 + 37, 5 + 45), qRgb(0xFF, 0x80, 0x00));
    EXPECT_EQ(screen.pixel(7 + 38, 5 + 45), qRgb(0x20, 0x40, 0x60));
    EXPECT_EQ(screen.pixel(7 + 99, 5 + 79), qRgb(0x20, 0x40, 0x60));
    EXPECT_EQ(screen.pixel(7 + 105, 5 + 10), qRgb(0, 0, 0xFF));
}

TEST(ImageConversionTest, CopyIntoImagePlacesTheClippedAreaAndRefusesWhatDoesNotFit) {
    CDibImage image;
    ASSERT_TRUE(image.Create(24, 4, 3, 0));
    image.SetPixel(0, 0, 0x102030);
    image.SetPixel(3, 2, 0x405060);
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    // The area reaches past the image on the left: its clipped part lands where it would.
    ASSERT_TRUE(CopyIntoImage(image, QRect(-2, 0, 6, 3), target, QPoint(3, 4)));
    EXPECT_EQ(target.pixel(5, 4), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(target.pixel(8, 6), qRgb(0x40, 0x50, 0x60));
    EXPECT_EQ(target.pixel(4, 4), qRgb(255, 255, 255));  // left of the image: untouched
    EXPECT_EQ(target.pixel(9, 6), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(target.pixel(6, 5)), 255);

    QImage premultiplied(4, 3, QImage::Format_ARGB32_Premultiplied);
    EXPECT_TRUE(CopyIntoImage(image, QRect(0, 0, 4, 3), premultiplied, QPoint(0, 0)));
    EXPECT_EQ(premultiplied.pixel(3, 2), qRgb(0x40, 0x50, 0x60));
    QImage narrow(3, 3, QImage::Format_RGB32);
    EXPECT_FALSE(CopyIntoImage(image, QRect(0, 0, 4, 3), narrow, QPoint(0, 0)));
    QImage packed(4, 3, QImage::Format_RGB888);
    EXPECT_FALSE(CopyIntoImage(image, QRect(0, 0, 4, 3), packed, QPoint(0, 0)));
    EXPECT_FALSE(CopyIntoImage(image, QRect(5, 5, 2, 2), target, QPoint(0, 0)));
}

TEST(Windows1252Test, GermanTextsAndTheHighControlsRoundTrip) {
    const std::string bytes = "R\xE4tsel \x80 \x84Gro\xDF\x93";
    const QString text = FromWindows1252(bytes);
    EXPECT_EQ(text, QStringLiteral("Rätsel € „Groß“"));
    EXPECT_EQ(ToWindows1252(text), bytes);
    EXPECT_EQ(ToWindows1252(QStringLiteral("COM\u4E00")), "COM?");
}

}  // namespace
}  // namespace kelvandor
