#include "tests/image/TestImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/support/TempFolder.h"

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

void LoadMutations(const Bytes& original, std::uint32_t seed, int rounds) {
    std::mt19937 random(seed);
    const std::string path = testimages::WriteTempFile("mutated", {});
    for (int round = 0; round < rounds; ++round) {
        Bytes bytes = original;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            // Headers hold the sizes and counts that matter most; hit them more often.
            const std::size_t limit =
                random() % 2 ? std::min<std::size_t>(bytes.size(), 128) : bytes.size();
            bytes[random() % limit] = static_cast<std::uint8_t>(random());
        }
        if (random() % 4 == 0) {
            bytes.resize(random() % bytes.size());
        }
        testimages::WriteTempFile("mutated", bytes);
        CDibImage image;
        const int result = LoadImageFile(path, image);
        ASSERT_GE(result, -7) << "round " << round;
        ASSERT_LE(result, 0) << "round " << round;
        if (result == 0) {
            ASSERT_FALSE(image.IsEmpty());
            ASSERT_EQ(image.imageSize, static_cast<std::size_t>(image.stride) * image.height);
        } else {
            ASSERT_TRUE(image.IsEmpty()) << "round " << round;
        }
    }
}

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
    // Tests run in parallel processes, and two runs of the suite may share the temporary
    // directory: a folder of the process's own, removed when it ends, and the test's name
    // keep their files apart.
    static const test::TempFolder folder;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = folder.Path() + "/" +
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
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

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
    if (picture.colourKey) {
        png_color_16 key = *picture.colourKey;
        png_set_tRNS(png, info, nullptr, 0, &key);
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

namespace {

// An Exif block (APP1 payload) with one IFD entry: the orientation.
Bytes ExifBlock(int orientation, bool bigEndian) {
    Bytes out = {'E', 'x', 'i', 'f', 0, 0};
    const auto put16 = [&](std::uint32_t v) {
        if (bigEndian) {
            out.push_back(static_cast<std::uint8_t>(v >> 8));
            out.push_back(static_cast<std::uint8_t>(v));
        } else {
            PutLe16(out, v);
        }
    };
    const auto put32 = [&](std::uint32_t v) {
        put16(bigEndian ? v >> 16 : v & 0xFFFF);
        put16(bigEndian ? v & 0xFFFF : v >> 16);
    };
    out.push_back(bigEndian ? 'M' : 'I');
    out.push_back(bigEndian ? 'M' : 'I');
    put16(42);
    put32(8);
    put16(2);  // two entries: a resolution unit first, then the orientation
    put16(0x0128);
    put16(3);
    put32(1);
    put16(2);
    put16(0);
    put16(0x0112);
    put16(3);
    put32(1);
    put16(static_cast<std::uint32_t>(orientation));
    put16(0);
    put32(0);
    return out;
}

Bytes WriteJpeg(int width, int height, int components, const Bytes& samples, int quality,
                const std::vector<std::string>& comments, bool progressive,
                const JpegExtras& extras) {
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
    if (components == 4 && extras.ycck) {
        jpeg_set_colorspace(&encoder, JCS_YCCK);
    }
    if (components == 4 && !extras.adobeMarker) {
        encoder.write_Adobe_marker = FALSE;
    }
    if (progressive) {
        jpeg_simple_progression(&encoder);
    }
    jpeg_start_compress(&encoder, TRUE);
    if (extras.orientation != 0) {
        const Bytes exif = ExifBlock(extras.orientation, extras.bigEndianExif);
        jpeg_write_marker(&encoder, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    }
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

}  // namespace

Bytes JpegFileWith(int width, int height, int components, const Bytes& samples,
                   const JpegExtras& extras, int quality) {
    return WriteJpeg(width, height, components, samples, quality, {}, false, extras);
}

Bytes JpegFile(int width, int height, int components, const Bytes& samples, int quality,
               const std::vector<std::string>& comments, bool progressive) {
    return WriteJpeg(width, height, components, samples, quality, comments, progressive, {});
}

}  // namespace kelvandor::testimages

namespace kelvandor::testimages {

Bytes TiffFile(const TiffPicture& picture) {
    const std::string path = WriteTempFile("written.tif", {});
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr) {
        ADD_FAILURE() << "libtiff could not open " << path;
        return {};
    }
    for (int page = 0; page < picture.pages; ++page) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(picture.width));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(picture.height));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL,
                     static_cast<std::uint16_t>(picture.samplesPerPixel));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE,
                     static_cast<std::uint16_t>(picture.bitsPerSample));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, static_cast<std::uint16_t>(picture.photometric));
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(picture.compression));
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, static_cast<std::uint16_t>(picture.orientation));
        // JPEG strips hold whole blocks of 8 rows; the others get several strips.
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, picture.compression == COMPRESSION_JPEG ? 8u : 2u);
        if (picture.extraSamples != 0) {
            const std::uint16_t kind = static_cast<std::uint16_t>(picture.extraSamples);
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
        }
        if (picture.compression == COMPRESSION_JPEG) {
            TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 100);
        }
        if (!picture.colourMap.empty()) {
            const std::size_t n = picture.colourMap.size() / 3;
            std::vector<std::uint16_t> map = picture.colourMap;
            TIFFSetField(tiff, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
        }
        if (picture.pages > 1) {
            TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
            TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(page),
                         static_cast<std::uint16_t>(picture.pages));
        }
        for (int y = 0; y < picture.height; ++y) {
            Bytes row = picture.rows[static_cast<std::size_t>(y)];
            if (page > 0) {
                for (std::uint8_t& b : row) {
                    b = static_cast<std::uint8_t>(~b);
                }
            }
            if (TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) < 0) {
                ADD_FAILURE() << "libtiff could not write row " << y;
            }
        }
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Bytes WebpFile(int width, int height, const std::vector<std::uint32_t>& argb, bool lossless,
               bool withAlpha) {
    Bytes bgra;
    for (const std::uint32_t p : argb) {
        bgra.push_back(static_cast<std::uint8_t>(p));
        bgra.push_back(static_cast<std::uint8_t>(p >> 8));
        bgra.push_back(static_cast<std::uint8_t>(p >> 16));
        if (withAlpha) {
            bgra.push_back(static_cast<std::uint8_t>(p >> 24));
        }
    }
    std::uint8_t* output = nullptr;
    std::size_t size = 0;
    if (withAlpha) {
        size = lossless ? WebPEncodeLosslessBGRA(bgra.data(), width, height, width * 4, &output)
                        : WebPEncodeBGRA(bgra.data(), width, height, width * 4, 100, &output);
    } else {
        size = lossless ? WebPEncodeLosslessBGR(bgra.data(), width, height, width * 3, &output)
                        : WebPEncodeBGR(bgra.data(), width, height, width * 3, 100, &output);
    }
    Bytes out(output, output + size);
    WebPFree(output);
    return out;
}

Bytes AnimatedWebpFile(int width, int height,
                       const std::vector<std::vector<std::uint32_t>>& frames) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const std::vector<std::uint32_t>& frame : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        WebPPictureAlloc(&picture);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                picture.argb[y * picture.argb_stride + x] =
                    frame[static_cast<std::size_t>(y) * width + x];
            }
        }
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    Bytes out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    return out;
}

}  // namespace kelvandor::testimages
