#include <gtest/gtest.h>

#include <string>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::BmpFile;
using testimages::Bytes;
using testimages::RleBmpFile;
using testimages::WriteTempFile;

const char* const kReadError = "Fehler beim Lesen der BMP-Datei !";

int Load(const Bytes& file, CDibImage& image) {
    return LoadImageFile(WriteTempFile("picture.bmp", file), image);
}

std::uint32_t Pixel(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    return image.getPixel(image.Row(y), x);
}

// A picture whose every pixel differs from its neighbours, so that a row or column mix-up
// shows.
std::vector<std::uint32_t> Pattern(int width, int height, std::uint32_t modulo) {
    std::vector<std::uint32_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(static_cast<std::uint32_t>(i * 2654435761u) % modulo);
    }
    return pixels;
}

std::vector<std::uint32_t> GreyPalette(int count) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < count; ++i) {
        palette.push_back(0x010101u * static_cast<std::uint32_t>(i * 255 / std::max(count - 1, 1)));
    }
    return palette;
}

TEST(BmpReaderTest, ReadsEveryDepthBottomUpAndTopDown) {
    struct Case {
        int depth;
        std::uint32_t modulo;
    };
    for (const Case c :
         {Case{1, 2}, Case{4, 16}, Case{8, 256}, Case{24, 0x1000000}, Case{32, 0xFFFFFFFF}}) {
        for (const int sign : {1, -1}) {
            const int width = 13, height = 5;
            const auto pixels = Pattern(width, height, c.modulo);
            const auto palette =
                c.depth <= 8 ? GreyPalette(1 << c.depth) : std::vector<std::uint32_t>{};
            CDibImage image;
            ASSERT_EQ(Load(BmpFile(c.depth, width, sign * height, palette, pixels), image), 0)
                << c.depth << " " << LastImageError();
            ASSERT_EQ(image.bitsPerPixel, static_cast<std::uint32_t>(c.depth));
            ASSERT_EQ(image.height, 5u);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(Pixel(image, x, y), pixels[y * width + x])
                        << "depth " << c.depth << " sign " << sign << " at " << x << "," << y;
                }
            }
            if (c.depth <= 8) {
                EXPECT_EQ(image.palette[1], palette[1]);
            }
        }
    }
}

TEST(BmpReaderTest, BareInfoHeaderKeepsAlphaOfPixelsAndPalette) {
    const std::vector<std::uint32_t> argb = {0x80FF0000, 0x00000000, 0xFF00FF00, 0x01020304};
    CDibImage image;
    ASSERT_EQ(Load(BmpFile(32, 2, 2, {}, argb, false), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0), 0x80FF0000u);
    EXPECT_EQ(Pixel(image, 1, 1), 0x01020304u);
    EXPECT_TRUE(image.HasAlpha());

    CDibImage indexed;
    ASSERT_EQ(Load(BmpFile(8, 2, 1, {0x7F112233, 0xFF445566}, {1, 0}, false), indexed), 0);
    EXPECT_EQ(indexed.palette[0], 0x7F112233u);
    EXPECT_EQ(indexed.palette[1], 0xFF445566u);
    EXPECT_EQ(indexed.palette[2], 0x008000u);  // beyond the file's entries: the default palette
}

TEST(BmpReaderTest, BitmapResourceByPathAndById) {
    CDibImage image;
    ASSERT_EQ(LoadImageFile("res://bitmap/9001", image), 0) << LastImageError();
    EXPECT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0), 0x80FF0000u);
    EXPECT_EQ(Pixel(image, 1, 1), 0x40102030u);

    CDibImage byId;
    ASSERT_TRUE(byId.LoadBitmapResource(9001));
    EXPECT_EQ(Pixel(byId, 1, 0), 0x0000FF00u);
    EXPECT_FALSE(byId.LoadBitmapResource(9999));
    EXPECT_TRUE(byId.IsEmpty());
}

