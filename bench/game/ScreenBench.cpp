// The game screen's costs per tick and per layout change.
//
// FullRedraw: one tick that redraws the whole play area of a dealt 12-answer board (the fill
// and the 12 tiles, each a state tile with the element image over it), at 1920x1080 and
// 3840x2160. Beside it the same frame composed by Qt's raster engine (fillRect and the 24
// drawImage calls onto a Format_RGB32 image), which sets the bar, and the same frame drawn
// with two DrawAlphaOver calls per tile as a plain implementation would.
// IdleTick: a tick with nothing to redraw. RenderTiles: a layout change with 12 answers;
// with photos: six answers with phone-camera photos (4000 x 3000) scaled into their tiles.
// DealFrame: what a deal costs the user-interface thread besides the pictures: the tiles
// of a new layout made and the first whole frame of the board drawn (its sprites composed),
// as process CPU and wall time (the tiles are made on two threads).

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "settings/SettingsStore.h"
#include "tests/support/TwelveAnswers.h"

namespace kelvandor {
namespace {

int NoPictures(const std::string&, CDibImage&, std::uint64_t) {
    return -1;
}

// A created view of the given size with a dealt 12-answer board at rest.
struct Board {
    CHeadlessViewHost host;
    CMemorySettingsStore settings;
    CKelvandorView view{host, settings, NoPictures};

    Board(int width, int height) {
        settings.WriteText("PicPath", "unused");
        view.OnCreate();
        view.ArrangeBoard(test::TwelveAnswers(), 0);
        view.OnSize(width, height);
        Redraw();
    }
    void Redraw() {
        view.ForceFullRedraw();
        view.AdvanceAndDraw(host.TickCount());
        host.TakeInvalidated();
    }
};

void BM_FullRedraw(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        board.Redraw();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRedraw)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// The same frame with both layers blended separately onto the 24-bit back buffer.
void BM_FullRedrawTwoBlendsPerTile(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const GameState& v = board.view.State();
    const ScreenState& s = board.view.Screen();
    const ScreenImages& images = board.view.Images();
    CDibImage& back = board.host.BackBuffer();
    for (auto _ : state) {
        back.FillRect(v.StarPanelWidth + 6, 42, s.AreaWidth, s.AreaHeight, 0xFF000000u);
        for (std::size_t i = 0; i < 12; ++i) {
            const std::int32_t x = s.BoardOriginX + v.ElementColumn[i] * s.ColumnStep;
            const std::int32_t y = s.BoardOriginY + v.ElementSlot[i] * s.RowStep / 2;
            back.DrawAlphaOver(images.StateTiles[v.ElementState[i]], x, y);
            back.DrawAlphaOver(images.ElementImages[i], x, y);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRedrawTwoBlendsPerTile)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

QImage ToQImage(const CDibImage& image) {
    QImage q(static_cast<int>(image.width), static_cast<int>(image.height), QImage::Format_ARGB32);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(q.scanLine(static_cast<int>(y)), image.Row(y), 4 * std::size_t{image.width});
    }
    return q.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void BM_QtFullRedraw(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const GameState& v = board.view.State();
    const ScreenState& s = board.view.Screen();
    const ScreenImages& images = board.view.Images();
    QImage frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                 QImage::Format_RGB32);
    frame.fill(Qt::black);
    QImage tiles[4], elements[12];
    for (int t = 0; t < 4; ++t) {
        tiles[t] = ToQImage(images.StateTiles[static_cast<std::size_t>(t)]);
    }
    for (std::size_t i = 0; i < 12; ++i) {
        elements[i] = ToQImage(images.ElementImages[i]);
    }
    for (auto _ : state) {
        QPainter painter(&frame);
        painter.fillRect(v.StarPanelWidth + 6, 42, s.AreaWidth, s.AreaHeight, Qt::black);
        for (std::size_t i = 0; i < 12; ++i) {
            const int x = s.BoardOriginX + v.ElementColumn[i] * s.ColumnStep;
            const int y = s.BoardOriginY + v.ElementSlot[i] * s.RowStep / 2;
            painter.drawImage(x, y, tiles[v.ElementState[i]]);
            painter.drawImage(x, y, elements[i]);
        }
        painter.end();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_QtFullRedraw)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

void BM_IdleTick(benchmark::State& state) {
    Board board(1920, 1080);
    for (auto _ : state) {
        board.view.AdvanceAndDraw(board.host.TickCount());
        benchmark::DoNotOptimize(board.view.Screen().DirtyMask);
    }
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond);

// A layout change: the state tiles and all twelve element images are made anew.
void BM_RenderTiles12At1080(benchmark::State& state) {
    Board board(1920, 1080);
    for (auto _ : state) {
        board.view.RerenderTiles();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderTiles12At1080)->Unit(benchmark::kMillisecond);

void BM_DealFrame(benchmark::State& state) {
    Board board(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        board.view.RerenderTiles();
        board.Redraw();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DealFrame)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// A photo as a phone camera takes it: 4000 x 3000, 24 bits, noise (nothing compresses).
int PhonePhoto(const std::string&, CDibImage& image, std::uint64_t) {
    if (!image.Create(24, 4000, 3000, NoFill)) {
        return -6;
    }
    std::mt19937 random(7);
    for (std::size_t i = 0; i < image.imageSize; i += 4) {
        const std::uint32_t v = random();
        std::memcpy(image.bits + i, &v, std::min<std::size_t>(4, image.imageSize - i));
    }
    return 0;
}

// A layout change of a dealt six-answer puzzle whose answers have photos: every photo is
// scaled into its tile (area averaging) and the texts are fitted and drawn.
void BM_RenderTilesWithPhotos(benchmark::State& state) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / "kelvandor-bench-photos";
    std::filesystem::create_directories(root / "Game001");
    std::ofstream(root / "Game001" / "Game.txt")
        << "Urlaubsfotos\nEins||1.jpg\nZwei||2.jpg\nDrei||3.jpg\nVier||4.jpg\nF\xFCnf||5.jpg\n"
           "Sechs||6.jpg\n";
    CHeadlessViewHost host;
    CMemorySettingsStore settings;
    settings.WriteText("PicPath", root.string());
    CKelvandorView view(host, settings, PhonePhoto);
    view.OnCreate();
    view.OnSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    view.StartNextPuzzle();
    for (auto _ : state) {
        view.RerenderTiles();
        benchmark::ClobberMemory();
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_RenderTilesWithPhotos)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvandor

BENCHMARK_MAIN();
