// Showing a frame: the back buffer's play area put into the window's pixels (a Format_RGB32
// image, which is what the raster backing store of an X11 window of depth 24 is), at 1080p
// and 4K.
//
//   OneCopy      the window's way: each row widened straight into the window's pixels
//   KeptImage    its fallback: widened into a kept RGB32 image, then drawn by QPainter
//   Converted    the way before: a 24-bit QImage copy of the area, converted by drawImage
//   Qt_RGB32     the peer: a QPainter design that composes onto an RGB32 image and draws it
//
// Frame: a whole tick during a column crossing (the play area drawn again) and shown, the
// cost the audience's machine pays 20 times a second, with the way before and the way now.
//
// Qt converts large images on its thread pool, so every run is timed as process CPU time
// (all threads) and wall time.
//
//   build/bench/present_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/ImageConversion.h"
#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "settings/SettingsStore.h"
#include "tests/support/TwelveAnswers.h"

namespace kelvandor {
namespace {

// A view with a dealt 12-answer board whose selected answer is on its way between the
// columns, halfway: every tick draws the whole play area again. The clock stands still, so
// every tick draws the same frame.
struct Crossing {
    CHeadlessViewHost host;
    CMemorySettingsStore settings;
    CKelvandorView view{host, settings, PictureLoader()};

    Crossing(int width, int height) {
        settings.WriteText("PicPath", "unused");
        view.OnCreate();
        view.OnSize(width, height);
        std::vector<ArrangedElement> board = test::TwelveAnswers();
        board[5].column = 0;
        board[5].fromColumn = 1;
        view.ArrangeBoard(board, 0);
        host.Advance(100);
        Tick();
        host.TakeInvalidated();
    }
    void Tick() { view.AdvanceAndDraw(host.TickCount()); }
    QRect PlayArea() const {
        const ScreenState& s = view.Screen();
        return QRect(s.AreaLeft(), s.PlayAreaTop, s.AreaWidth, s.AreaHeight);
    }
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "present_bench: %s\n", what);
    std::exit(1);
}

enum class Way { OneCopy, KeptImage, Converted };

// Puts `area` of the back buffer into the window image the given way.
void Present(Way way, const CDibImage& back, QRect area, QImage& window, QImage& kept) {
    switch (way) {
        case Way::OneCopy:
            CopyIntoImage(back, area, window, area.topLeft());
            break;
        case Way::KeptImage: {
            CopyIntoImage(back, area, kept, area.topLeft());
            QPainter painter(&window);
            painter.drawImage(area.topLeft(), kept, area);
            break;
        }
        case Way::Converted: {
            QPainter painter(&window);
            painter.drawImage(area.topLeft(), ToQImage(back, area));
            break;
        }
    }
}

// Every way must show exactly the back buffer's pixels.
void CheckShown(const CDibImage& back, QRect area, const QImage& window) {
    for (int y = area.top(); y <= area.bottom(); y += 37) {
        for (int x = area.left(); x <= area.right(); x += 13) {
            const std::uint32_t expected =
                back.getPixel(back.Row(static_cast<std::uint32_t>(y)), static_cast<std::uint32_t>(x));
            if ((window.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF)) {
                Fail("the window does not show the back buffer");
            }
        }
    }
}

void BM_Present(benchmark::State& state, Way way) {
    Crossing crossing(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const CDibImage& back = crossing.host.BackBuffer();
    const QRect area = crossing.PlayArea();
    QImage window(static_cast<int>(back.width), static_cast<int>(back.height),
                  QImage::Format_RGB32);
    window.fill(Qt::white);
    QImage kept(window.size(), QImage::Format_RGB32);
    Present(way, back, area, window, kept);
    CheckShown(back, area, window);
    for (auto _ : state) {
        Present(way, back, area, window, kept);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * area.width() *
                            area.height() * 4);
}
BENCHMARK_CAPTURE(BM_Present, OneCopy, Way::OneCopy)
    ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_Present, KeptImage, Way::KeptImage)
    ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_Present, Converted, Way::Converted)
    ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

// The peer: the frame is composed on an RGB32 image, which QPainter shows without converting.
void BM_Qt_RGB32_Present(benchmark::State& state) {
    Crossing crossing(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const CDibImage& back = crossing.host.BackBuffer();
    const QRect area = crossing.PlayArea();
    QImage frame(static_cast<int>(back.width), static_cast<int>(back.height),
                 QImage::Format_RGB32);
    CopyIntoImage(back, QRect(0, 0, frame.width(), frame.height()), frame, QPoint(0, 0));
    QImage window(frame.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&window);
        painter.drawImage(area.topLeft(), frame, area);
        painter.end();
        benchmark::ClobberMemory();
    }
    CheckShown(back, area, window);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * area.width() *
                            area.height() * 4);
}
BENCHMARK(BM_Qt_RGB32_Present)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

// A whole frame of a column crossing: the tick draws the play area, then what it invalidated
// is shown.
void BM_CrossingFrame(benchmark::State& state, Way way) {
    Crossing crossing(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const CDibImage& back = crossing.host.BackBuffer();
    QImage window(static_cast<int>(back.width), static_cast<int>(back.height),
                  QImage::Format_RGB32);
    QImage kept(window.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        crossing.Tick();
        for (const auto& a : crossing.host.TakeInvalidated()) {
            Present(way, back, QRect(a.x, a.y, a.w, a.h), window, kept);
        }
        benchmark::ClobberMemory();
    }
    CheckShown(back, crossing.PlayArea(), window);
}
BENCHMARK_CAPTURE(BM_CrossingFrame, OneCopy, Way::OneCopy)
    ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_CrossingFrame, Converted, Way::Converted)
    ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
}  // namespace kelvandor

#include "tests/support/QtBenchMain.h"
