// TIFF (libtiff), WebP (libwebp) and EPS with a TIFF preview, on files written by the
// libraries' own writers.

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;
using testimages::TiffPicture;

int Load(const Bytes& file, CDibImage& image, const std::string& name = "picture") {
    return LoadImageFile(testimages::WriteTempFile(name, file), image);
}

std::uint32_t Pixel(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    return image.getPixel(image.Row(y), x);
}

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int tolerance,
                const std::string& where) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        EXPECT_LE(std::abs(a - e), tolerance)
            << where << ": " << std::hex << actual << " vs " << expected;
    }
}

// 0xRRGGBB colours of a 6 x 4 picture; flat 2 x 2 cells, so that lossy coders keep them.
std::uint32_t CellColour(int x, int y) {
    static const std::uint32_t kColours[6] = {0xFF0000, 0x00FF00, 0x0000FF,
                                              0xFFFFFF, 0x202020, 0xFFCC00};
    return kColours[(x / 2) + 3 * (y / 2)];
}

std::vector<Bytes> RgbRows(int width, int height, bool withAlpha) {
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = CellColour(x, y);
            row.insert(row.end(),
                       {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                        static_cast<std::uint8_t>(c)});
            if (withAlpha) {
                row.push_back(static_cast<std::uint8_t>(x * 51));  // 0 to 255 across
            }
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(TiffReaderTest, RgbInEveryCommonCompressionBecomesTwentyFourBits) {
    for (const int compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                  COMPRESSION_PACKBITS, COMPRESSION_JPEG}) {
        TiffPicture picture;
        picture.width = 6;
        picture.height = 4;
        picture.compression = compression;
        picture.rows = RgbRows(6, 4, false);
        CDibImage image;
        ASSERT_EQ(Load(testimages::TiffFile(picture), image), 0)
            << compression << " " << LastImageError();
        ASSERT_EQ(image.bitsPerPixel, 24u);
        const int tolerance = compression == COMPRESSION_JPEG ? 40 : 0;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                ExpectNear(Pixel(image, x, y), CellColour(x, y), tolerance,
                           "compression " + std::to_string(compression));
            }
        }
    }
}

