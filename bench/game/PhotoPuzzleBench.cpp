// F5 with photos: a puzzle whose twelve answers carry 12-megapixel JPEGs (4000 x 3000,
// quality 90, noise over gradients, written by libjpeg into a temporary folder by this
// program), from the key to the dealt board. Threaded work is timed as process CPU time and
// wall time, so the worker threads count.
//
//   Jpeg12MP/whole        one photo decoded at full size (LoadImageFile)
//   Jpeg12MP/tile         one photo decoded for a 1080p tile (LoadImageFileToFit)
//   F5TwelvePhotosWhole   the way before: every photo at full size, one after another
//   F5TwelvePhotos/tile   the way now when F5 comes first: reduced while decoding, on
//                         worker threads, to the first frame of the dealt board (1080p, 4K)
//   F5TwelvePhotos/ahead  the same when the photos were loaded ahead on a tick at rest
//
// The counter picture_MB is what the dealt puzzle keeps of its pictures.
//
//   build/bench/photo_puzzle_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "image/ImageFile.h"
#include "puzzles/LoadPuzzle.h"
#include "settings/SettingsStore.h"
#include "tests/support/JpegFile.h"

namespace kelvandor {
namespace {

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kAnswers = 12;

void WritePhoto(const std::string& path, unsigned seed) {
    std::minstd_rand noise(seed);
    const bool written = test::WriteRgbJpeg(
        path, kPhotoWidth, kPhotoHeight, 90, [&noise](int y, JSAMPLE* row) {
            for (int x = 0; x < kPhotoWidth; ++x) {
                const int grain = static_cast<int>(noise() % 24) - 12;
                row[x * 3 + 0] =
                    static_cast<JSAMPLE>(std::clamp(x * 255 / kPhotoWidth + grain, 0, 255));
                row[x * 3 + 1] =
                    static_cast<JSAMPLE>(std::clamp(y * 255 / kPhotoHeight + grain, 0, 255));
                row[x * 3 + 2] = static_cast<JSAMPLE>(
                    std::clamp(static_cast<int>((x ^ y) & 0xFF) / 2 + 64 + grain, 0, 255));
            }
        });
    if (!written) {
        std::abort();
    }
}

}  // namespace

// Game001 with twelve answers below root, each with its own photo.
void WritePhotoPuzzle(const std::filesystem::path& root) {
    std::filesystem::create_directories(root / "Game001");
    std::ofstream text(root / "Game001" / "Game.txt", std::ios::binary);
    text << "Welches Foto wurde zuerst aufgenommen?\n";
    for (int i = 0; i < kAnswers; ++i) {
        const std::string name = "foto" + std::to_string(i) + ".jpg";
        WritePhoto((root / "Game001" / name).string(), static_cast<unsigned>(i + 1));
        text << "Foto " << i + 1 << "||" << name << "\n";
    }
}

namespace {

// The photo puzzle, made once per run, removed at exit.
struct PhotoPuzzle {
    std::filesystem::path root;
    PhotoPuzzle() {
        root = std::filesystem::temp_directory_path() /
               ("kelvandor-photo-bench-" + std::to_string(::getpid()));
        WritePhotoPuzzle(root);
    }
    ~PhotoPuzzle() { std::filesystem::remove_all(root); }
    std::string Photo(int i) const {
        return (root / "Game001" / ("foto" + std::to_string(i) + ".jpg")).string();
    }
};

const PhotoPuzzle& Puzzle() {
    static const PhotoPuzzle puzzle;
    return puzzle;
}

// The picture box of a 1080p board of twelve answers: the tile's picture column.
constexpr ImageSize kTileBox{400, 45};

// What a tile shows of the photo (60 x 45 in the box above), made from the whole photo and
// from the one decoded for the tile: the largest and the mean difference of a channel.
void CompareTilePictures(benchmark::State& state, const std::string& path) {
    CDibImage whole, reduced, fromWhole, fromReduced;
    if (LoadImageFile(path, whole) != kLoadOk || LoadImageFileToFit(path, reduced, kTileBox) != kLoadOk ||
        !fromWhole.Scale(whole, 60, 45, CDibImage::kScaleSmooth) ||
        !fromReduced.Scale(reduced, 60, 45, CDibImage::kScaleSmooth)) {
        state.SkipWithError("the photo does not load");
        return;
    }
    int largest = 0;
    double sum = 0;
    for (std::uint32_t y = 0; y < 45; ++y) {
        for (std::uint32_t x = 0; x < 3 * 60; ++x) {
            const int d = std::abs(fromWhole.Row(y)[x] - fromReduced.Row(y)[x]);
            largest = std::max(largest, d);
            sum += d;
        }
    }
    state.counters["tile_max_diff"] = largest;
    state.counters["tile_mean_diff"] = sum / (45 * 3 * 60);
}

void BM_Jpeg12MP(benchmark::State& state, bool tile) {
    const std::string path = Puzzle().Photo(0);
    if (tile) {
        CompareTilePictures(state, path);
    }
    for (auto _ : state) {
        CDibImage image;
        const int code = tile ? LoadImageFileToFit(path, image, kTileBox)
                              : LoadImageFile(path, image);
        if (code != kLoadOk) {
            state.SkipWithError("the photo does not load");
        }
        benchmark::DoNotOptimize(image.bits);
    }
}
BENCHMARK_CAPTURE(BM_Jpeg12MP, whole, false)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(BM_Jpeg12MP, tile, true)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The way before: the puzzle's photos loaded whole, one after another, as LoadPuzzle does.
void BM_F5TwelvePhotosWhole(benchmark::State& state) {
    Puzzle();
    double kept = 0;
    for (auto _ : state) {
        PuzzleContent content;
        if (!LoadPuzzle(Puzzle().root.string(), 1, content, LoadImageFileWithin) ||
            !content.HasElementPictures) {
            state.SkipWithError("the puzzle did not load with its photos");
        }
        kept = 0;
        for (const CDibImage& picture : content.ElementPictures) {
            kept += static_cast<double>(picture.imageSize);
        }
    }
    state.counters["picture_MB"] = kept / 1e6;
}
BENCHMARK(BM_F5TwelvePhotosWhole)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(3);

// A view of `width` x `height` on the photo puzzle with the program's picture loader.
std::unique_ptr<CKelvandorView> PhotoView(CHeadlessViewHost& host, CMemorySettingsStore& settings,
                                          int width, int height) {
    host.SetLargestViewSize({width, height});
    settings.WriteText("PicPath", Puzzle().root.string());
    auto view = std::make_unique<CKelvandorView>(
        host, settings,
        FittingPictureLoader([](const std::string& path, ImageSize fit, CDibImage& image,
                                ImageSize& full) {
            return LoadImageFileToFit(path, image, fit, &full);
        }));
    host.Attach(view.get());
    view->OnCreate();
    view->OnSize(width, height);
    return view;
}

// F5 to the dealt board in a 1080p or 4K view, timed from the key to the first frame.
// tile: the way now after the key, the photos reduced while they are decoded, on worker
// threads. ahead: the game's usual case, the photos loaded ahead on a tick at rest before
// the key (not timed), so that F5 takes them.
void BM_F5TwelvePhotos(benchmark::State& state, bool ahead) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Puzzle();
    double kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<CHeadlessViewHost>();
        CMemorySettingsStore settings;
        host->SetPicturesInBackground(ahead);
        auto view = PhotoView(*host, settings, width, height);
        if (ahead) {
            host->RunTicks(1);
            host->WaitForPicturesPosted();
            host->DeliverPosted();
        }
        state.ResumeTiming();
        view->StartNextPuzzle();
        view->AdvanceAndDraw(host->TickCount());  // the first frame of the dealt board
        state.PauseTiming();
        if (view->State().Started != 1 || !view->State().Puzzle.HasElementPictures) {
            state.SkipWithError("the puzzle was not dealt with its photos at once");
        }
        kept = 0;
        for (const CDibImage& picture : view->State().Puzzle.ElementPictures) {
            kept += static_cast<double>(picture.imageSize);
        }
        view.reset();
        host->Attach(nullptr);
        host.reset();
        state.ResumeTiming();
    }
    state.counters["picture_MB"] = kept / 1e6;
}
BENCHMARK_CAPTURE(BM_F5TwelvePhotos, tile, false)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_F5TwelvePhotos, ahead, true)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace kelvandor

// `photo_puzzle_bench --write-puzzle DIR` only writes the puzzle (DIR/Game001) and exits,
// for measuring the program itself with it (bench/app/end_to_end.py).
int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-puzzle") {
        kelvandor::WritePhotoPuzzle(argv[2]);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