TEST(BmpReaderTest, CoreHeaderWithThreeBytePaletteEntries) {
    Bytes file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0};
    testimages::PutLe32(file, 12);
    testimages::PutLe16(file, 3);  // width
    testimages::PutLe16(file, 1);  // height
    testimages::PutLe16(file, 1);
    testimages::PutLe16(file, 1);  // 1 bit
    file.insert(file.end(), {0x10, 0x20, 0x30, 0xF0, 0xE0, 0xD0});
    file.insert(file.end(), {0xA0, 0, 0, 0});  // pixels 1, 0, 1
    CDibImage image;
    ASSERT_EQ(Load(file, image), 0) << LastImageError();
    EXPECT_EQ(image.palette[0], 0x302010u);
    EXPECT_EQ(image.palette[1], 0xD0E0F0u);
    EXPECT_EQ(Pixel(image, 0, 0), 1u);
    EXPECT_EQ(Pixel(image, 1, 0), 0u);
    EXPECT_EQ(Pixel(image, 2, 0), 1u);
}

TEST(BmpReaderTest, Rle8WithEveryEscape) {
    // Bottom line: run of 3 x 7, literal 1 2 3 (padded), end of line. Next line: delta to
    // (2, 2), run of 2 x 9, end of bitmap. Skipped pixels stay index 0.
    const Bytes rle = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
    CDibImage image;
    ASSERT_EQ(Load(RleBmpFile(8, 6, 3, GreyPalette(16), rle), image), 0) << LastImageError();
    const std::uint32_t expected[3][6] = {
        {0, 0, 9, 9, 0, 0}, {0, 0, 0, 0, 0, 0}, {7, 7, 7, 1, 2, 3}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(Pixel(image, x, y), expected[y][x]) << x << "," << y;
        }
    }
}

TEST(BmpReaderTest, Rle4AlternatesNibbles) {
    // Run of 5 alternating 1 and 2, literal of 3 nibbles 4 5 6 (2 bytes, even), end of bitmap.
    const Bytes rle = {5, 0x12, 0, 3, 0x45, 0x60, 0, 1};
    CDibImage image;
    ASSERT_EQ(Load(RleBmpFile(4, 8, 1, GreyPalette(16), rle), image), 0) << LastImageError();
    const std::uint32_t expected[8] = {1, 2, 1, 2, 1, 4, 5, 6};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(Pixel(image, x, 0), expected[x]) << x;
    }
}

TEST(BmpReaderTest, DamagedFilesAreRefusedWithTheReadersMessage) {
    const auto palette = GreyPalette(256);
    struct Case {
        const char* what;
        Bytes file;
        const char* message;
    };
    Bytes paletteTooLong = BmpFile(8, 2, 2, palette, {0, 1, 2, 3});
    paletteTooLong[14 + 32] = 0x01;  // colours used 257
    paletteTooLong[14 + 33] = 0x01;
    Bytes offsetInHeader = BmpFile(24, 2, 2, {}, {0, 1, 2, 3});
    offsetInHeader[10] = 20;
    Bytes twoBits = BmpFile(24, 2, 2, {}, {0, 1, 2, 3});
    twoBits[28] = 2;
    Bytes rle24 = BmpFile(24, 2, 2, {}, {0, 1, 2, 3});
    rle24[30] = 1;
    Bytes tooWide = BmpFile(24, 2, 2, {}, {0, 1, 2, 3});
    tooWide[18 + 2] = 1;  // width 65538
    Bytes oddHeader = BmpFile(24, 2, 2, {}, {0, 1, 2, 3});
    oddHeader[14] = 20;
    const Case cases[] = {
        {"run past the right edge", RleBmpFile(8, 4, 2, palette, {5, 1, 0, 1}), kReadError},
        {"literal past the edge", RleBmpFile(8, 4, 2, palette, {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}),
         kReadError},
        {"rows beyond the top", RleBmpFile(8, 2, 1, palette, {0, 0, 2, 1, 0, 1}), kReadError},
        {"delta out of the image", RleBmpFile(8, 2, 2, palette, {0, 2, 0, 5, 0, 1}), kReadError},
        {"no end of bitmap", RleBmpFile(4, 4, 2, GreyPalette(16), {2, 0x11}), kReadError},
        {"palette above 256", paletteTooLong,
         "Besch\xE4"
         "digte BMP-Datei !"},
        {"pixels inside the header", offsetInHeader,
         "Besch\xE4"
         "digte BMP-Datei !"},
        {"2 bits", twoBits, "Das Format der BMP-Datei wird nicht unterst\xFCtzt !"},
        {"24 bits run-length encoded", rle24,
         "Das Format der BMP-Datei wird nicht unterst\xFCtzt !"},
        {"header size 20", oddHeader, "Das Format der BMP-Datei wird nicht unterst\xFCtzt !"},
        {"too wide", tooWide, "Fehler beim Unknown Error"},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(Load(c.file, image), -1) << c.what;
        EXPECT_EQ(LastImageError(), c.message) << c.what;
    }
}

