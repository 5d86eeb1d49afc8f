// The drawing operations the game screen relies on, each beside the same work done by Qt's
// raster engine (QImage/QPainter), which sets the bar. Before timing, every operation's
// output is checked against the plain pixel-by-pixel formulas; a mismatch fails the run.
//
//   build/bench/draw_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/DibImage.h"
#include "image/HelperThread.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using test::PixelAt;

// Qt spreads large fills, blends and smooth scaling over its global thread pool, so its
// "CPU" column counts only the calling thread. The runs named "single" hold Qt to one
// thread, like ours, for a comparison of the same work per thread.
class QtThreadLimit {
public:
    explicit QtThreadLimit(bool single)
        : previous_(QThreadPool::globalInstance()->maxThreadCount()) {
        if (single)
            QThreadPool::globalInstance()->setMaxThreadCount(1);
    }
    ~QtThreadLimit() { QThreadPool::globalInstance()->setMaxThreadCount(previous_); }

private:
    int previous_;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "draw_bench: %s does not match the plain formulas\n", what);
    std::exit(1);
}

// Rows of a CDibImage (32 bits) as a QImage of the given format.
QImage ToQImage(const CDibImage& image, QImage::Format format) {
    QImage q(static_cast<int>(image.width), static_cast<int>(image.height), QImage::Format_ARGB32);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(q.scanLine(static_cast<int>(y)), image.Row(y),
                    4 * static_cast<std::size_t>(image.width));
    }
    return q.convertToFormat(format);
}

// A rounded box, opaque inside and transparent outside, with colour gradients and some
// noise, drawn three times larger than it is shown, as the game draws its tiles.
CDibImage MakeBox(std::uint32_t w, std::uint32_t h, std::uint32_t radius) {
    CDibImage image;
    image.Create(32, w, h, 0);
    std::uint32_t noise = 12345;
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::int64_t cx = std::clamp<std::int64_t>(x, radius, w - 1 - radius);
            const std::int64_t cy = std::clamp<std::int64_t>(y, radius, h - 1 - radius);
            const std::int64_t dx = x - cx, dy = y - cy;
            noise = noise * 1103515245 + 12345;
            if (dx * dx + dy * dy < std::int64_t{radius} * radius) {
                const std::uint32_t r = 128 + 127 * x / w, g = 255 * y / h,
                                    b = (noise >> 16) & 0x3F;
                image.SetPixel(x, y, 0xFF000000u | r << 16 | g << 8 | (0x80 + b));
            }
        }
    }
    return image;
}

const CDibImage& WideBox() {  // a 800 x 70 tile drawn three times larger
    static const CDibImage box = MakeBox(2400, 210, 36);
    return box;
}

const CDibImage& ScreenBox() {
    static const CDibImage box = MakeBox(1920, 1080, 90);
    return box;
}

const CDibImage& Tile() {  // the 800 x 70 tile with soft edges
    static const CDibImage tile = [] {
        CDibImage t;
        t.Scale(WideBox(), 800, 70, CDibImage::kScaleSmooth);
        return t;
    }();
    return tile;
}

void CheckSmooth(const CDibImage& source, std::uint32_t w, std::uint32_t h) {
    CDibImage result;
    result.Scale(source, w, h, CDibImage::kScaleSmooth);
    const auto expected = test::ReferenceSmooth32(source, w, h, source.AlphaKind() == 2);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            if (PixelAt(result, x, y) != expected[y * w + x])
                Fail("Scale (smooth)");
}

// ---- FillRect of a 1700 x 1040 area, 24 bits ----

void BM_FillRect24(benchmark::State& state) {
    CDibImage image;
    image.Create(24, 1700, 1040, 0);
    std::uint32_t colour = 0x123456;
    for (auto _ : state) {
        image.FillRect(0, 0, 1700, 1040, colour);
        benchmark::ClobberMemory();
    }
    for (std::uint32_t y = 0; y < 1040; y += 7)
        for (std::uint32_t x = 0; x < 1700; ++x)
            if (PixelAt(image, x, y) != colour)
                Fail("FillRect");
}
BENCHMARK(BM_FillRect24)->Unit(benchmark::kMicrosecond);

void BM_Qt_FillRect24(benchmark::State& state, bool single) {
    const QtThreadLimit limit(single);
    QImage image(1700, 1040, QImage::Format_RGB888);
    QPainter painter(&image);
    const QColor colour(0x12, 0x34, 0x56);
    for (auto _ : state) {
        painter.fillRect(QRect(0, 0, 1700, 1040), colour);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_Qt_FillRect24, pool, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Qt_FillRect24, single, true)->Unit(benchmark::kMicrosecond);

// ---- Smooth, alpha-aware Scale ----

void BM_ScaleSmooth(benchmark::State& state, const CDibImage& (*source)(), std::uint32_t w,
                    std::uint32_t h) {
    CheckSmooth(source(), w, h);
    CDibImage result;
    for (auto _ : state) {
        result.Scale(source(), w, h, CDibImage::kScaleSmooth);
        benchmark::DoNotOptimize(result.bits);
    }
}
BENCHMARK_CAPTURE(BM_ScaleSmooth, tile_2400x210_to_800x70, WideBox, 800, 70)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_ScaleSmooth, screen_1920x1080_to_640x360, ScreenBox, 640, 360)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

