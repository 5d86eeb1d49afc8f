// LoadImageFile against the bare decoder libraries on the same files, in the same run.
// The bare side decodes into one plain buffer in the same pixel order (blue, green, red) that
// the image object stores, so the difference is what our readers add: the stream, the image
// object, recognition and error handling. Goal: ratio (ours / bare) at most 1.05.

#include <benchmark/benchmark.h>

#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/support/JpegFile.h"

namespace {

using kelvandor::CDibImage;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A smooth, photograph-like picture: overlapping waves plus a little noise, so that both
// PNG filters and JPEG blocks see realistic content.
std::uint8_t Sample(int x, int y, int channel) {
    const double v = 128 + 60 * std::sin(x * 0.011 + channel) * std::cos(y * 0.017 - channel) +
                     40 * std::sin((x + y) * 0.003 * (channel + 1));
    const int noise =
        static_cast<int>((static_cast<unsigned>(x * 73856093 ^ y * 19349663 ^ channel * 83492791)) %
                         9) -
        4;
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v) + noise, 0, 255));
}

std::string WritePng(const std::string& path, int colourType) {
    FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::abort();
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, kWidth, kHeight, 8, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette(256);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 256; ++i) {
            palette[i] = {static_cast<png_byte>((i >> 5) * 36),
                          static_cast<png_byte>(((i >> 2) & 7) * 36),
                          static_cast<png_byte>((i & 3) * 85)};
        }
        png_set_PLTE(png, info, palette.data(), 256);
    }
    png_write_info(png, info);
    const int channels = colourType == PNG_COLOR_TYPE_RGB    ? 3
                         : colourType == PNG_COLOR_TYPE_RGBA ? 4
                                                             : 1;
    std::vector<png_byte> row(static_cast<std::size_t>(kWidth) * channels);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < channels; ++c) {
                row[x * channels + c] =
                    channels == 1 ? static_cast<png_byte>((Sample(x, y, 0) & 0xE0) |
                                                          ((Sample(x, y, 1) >> 3) & 0x1C) |
                                                          (Sample(x, y, 2) >> 6))
                    : c == 3      ? static_cast<png_byte>(Sample(x, y, 2) ^ 0x5A)
                                  : Sample(x, y, c);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return path;
}

std::string WriteJpeg(const std::string& path) {
    kelvandor::test::WriteRgbJpeg(path, kWidth, kHeight, 90, [](int y, JSAMPLE* row) {
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 3; ++c) {
                row[x * 3 + c] = Sample(x, y, c);
            }
        }
    });
    return path;
}

struct Files {
    std::filesystem::path folder;
    std::string rgb, rgba, palette, jpeg;
    Files() {
        folder = std::filesystem::temp_directory_path() /
                 ("kelvandor-image-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        rgb = WritePng((folder / "rgb.png").string(), PNG_COLOR_TYPE_RGB);
        rgba = WritePng((folder / "rgba.png").string(), PNG_COLOR_TYPE_RGBA);
        palette = WritePng((folder / "palette.png").string(), PNG_COLOR_TYPE_PALETTE);
        jpeg = WriteJpeg((folder / "photo.jpg").string());
    }
    ~Files() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

const Files& TestFiles() {
    static const Files files;
    return files;
}

// The bare decoders' output: memory as it comes from the allocator, not zeroed (a vector
// would write every byte once before the decoder does, which costs them about 15 %).
struct RawPixels {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::uint8_t* data() { return bytes.get(); }
    void resize(std::size_t size) { bytes.reset(new std::uint8_t[size]); }
};

// The bare libpng read: same transformations as the reader (blue-green-red order), rows
// straight into one buffer.
bool BarePng(const std::string& path, RawPixels& pixels) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR) {
        png_set_bgr(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * height);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, pixels.data() + rowBytes * y, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

bool BareJpeg(const std::string& path, RawPixels& pixels) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    jpeg_decompress_struct decoder{};
    jpeg_error_mgr errors{};
    decoder.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decoder);
    jpeg_stdio_src(&decoder, file);
    jpeg_read_header(&decoder, TRUE);
    decoder.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&decoder);
    const std::size_t rowBytes = static_cast<std::size_t>(decoder.output_width) * 3;
    pixels.resize(rowBytes * decoder.output_height);
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW rows[16];
        const JDIMENSION first = decoder.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(16, decoder.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = pixels.data() + rowBytes * (first + i);
        }
        jpeg_read_scanlines(&decoder, rows, count);
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    std::fclose(file);
    return true;
}

void Ours(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        CDibImage image;
        if (kelvandor::LoadImageFile(path, image) != 0) {
            state.SkipWithError("LoadImageFile failed");
            return;
        }
        benchmark::DoNotOptimize(image.bits);
    }
}

void BarePngBench(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        RawPixels pixels;
        if (!BarePng(path, pixels)) {
            state.SkipWithError("libpng failed");
            return;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}

void BareJpegBench(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        RawPixels pixels;
        if (!BareJpeg(path, pixels)) {
            state.SkipWithError("libjpeg failed");
            return;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}

void BM_PngRgb_LoadImageFile(benchmark::State& s) {
    Ours(s, TestFiles().rgb);
}
void BM_PngRgb_BareLibpng(benchmark::State& s) {
    BarePngBench(s, TestFiles().rgb);
}
void BM_PngRgba_LoadImageFile(benchmark::State& s) {
    Ours(s, TestFiles().rgba);
}
void BM_PngRgba_BareLibpng(benchmark::State& s) {
    BarePngBench(s, TestFiles().rgba);
}
void BM_PngPalette_LoadImageFile(benchmark::State& s) {
    Ours(s, TestFiles().palette);
}
void BM_PngPalette_BareLibpng(benchmark::State& s) {
    BarePngBench(s, TestFiles().palette);
}
void BM_Jpeg_LoadImageFile(benchmark::State& s) {
    Ours(s, TestFiles().jpeg);
}
void BM_Jpeg_BareLibjpeg(benchmark::State& s) {
    BareJpegBench(s, TestFiles().jpeg);
}

BENCHMARK(BM_PngRgb_LoadImageFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgb_BareLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgba_LoadImageFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgba_BareLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngPalette_LoadImageFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngPalette_BareLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg_LoadImageFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg_BareLibjpeg)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
