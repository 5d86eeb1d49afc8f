#pragma once
// Writes an RGB JPEG with libjpeg, for benchmarks that need photos of a given size. Needs
// libjpeg.

#include <cstdio>

#include <jpeglib.h>

#include <string>
#include <vector>

namespace kelvandor::test {

// Writes `path` as a `width` x `height` RGB JPEG of `quality`; `fill(y, row)` fills the
// 3 * width samples of row y, top to bottom. Returns false when the file cannot be created.
template <typename Fill>
bool WriteRgbJpeg(const std::string& path, int width, int height, int quality, Fill fill) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct encoder{};
    jpeg_error_mgr errors{};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    jpeg_stdio_dest(&encoder, file);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = 3;
    encoder.in_color_space = JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (encoder.next_scanline < encoder.image_height) {
        fill(static_cast<int>(encoder.next_scanline), row.data());
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&encoder, &pointer, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    std::fclose(file);
    return true;
}

}  // namespace kelvandor::test