// A bitmap with bit-field compression: an info header of headerSize bytes (40 puts the masks
// after it), the masks, and rows of depth bits, bottom-up.
Bytes BitFieldsBmp(int depth, int width, int height, std::vector<std::uint32_t> masks,
                   const std::vector<std::uint32_t>& pixels, std::uint32_t headerSize = 40) {
    const std::size_t rowBytes = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
    const std::uint32_t compression = masks.size() == 4 && headerSize == 40 ? 6 : 3;
    Bytes info;
    testimages::PutLe32(info, headerSize);
    testimages::PutLe32(info, static_cast<std::uint32_t>(width));
    testimages::PutLe32(info, static_cast<std::uint32_t>(height));
    testimages::PutLe16(info, 1);
    testimages::PutLe16(info, static_cast<std::uint32_t>(depth));
    testimages::PutLe32(info, compression);
    for (int i = 0; i < 5; ++i) {
        testimages::PutLe32(info, 0);
    }
    masks.resize(headerSize == 40 ? masks.size() : (headerSize - 40) / 4, 0);
    for (const std::uint32_t mask : masks) {
        testimages::PutLe32(info, mask);
    }
    info.resize(std::max<std::size_t>(info.size(), headerSize), 0);
    Bytes out = {'B', 'M'};
    testimages::PutLe32(out, static_cast<std::uint32_t>(14 + info.size() + rowBytes * height));
    testimages::PutLe32(out, 0);
    testimages::PutLe32(out, static_cast<std::uint32_t>(14 + info.size()));
    out.insert(out.end(), info.begin(), info.end());
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[static_cast<std::size_t>(y) * width + x];
            for (int b = 0; b < depth / 8; ++b) {
                row[x * (depth / 8) + b] = static_cast<std::uint8_t>(v >> (8 * b));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

TEST(BmpReaderTest, BitFieldMasksGiveTheColoursAtSixteenAndThirtyTwoBits) {
    struct Case {
        const char* what;
        Bytes file;
        std::uint32_t depth;
        std::uint32_t white;  // the first pixel
        std::uint32_t green;  // the second pixel
    };
    const Case cases[] = {
        {"5:5:5 without masks", BmpFile(16, 2, 1, {}, {0x7FFF, 0x03E0}), 24, 0xFFFFFF, 0x00FF00},
        {"5:6:5", BitFieldsBmp(16, 2, 1, {0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x07E0}), 24, 0xFFFFFF,
         0x00FF00},
        {"1:5:5:5 with alpha",
         BitFieldsBmp(16, 2, 1, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0xFFFF, 0x03E0}), 32, 0xFFFFFFFF,
         0x0000FF00},
        {"4:4:4:4 in a V3 header",
         BitFieldsBmp(16, 2, 1, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0xFFFF, 0x80F0}, 56), 32,
         0xFFFFFFFF, 0x8800FF00},
        // Masks that the old reader took for the default ones: white turned yellow.
        {"R G B X",
         BitFieldsBmp(32, 2, 1, {0xFF000000, 0x00FF0000, 0x0000FF00}, {0xFFFFFF00, 0x00FF0000}), 32,
         0xFFFFFFFF, 0xFF00FF00},
        {"V5 header with alpha",
         BitFieldsBmp(32, 2, 1, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                      {0x40FFFFFF, 0xFF00FF00}, 124),
         32, 0x40FFFFFF, 0xFF00FF00},
    };
    for (const Case& c : cases) {
        CDibImage image;
        ASSERT_EQ(Load(c.file, image), 0) << c.what << ": " << LastImageError();
        EXPECT_EQ(image.bitsPerPixel, c.depth) << c.what;
        EXPECT_EQ(Pixel(image, 0, 0), c.white) << c.what;
        EXPECT_EQ(Pixel(image, 1, 0), c.green) << c.what;
    }
    CDibImage image;
    EXPECT_EQ(Load(BitFieldsBmp(16, 2, 1, {0xF0F0, 0x0F00, 0x000F}, {0, 0}), image), -1);
    EXPECT_EQ(LastImageError(),
              "Besch\xE4"
              "digte BMP-Datei !");
}