// Ours on one thread, beside Qt's "single" runs: while an outer job holds the helper thread, a
// Scale inside it finds the helper busy and does all its rows on its own thread.
void BM_ScaleSmoothOneThread(benchmark::State& state, const CDibImage& (*source)(),
                             std::uint32_t w, std::uint32_t h) {
    CDibImage result;
    RunRowsInTwo(2, true, [&](std::uint32_t first, std::uint32_t) {
        if (first != 0)
            return;
        for (auto _ : state) {
            result.Scale(source(), w, h, CDibImage::kScaleSmooth);
            benchmark::DoNotOptimize(result.bits);
        }
    });
}
BENCHMARK_CAPTURE(BM_ScaleSmoothOneThread, tile_2400x210_to_800x70, WideBox, 800, 70)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_ScaleSmoothOneThread, screen_1920x1080_to_640x360, ScreenBox, 640, 360)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_Qt_ScaleSmooth(benchmark::State& state, const CDibImage& (*source)(), int w, int h,
                       bool single) {
    const QtThreadLimit limit(single);
    const QImage q = ToQImage(source(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QImage result = q.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(result.constBits());
    }
}
// Timed as process CPU time and wall time: our Scale spreads over its helper thread and Qt
// over its pool (two threads on a two-core machine), which the calling thread's CPU time
// would hide.
BENCHMARK_CAPTURE(BM_Qt_ScaleSmooth, tile_2400x210_to_800x70_pool, WideBox, 800, 70, false)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_Qt_ScaleSmooth, screen_1920x1080_to_640x360_pool, ScreenBox, 640, 360, false)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK_CAPTURE(BM_Qt_ScaleSmooth, tile_2400x210_to_800x70_single, WideBox, 800, 70, true)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_Qt_ScaleSmooth, screen_1920x1080_to_640x360_single, ScreenBox, 640, 360, true)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

// ---- Nearest-neighbour Scale, 1920 x 1080 24 bits to 800 x 600 ----

void BM_ScaleNearest24(benchmark::State& state) {
    CDibImage source;
    source.Create(24, 1920, 1080, NoFill);
    test::FillNoise(source, 5);
    CDibImage result;
    for (auto _ : state) {
        result.Scale(source, 800, 600, 0);
        benchmark::DoNotOptimize(result.bits);
    }
    for (std::uint32_t y = 0; y < 600; ++y)
        for (std::uint32_t x = 0; x < 800; ++x)
            if (PixelAt(result, x, y) != PixelAt(source, x * 1920 / 800, y * 1080 / 600))
                Fail("Scale (nearest)");
}
BENCHMARK(BM_ScaleNearest24)->Unit(benchmark::kMicrosecond);

// The peer on RGB32 (4 bytes per pixel against our 3) and on our own pixel format, 24 bits
// per pixel (Qt's RGB888).
void BM_Qt_ScaleNearest(benchmark::State& state, QImage::Format format, bool single) {
    const QtThreadLimit limit(single);
    QImage source(1920, 1080, format);
    source.fill(Qt::darkCyan);
    for (auto _ : state) {
        QImage result = source.scaled(800, 600, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        benchmark::DoNotOptimize(result.constBits());
    }
}
BENCHMARK_CAPTURE(BM_Qt_ScaleNearest, pool, QImage::Format_RGB32, false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Qt_ScaleNearest, single, QImage::Format_RGB32, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Qt_ScaleNearest, rgb888_pool, QImage::Format_RGB888, false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Qt_ScaleNearest, rgb888_single, QImage::Format_RGB888, true)
    ->Unit(benchmark::kMicrosecond);

// ---- DrawAlpha and DrawAlphaOver of the 800 x 70 tile ----

enum class Blend { Alpha, Over };

void BM_DrawTile(benchmark::State& state, Blend blend, std::uint32_t depth) {
    const CDibImage& tile = Tile();
    CDibImage dest;
    dest.Create(depth, 1280, 720, NoFill);
    test::FillNoiseWithAlphaExtremes(dest, 11);
    // One checked run first.
    const CDibImage before = dest;
    blend == Blend::Alpha ? dest.DrawAlpha(tile, 100, 100) : dest.DrawAlphaOver(tile, 100, 100);
    for (std::uint32_t y = 0; y < 70; ++y)
        for (std::uint32_t x = 0; x < 800; ++x) {
            const std::uint32_t s = PixelAt(tile, x, y), d = PixelAt(before, x + 100, y + 100);
            const std::uint32_t expected = blend == Blend::Alpha
                                               ? test::ReferenceDrawAlpha(s, d, depth == 32)
                                               : test::ReferenceDrawAlphaOver(s, d, depth == 32);
            if (PixelAt(dest, x + 100, y + 100) != expected)
                Fail("DrawAlpha/DrawAlphaOver");
        }
    for (auto _ : state) {
        blend == Blend::Alpha ? dest.DrawAlpha(tile, 100, 100) : dest.DrawAlphaOver(tile, 100, 100);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_DrawTile, alpha_onto_24, Blend::Alpha, 24)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawTile, over_onto_24, Blend::Over, 24)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawTile, alpha_onto_32, Blend::Alpha, 32)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_DrawTile, over_onto_32, Blend::Over, 32)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_Qt_DrawTile(benchmark::State& state, bool single) {
    const QtThreadLimit limit(single);
    const QImage tile = ToQImage(Tile(), QImage::Format_ARGB32_Premultiplied);
    QImage dest(1280, 720, QImage::Format_RGB32);
    dest.fill(Qt::darkBlue);
    QPainter painter(&dest);
    for (auto _ : state) {
        painter.drawImage(100, 100, tile);
        benchmark::ClobberMemory();
    }
}
// Process CPU time and wall time, so that the comparison holds whatever threads Qt uses.
BENCHMARK_CAPTURE(BM_Qt_DrawTile, pool, false)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_Qt_DrawTile, single, true)
    ->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
}  // namespace kelvandor

#include "tests/support/QtBenchMain.h"
