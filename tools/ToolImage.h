#pragma once
// Small image helpers shared by the generators in this folder: an 8-bit RGBA canvas and
// writers for BMP (the form the program embeds) and PNG (for looking at the results).
// Generators only; the program itself never links this.

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvandor::tools {

// Straight (non-premultiplied) RGBA pixels, row 0 at the top.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // 4 bytes per pixel: red, green, blue, alpha

    Canvas(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}

    std::uint8_t* At(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* At(int x, int y) const {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
    void Set(int x, int y, std::uint32_t argb) {
        std::uint8_t* p = At(x, y);
        p[0] = static_cast<std::uint8_t>(argb >> 16);
        p[1] = static_cast<std::uint8_t>(argb >> 8);
        p[2] = static_cast<std::uint8_t>(argb);
        p[3] = static_cast<std::uint8_t>(argb >> 24);
    }
};

inline void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        if (f)
            std::fclose(f);
        throw std::runtime_error("cannot write " + path);
    }
    if (std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

// A bottom-up BMP with a 40-byte info header: 32 bits keep the alpha byte as the fourth byte
// of every pixel, 24 bits drop it. Resolution 4705 pixels per metre (120 dpi), as the image
// object announces its own buffers.
inline std::vector<std::uint8_t> EncodeBmp(const Canvas& c, int bitsPerPixel) {
    const std::uint32_t stride =
        bitsPerPixel == 32 ? c.width * 4u : ((c.width * 3u + 3u) / 4u) * 4u;
    const std::uint32_t imageSize = stride * c.height;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 14 + 40 + imageSize);
    PutLe32(out, 0);
    PutLe32(out, 14 + 40);
    PutLe32(out, 40);
    PutLe32(out, c.width);
    PutLe32(out, c.height);
    PutLe16(out, 1);
    PutLe16(out, bitsPerPixel);
    PutLe32(out, 0);  // uncompressed
    PutLe32(out, imageSize);
    PutLe32(out, 4705);
    PutLe32(out, 4705);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = c.height - 1; y >= 0; --y) {
        std::size_t rowStart = out.size();
        for (int x = 0; x < c.width; ++x) {
            const std::uint8_t* p = c.At(x, y);
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (bitsPerPixel == 32)
                out.push_back(p[3]);
        }
        while (out.size() - rowStart < stride)
            out.push_back(0);
    }
    return out;
}

inline void WriteBmp(const std::string& path, const Canvas& c, int bitsPerPixel) {
    WriteFile(path, EncodeBmp(c, bitsPerPixel));
}

// RGBA PNG for previews, optionally enlarged by an integer factor (nearest neighbour) so
// that single pixels of tiny icons can be judged. With a background (0xRRGGBB) the picture
// is laid on it the way the game lays it on its screen: blended by its alpha.
inline void WritePng(const std::string& path, const Canvas& c, int zoom = 1, long background = -1) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        throw std::runtime_error("cannot encode " + path);
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, c.width * zoom, c.height * zoom, 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(c.width) * zoom * 4);
    for (int y = 0; y < c.height * zoom; ++y) {
        for (int x = 0; x < c.width * zoom; ++x) {
            const std::uint8_t* p = c.At(x / zoom, y / zoom);
            std::uint8_t* q = &row[static_cast<std::size_t>(x) * 4];
            for (int k = 0; k < 4; ++k)
                q[k] = p[k];
            if (background >= 0) {
                const int a = p[3];
                for (int k = 0; k < 3; ++k) {
                    const int under = static_cast<int>((background >> (16 - 8 * k)) & 0xFF);
                    q[k] = static_cast<std::uint8_t>((p[k] * (a + 1) + under * (256 - a)) >> 8);
                }
                q[3] = 255;
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

}  // namespace kelvandor::tools