TEST(BmpReaderTest, ThirtyTwoBitsWithoutAnyAlphaAreOpaque) {
    CDibImage image;
    ASSERT_EQ(Load(BmpFile(32, 2, 1, {}, {0x00FFFFFF, 0x00102030}), image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(image, 1, 0), 0xFF102030u);
    // One alpha byte that is not 0 makes them all count.
    ASSERT_EQ(Load(BmpFile(32, 2, 1, {}, {0x00FFFFFF, 0x01102030}), image), 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00FFFFFFu);
}

TEST(BmpReaderTest, RleRowsThatEncodeTheirPaddingLoad) {
    // As ImageMagick writes them: every row encodes as many pixels as its padded length
    // holds, 4 for a width of 3 (or 2), 8 for 5. A run one further is still an error.
    const Bytes padded = {4, 5, 0, 0, 0, 4, 1, 2, 3, 9, 0, 1};
    CDibImage image;
    ASSERT_EQ(Load(RleBmpFile(8, 3, 2, GreyPalette(16), padded), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 2, 1), 5u);
    EXPECT_EQ(Pixel(image, 0, 0), 1u);
    EXPECT_EQ(Pixel(image, 2, 0), 3u);
    ASSERT_EQ(Load(RleBmpFile(8, 5, 1, GreyPalette(16), {3, 7, 5, 8, 0, 1}), image), 0);
    EXPECT_EQ(Pixel(image, 4, 0), 8u);
    ASSERT_EQ(Load(RleBmpFile(4, 5, 1, GreyPalette(16), {8, 0x12, 0, 1}), image), 0);
    EXPECT_EQ(Pixel(image, 4, 0), 1u);
    EXPECT_EQ(Load(RleBmpFile(8, 3, 2, GreyPalette(16), {5, 5, 0, 1}), image), -1);
    EXPECT_EQ(Load(RleBmpFile(8, 5, 1, GreyPalette(16), {9, 5, 0, 1}), image), -1);
    EXPECT_EQ(Load(RleBmpFile(4, 5, 1, GreyPalette(16), {9, 0x12, 0, 1}), image), -1);
}

TEST(BmpReaderTest, EmbeddedPngOrJpegIsLoadedNotTakenForPixels) {
    testimages::PngPicture png;
    png.width = 2;
    png.height = 1;
    png.rows = {{10, 20, 30, 40, 50, 60}};
    const Bytes pngBytes = testimages::PngFile(png);
    Bytes file = BmpFile(24, 2, 1, {}, {0, 0});
    file.resize(14 + 40);
    file[30] = 5;                                           // compression: PNG
    file[28] = 0;                                           // bit count 0, as documented
    file[34] = static_cast<std::uint8_t>(pngBytes.size());  // image size
    file.insert(file.end(), pngBytes.begin(), pngBytes.end());
    CDibImage image;
    ASSERT_EQ(Load(file, image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 1, 0), 0x28323Cu);

    Bytes damaged = file;
    damaged[14 + 40 + 20] ^= 0x40;  // inside the PNG's header chunk
    EXPECT_EQ(Load(damaged, image), -1);
    EXPECT_EQ(LastImageError(),
              "Besch\xE4"
              "digte BMP-Datei !");
    EXPECT_TRUE(image.IsEmpty());

    Bytes jpeg = BmpFile(24, 8, 8, {}, std::vector<std::uint32_t>(64, 0));
    jpeg.resize(14 + 40);
    jpeg[30] = 4;
    jpeg[34] = 0;  // no size: up to the end
    const Bytes jpegBytes = testimages::JpegFile(8, 8, 3, Bytes(192, 200));
    jpeg.insert(jpeg.end(), jpegBytes.begin(), jpegBytes.end());
    ASSERT_EQ(Load(jpeg, image), 0) << LastImageError();
    EXPECT_EQ(image.bitsPerPixel, 24u);
}

TEST(BmpReaderTest, TruncatedFilesGiveCodesNotCrashes) {
    const Bytes files[] = {
        BmpFile(24, 7, 6, {}, Pattern(7, 6, 0x1000000)),
        BmpFile(4, 9, 3, GreyPalette(16), Pattern(9, 3, 16)),
        RleBmpFile(8, 6, 3, GreyPalette(16),
                   {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1}),
    };
    for (const Bytes& whole : files) {
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            CDibImage image;
            const int result = Load(cut, image);
            EXPECT_TRUE(result == -1 || result == -2) << length << ": " << result;
        }
    }
}

}  // namespace
}  // namespace kelvandor