TEST(TiffReaderTest, AlphaStaysStraightAndOnlyTheFirstPageIsRead) {
    TiffPicture picture;
    picture.width = 6;
    picture.height = 4;
    picture.samplesPerPixel = 4;
    picture.extraSamples = EXTRASAMPLE_UNASSALPHA;
    picture.rows = RgbRows(6, 4, true);
    picture.pages = 3;
    CDibImage image;
    ASSERT_EQ(Load(testimages::TiffFile(picture), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    for (int x = 1; x < 6; ++x) {
        // libtiff premultiplies; unpremultiplying loses a little where alpha is small.
        const int alpha = x * 51;
        ExpectNear(Pixel(image, x, 3), CellColour(x, 3) | static_cast<std::uint32_t>(alpha) << 24,
                   255 / alpha + 1, "x " + std::to_string(x));
    }
    EXPECT_EQ(Pixel(image, 0, 0) >> 24, 0u);
}

TEST(TiffReaderTest, GreyPaletteBilevelAndCmykBecomeColours) {
    CDibImage image;
    TiffPicture grey16;
    grey16.width = 3;
    grey16.samplesPerPixel = 1;
    grey16.bitsPerSample = 16;
    grey16.photometric = PHOTOMETRIC_MINISBLACK;
    grey16.rows = {Bytes(6)};
    const std::uint16_t levels[3] = {0x0000, 0x8080, 0xFFFF};
    std::memcpy(grey16.rows[0].data(), levels, 6);
    ASSERT_EQ(Load(testimages::TiffFile(grey16), image), 0) << LastImageError();
    ExpectNear(Pixel(image, 1, 0), 0x808080, 1, "grey 16");
    EXPECT_EQ(Pixel(image, 2, 0) & 0xFFFFFF, 0xFFFFFFu);

    TiffPicture palette;
    palette.width = 2;
    palette.samplesPerPixel = 1;
    palette.photometric = PHOTOMETRIC_PALETTE;
    palette.colourMap.assign(3 * 256, 0);
    palette.colourMap[1] = 0xFFFF;        // entry 1 red
    palette.colourMap[256 + 2] = 0x8000;  // entry 2 half green
    palette.rows = {{1, 2}};
    ASSERT_EQ(Load(testimages::TiffFile(palette), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0) & 0xFFFFFF, 0xFF0000u);
    ExpectNear(Pixel(image, 1, 0) & 0xFFFFFF, 0x008000, 1, "palette");

    TiffPicture bilevel;
    bilevel.width = 8;
    bilevel.samplesPerPixel = 1;
    bilevel.bitsPerSample = 1;
    bilevel.photometric = PHOTOMETRIC_MINISWHITE;
    bilevel.compression = COMPRESSION_CCITTFAX4;
    bilevel.rows = {{0xF0}};
    ASSERT_EQ(Load(testimages::TiffFile(bilevel), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(Pixel(image, 7, 0) & 0xFFFFFF, 0xFFFFFFu);

    TiffPicture cmyk;
    cmyk.width = 2;
    cmyk.samplesPerPixel = 4;
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    cmyk.rows = {{255, 0, 255, 0, 0, 0, 0, 255}};  // full cyan and yellow: green; full black
    ASSERT_EQ(Load(testimages::TiffFile(cmyk), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Pixel(image, 1, 0) & 0xFFFFFF, 0x000000u);
}

TiffPicture SmallRgb() {
    TiffPicture picture;
    picture.width = 6;
    picture.height = 4;
    picture.compression = COMPRESSION_LZW;
    picture.rows = RgbRows(6, 4, false);
    return picture;
}

TEST(TiffReaderTest, DamagedAndUnsupportedFilesGiveTiffMessagesAndNoPicture) {
    const Bytes whole = testimages::TiffFile(SmallRgb());
    CDibImage image;
    EXPECT_EQ(Load(Bytes(whole.begin(), whole.begin() + 6), image), -1);
    EXPECT_EQ(LastImageError(), "Falscher Header");

    TiffPicture floats = SmallRgb();
    floats.compression = COMPRESSION_NONE;
    floats.samplesPerPixel = 2;  // grey with an unnamed extra sample at 8 bits is fine ...
    floats.photometric = PHOTOMETRIC_LOGLUV;  // ... but this model needs other data
    floats.rows.assign(4, Bytes(12, 0));
    const int result = Load(testimages::TiffFile(floats), image);
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(LastImageError() == "Modus ist nicht unterst\xFCtzt" ||
                LastImageError() == "Falscher Eintrag")
        << LastImageError();
    EXPECT_TRUE(image.IsEmpty());

    for (std::size_t length = 8; length + 1 < whole.size(); length += 3) {
        const int cut =
            Load(Bytes(whole.begin(), whole.begin() + static_cast<long>(length)), image);
        EXPECT_EQ(cut, -1) << length;
        EXPECT_TRUE(image.IsEmpty()) << length;
    }
}

// cell x cell pixels per colour cell; alpha rises across the picture and is never 0 (an
// encoder may drop the colour of invisible pixels).
std::vector<std::uint32_t> Argb(int width, int height, bool withAlpha, int cell = 2) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t alpha =
                withAlpha ? static_cast<std::uint32_t>(40 + x * 215 / width) : 255;
            pixels.push_back(alpha << 24 | CellColour((x * 2 / cell) % 6, (y * 2 / cell) % 4));
        }
    }
    return pixels;
}

TEST(WebpReaderTest, LosslessAndLossyWithAndWithoutAlpha) {
    for (const bool lossless : {true, false}) {
        for (const bool alpha : {false, true}) {
            // Lossy coding works on 16 x 16 blocks with halved colour resolution: only large
            // flat cells keep their colours.
            const int cell = lossless ? 2 : 16;
            const int width = 3 * cell, height = 2 * cell;
            const std::vector<std::uint32_t> pixels = Argb(width, height, alpha, cell);
            CDibImage image;
            // Saved with a .jpg name, as downloads often are: the content decides.
            ASSERT_EQ(Load(testimages::WebpFile(width, height, pixels, lossless, alpha), image,
                           "photo.jpg"),
                      0)
                << LastImageError();
            ASSERT_EQ(image.bitsPerPixel, alpha ? 32u : 24u);
            ASSERT_EQ(image.width, static_cast<std::uint32_t>(width));
            for (int y = cell / 2; y < height; y += cell) {
                for (int x = cell / 2; x < width; x += cell) {
                    const std::uint32_t expected =
                        pixels[y * width + x] & (alpha ? ~0u : 0xFFFFFFu);
                    const std::uint32_t got = Pixel(image, x, y);
                    if (lossless) {
                        EXPECT_EQ(got, expected) << x << "," << y;
                    } else {
                        ExpectNear(got, expected, 12, "lossy");
                    }
                }
            }
        }
    }
}

TEST(WebpReaderTest, AnimationShowsItsFirstFrame) {
    std::vector<std::uint32_t> first = Argb(6, 4, false);
    std::vector<std::uint32_t> second(24, 0xFF123456);
    CDibImage image;
    ASSERT_EQ(Load(testimages::AnimatedWebpFile(6, 4, {first, second}), image), 0)
        << LastImageError();
    ASSERT_EQ(image.width, 6u);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(Pixel(image, x, y), first[y * 6 + x]) << x << "," << y;
        }
    }
}

