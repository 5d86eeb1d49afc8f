#include "tests/image/TestImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace kelvandor::testimages {

void PutLe16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLe32(Bytes& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

namespace {

Bytes Headers(int depth, int width, int height, std::uint32_t compression,
              const std::vector<std::uint32_t>& palette, std::size_t pixelBytes,
              bool withFileHeader) {
    Bytes out;
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    if (withFileHeader) {
        out.push_back('B');
        out.push_back('M');
        PutLe32(out, offset + static_cast<std::uint32_t>(pixelBytes));
        PutLe32(out, 0);
        PutLe32(out, offset);
    }
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(width));
    PutLe32(out, static_cast<std::uint32_t>(height));
    PutLe16(out, 1);
    PutLe16(out, static_cast<std::uint32_t>(depth));
    PutLe32(out, compression);
    PutLe32(out, static_cast<std::uint32_t>(pixelBytes));
    PutLe32(out, 2835);
    PutLe32(out, 2835);
    PutLe32(out, static_cast<std::uint32_t>(palette.size()));
    PutLe32(out, 0);
    for (std::uint32_t entry : palette) {
        PutLe32(out, entry);
    }
    return out;
}

}  // namespace

Bytes BmpFile(int depth, int width, int height, const std::vector<std::uint32_t>& palette,
              const std::vector<std::uint32_t>& pixels, bool withFileHeader) {
    const int rows = height < 0 ? -height : height;
    const std::size_t rowBytes = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
    Bytes data(rowBytes * rows, 0);
    for (int fileRow = 0; fileRow < rows; ++fileRow) {
        const int y = height < 0 ? fileRow : rows - 1 - fileRow;
        std::uint8_t* row = data.data() + rowBytes * fileRow;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[static_cast<std::size_t>(y) * width + x];
            switch (depth) {
                case 1:
                    row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<std::uint8_t>(v);
                    break;
                default:
                    for (int b = 0; b < depth / 8; ++b) {
                        row[x * (depth / 8) + b] = static_cast<std::uint8_t>(v >> (8 * b));
                    }
                    break;
            }
        }
    }
    Bytes out = Headers(depth, width, height, 0, palette, data.size(), withFileHeader);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes RleBmpFile(int depth, int width, int height, const std::vector<std::uint32_t>& palette,
                 const Bytes& rle) {
    Bytes out = Headers(depth, width, height, depth == 8 ? 1 : 2, palette, rle.size(), true);
    out.insert(out.end(), rle.begin(), rle.end());
    return out;
}

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
    // Tests run in parallel processes: the test's own name keeps their files apart.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = ::testing::TempDir() + "kelvandor-image-" +
                             (test != nullptr ? std::string(test->name()) + "-" : "") + name;
    // Removing first instead of truncating: the file system flushes a truncated file to disk
    // on close, which makes thousands of rewrites slow.
    std::remove(path.c_str());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace kelvandor::testimages

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>

namespace kelvandor::testimages {

namespace {

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

}  // namespace

Bytes PngFile(const PngPicture& picture) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the test picture";
        return {};
    }
    png_set_write_fn(png, &out, AppendToBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), picture.bitDepth, picture.colourType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::uint32_t entry : picture.palette) {
        palette.push_back({static_cast<png_byte>(entry >> 16), static_cast<png_byte>(entry >> 8),
                           static_cast<png_byte>(entry)});
    }
    if (!palette.empty()) {
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!picture.transparency.empty()) {
        png_set_tRNS(png, info, picture.transparency.data(),
                     static_cast<int>(picture.transparency.size()), nullptr);
    }
    std::vector<png_text> texts;
    for (const auto& [key, text] : picture.texts) {
        png_text t{};
        t.compression = PNG_TEXT_COMPRESSION_NONE;
        t.key = const_cast<char*>(key.c_str());
        t.text = const_cast<char*>(text.c_str());
        t.text_length = text.size();
        texts.push_back(t);
    }
    if (!texts.empty()) {
        png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
    }
    std::vector<png_bytep> rows;
    for (const Bytes& row : picture.rows) {
        rows.push_back(const_cast<png_bytep>(row.data()));
    }
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes JpegFile(int width, int height, int components, const Bytes& samples, int quality,
               const std::vector<std::string>& comments, bool progressive) {
    jpeg_compress_struct encoder{};
    jpeg_error_mgr errors{};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &buffer, &size);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = components;
    encoder.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    if (progressive) {
        jpeg_simple_progression(&encoder);
    }
    jpeg_start_compress(&encoder, TRUE);
    for (const std::string& comment : comments) {
        jpeg_write_marker(&encoder, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                          static_cast<unsigned>(comment.size()));
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
    while (encoder.next_scanline < encoder.image_height) {
        auto row = const_cast<JSAMPROW>(samples.data() + rowBytes * encoder.next_scanline);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace kelvandor::testimages
