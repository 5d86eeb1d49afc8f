#pragma once
// Reads a PNG file that kelvandor-tool wrote (a screen of replay or preview) as 8-bit RGB, for
// tests that look at its pixels. Needs libpng.

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelvandor::test {

struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    // The pixel at (x, y) as 0xRRGGBB.
    std::uint32_t At(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* p = &rgb[3 * (std::size_t{y} * width + x)];
        return std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
};

// The picture in `path`; an empty picture when it is not a PNG file.
inline Picture ReadPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        return picture;
    }
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb = std::move(rgb);
    return picture;
}

}  // namespace kelvandor::test