TEST(WebpReaderTest, DamagedFilesGiveWebpMessagesAndNoPicture) {
    const Bytes whole = testimages::WebpFile(6, 4, Argb(6, 4, true), true, true);
    CDibImage image;
    for (std::size_t length = 12; length < whole.size(); length += 5) {
        EXPECT_EQ(Load(Bytes(whole.begin(), whole.begin() + static_cast<long>(length)), image), -1);
        EXPECT_EQ(LastImageError(), "Fehler beim Lesen der WebP-Datei !") << length;
        EXPECT_TRUE(image.IsEmpty());
    }
    Bytes garbled = whole;
    for (std::size_t i = 30; i < garbled.size(); ++i) {
        garbled[i] = static_cast<std::uint8_t>(i * 7);
    }
    EXPECT_EQ(Load(garbled, image), -1);
    EXPECT_EQ(LastImageError(),
              "Besch\xE4"
              "digte WebP-Datei !");
    EXPECT_TRUE(image.IsEmpty());
}

// A DOS EPS file: the 30-byte binary header, then PostScript, then the previews.
Bytes DosEps(const Bytes& tiff, bool withWmf) {
    const std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 6 4\n";
    Bytes out = {0xC5, 0xD0, 0xD3, 0xC6};
    const std::uint32_t psOffset = 30;
    const std::uint32_t wmfLength = withWmf ? 16 : 0;
    testimages::PutLe32(out, psOffset);
    testimages::PutLe32(out, static_cast<std::uint32_t>(postscript.size()));
    testimages::PutLe32(out,
                        withWmf ? psOffset + static_cast<std::uint32_t>(postscript.size()) : 0);
    testimages::PutLe32(out, wmfLength);
    const std::uint32_t tiffOffset =
        psOffset + static_cast<std::uint32_t>(postscript.size()) + wmfLength;
    testimages::PutLe32(out, tiff.empty() ? 0 : tiffOffset);
    testimages::PutLe32(out, static_cast<std::uint32_t>(tiff.size()));
    testimages::PutLe16(out, 0xFFFF);
    out.insert(out.end(), postscript.begin(), postscript.end());
    out.insert(out.end(), wmfLength, 0);
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
}

TEST(EpsReaderTest, ShownThroughItsTiffPreviewOtherwiseRefused) {
    const Bytes tiff = testimages::TiffFile(SmallRgb());
    CDibImage image;
    ASSERT_EQ(Load(DosEps(tiff, true), image), 0) << LastImageError();
    EXPECT_EQ(image.width, 6u);
    EXPECT_EQ(Pixel(image, 5, 3) & 0xFFFFFF, CellColour(5, 3));

    const char* const kNotSupported = "Das Format der EPS-Datei wird nicht unterst\xFCtzt !";
    const std::string plain = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 6 4\nshowpage\n";
    EXPECT_EQ(Load(Bytes(plain.begin(), plain.end()), image), -1);
    EXPECT_EQ(LastImageError(), kNotSupported);
    EXPECT_EQ(Load(DosEps({}, true), image), -1);
    EXPECT_EQ(LastImageError(), kNotSupported);

    Bytes damaged = DosEps(tiff, false);
    damaged[damaged.size() - tiff.size() + 2] = 7;  // the preview's TIFF magic number
    EXPECT_EQ(Load(damaged, image), -1);
    EXPECT_EQ(LastImageError(),
              "Besch\xE4"
              "digte EPS-Datei !");
    const Bytes whole = DosEps(tiff, false);
    EXPECT_EQ(Load(Bytes(whole.begin(), whole.end() - 10), image), -1);
    EXPECT_EQ(LastImageError(), "Fehler beim Lesen der EPS-Datei !");
    EXPECT_TRUE(image.IsEmpty());
}

}  // namespace
}  // namespace kelvandor
