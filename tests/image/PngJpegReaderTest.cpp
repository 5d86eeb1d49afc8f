#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;
using testimages::PngPicture;

const char* const kWrongColour = "Falsches Farbformat";

int Load(const Bytes& file, CDibImage& image, std::string* comment = nullptr) {
    return LoadImageFile(testimages::WriteTempFile("picture", file), image, comment);
}

std::uint32_t Pixel(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    return image.getPixel(image.Row(y), x);
}

// Rows of samplesPerPixel bytes each, sample value (x * 37 + y * 101 + channel * 59) & 255.
std::vector<Bytes> ColourRows(int width, int height, int samplesPerPixel) {
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < samplesPerPixel; ++c) {
                row.push_back(static_cast<std::uint8_t>(x * 37 + y * 101 + c * 59));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(PngReaderTest, RgbAndRgbaLandInBlueGreenRedOrderAlsoWhenInterlaced) {
    for (const bool interlaced : {false, true}) {
        for (const int channels : {3, 4}) {
            PngPicture picture;
            picture.width = 11;
            picture.height = 9;
            picture.colourType = channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
            picture.interlaced = interlaced;
            picture.rows = ColourRows(11, 9, channels);
            CDibImage image;
            ASSERT_EQ(Load(testimages::PngFile(picture), image), 0) << LastImageError();
            ASSERT_EQ(image.bitsPerPixel, channels * 8u);
            for (int y = 0; y < 9; ++y) {
                for (int x = 0; x < 11; ++x) {
                    const std::uint8_t* s = &picture.rows[y][x * channels];
                    std::uint32_t expected = (s[0] << 16) | (s[1] << 8) | s[2];
                    if (channels == 4) {
                        expected |= static_cast<std::uint32_t>(s[3]) << 24;
                    }
                    ASSERT_EQ(Pixel(image, x, y), expected)
                        << x << "," << y << " interlaced " << interlaced;
                }
            }
        }
    }
}

TEST(PngReaderTest, PaletteAndGreyPicturesKeepTheirDepth) {
    PngPicture palette;
    palette.width = 5;
    palette.height = 2;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 4;
    palette.palette = {0x000000, 0x112233, 0x445566, 0xAABBCC};
    palette.rows = {{0x01, 0x23, 0x10}, {0x33, 0x22, 0x00}};
    CDibImage image;
    ASSERT_EQ(Load(testimages::PngFile(palette), image), 0) << LastImageError();
    EXPECT_EQ(image.bitsPerPixel, 4u);
    EXPECT_EQ(Pixel(image, 1, 0), 1u);
    EXPECT_EQ(Pixel(image, 3, 0), 3u);
    EXPECT_EQ(Pixel(image, 4, 0), 1u);
    EXPECT_EQ(Pixel(image, 2, 1), 2u);
    EXPECT_EQ(image.palette[3] & 0xFFFFFF, 0xAABBCCu);

    PngPicture grey;
    grey.width = 4;
    grey.height = 1;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 2;
    grey.rows = {{0x1B}};  // levels 0 1 2 3
    ASSERT_EQ(Load(testimages::PngFile(grey), image), 0) << LastImageError();
    EXPECT_EQ(image.bitsPerPixel, 2u);
    EXPECT_EQ(Pixel(image, 2, 0), 2u);
    EXPECT_EQ(image.palette[1] & 0xFFFFFF, 0x555555u);  // a grey ramp, not the default colours
    EXPECT_EQ(image.palette[3] & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PngReaderTest, PaletteTransparencyDecidesTheDepth) {
    PngPicture picture;
    picture.width = 3;
    picture.height = 1;
    picture.colourType = PNG_COLOR_TYPE_PALETTE;
    picture.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    picture.transparency = {255, 255, 255, 0};  // only the unused entry 3 is transparent
    picture.rows = {{0, 1, 2}};
    CDibImage image;
    ASSERT_EQ(Load(testimages::PngFile(picture), image), 0) << LastImageError();
    EXPECT_EQ(image.bitsPerPixel, 8u);
    EXPECT_EQ(Pixel(image, 2, 0), 2u);

    picture.transparency = {255, 128};  // entries beyond the list are opaque
    ASSERT_EQ(Load(testimages::PngFile(picture), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x8000FF00u);
    EXPECT_EQ(Pixel(image, 2, 0), 0xFF0000FFu);

    // Every used entry equal to entry 0: a mask that stays a palette picture with alpha.
    picture.rows = {{0, 0, 0}};
    picture.transparency = {0};
    ASSERT_EQ(Load(testimages::PngFile(picture), image), 0) << LastImageError();
    EXPECT_EQ(image.bitsPerPixel, 8u);
    EXPECT_EQ(image.palette[0], 0x00FF0000u);
}

// The 32-bit picture is built beside the caller's image and handed over; what the caller set
// on the image itself stays.
TEST(PngReaderTest, TransparentPaletteConversionKeepsTheCallersTextStateAndWords) {
    PngPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.colourType = PNG_COLOR_TYPE_PALETTE;
    picture.palette = {0xFF0000, 0x00FF00};
    picture.transparency = {255, 128};
    picture.rows = {{0, 1}};
    CDibImage image;
    image.alignV = 1;
    image.spacingOverride = 3;
    image.SetTextPen(CDibImage::PenSoft, 0x123456, false);
    image.lastError = kCreateErrorDepth;
    image.user1 = 41;
    ASSERT_EQ(Load(testimages::PngFile(picture), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x8000FF00u);
    EXPECT_EQ(image.alignV, 1);
    EXPECT_EQ(image.spacingOverride, 3u);
    EXPECT_EQ(image.inkColour, 0x123456u);
    EXPECT_NE(image.inkPen, nullptr);
    EXPECT_EQ(image.lastError, kCreateErrorDepth);
    EXPECT_EQ(image.user1, 41u);
}

TEST(PngReaderTest, GreyWithAlphaBecomesThirtyTwoBits) {
    PngPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    picture.rows = {{0x40, 0x80, 0xFF, 0x00}};
    CDibImage image;
    ASSERT_EQ(Load(testimages::PngFile(picture), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0), 0x80404040u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x00FFFFFFu);
}

// 16-bit sample values, big-endian as PNG stores them.
Bytes Samples16(std::initializer_list<std::uint16_t> values) {
    Bytes out;
    for (const std::uint16_t v : values) {
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

std::uint32_t Rounded(std::uint16_t v) {
    return static_cast<std::uint32_t>(v * 255.0 / 65535.0 + 0.5);
}

TEST(PngReaderTest, SixteenBitSamplesAreRoundedToEightBits) {
    // 0xFF00 rounds to 254 and 0x01C0 to 2, where cutting off the low byte would give 255
    // and 1; 0x8080 is exactly 128.
    const std::uint16_t a = 0xFF00, b = 0x8080, c = 0xFFFF, d = 0x01C0;
    ASSERT_EQ(Rounded(a), 254u);
    ASSERT_EQ(Rounded(d), 2u);
    CDibImage image;
    PngPicture rgba;
    rgba.width = 1;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.bitDepth = 16;
    rgba.rows = {Samples16({a, b, d, c})};
    ASSERT_EQ(Load(testimages::PngFile(rgba), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0),
              Rounded(c) << 24 | Rounded(a) << 16 | Rounded(b) << 8 | Rounded(d));

    PngPicture rgb = rgba;
    rgb.colourType = PNG_COLOR_TYPE_RGB;
    rgb.rows = {Samples16({c, a, b})};
    ASSERT_EQ(Load(testimages::PngFile(rgb), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 24u);
    EXPECT_EQ(Pixel(image, 0, 0), Rounded(c) << 16 | Rounded(a) << 8 | Rounded(b));

    PngPicture grey = rgba;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.width = 2;
    grey.rows = {Samples16({a, c})};
    ASSERT_EQ(Load(testimages::PngFile(grey), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 8u);
    EXPECT_EQ(Pixel(image, 0, 0), Rounded(a));
    EXPECT_EQ(image.palette[Rounded(a)] & 0xFFFFFF, 0x010101u * Rounded(a));

    PngPicture greyAlpha = grey;
    greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.width = 1;
    greyAlpha.rows = {Samples16({b, a})};
    ASSERT_EQ(Load(testimages::PngFile(greyAlpha), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0), Rounded(a) << 24 | 0x010101u * Rounded(b));
}

TEST(PngReaderTest, ColourKeyOfGreyAndRgbPicturesBecomesTransparent) {
    png_color_16 key{};
    PngPicture rgb;
    rgb.width = 2;
    rgb.rows = {{10, 20, 30, 40, 50, 60}};
    key.red = 40;
    key.green = 50;
    key.blue = 60;
    rgb.colourKey = key;
    CDibImage image;
    ASSERT_EQ(Load(testimages::PngFile(rgb), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0), 0xFF0A141Eu);
    EXPECT_EQ(Pixel(image, 1, 0), 0x0028323Cu);

    for (const int depth : {2, 8, 16}) {
        PngPicture grey;
        grey.width = 2;
        grey.colourType = PNG_COLOR_TYPE_GRAY;
        grey.bitDepth = depth;
        png_color_16 greyKey{};
        greyKey.gray = 1;
        grey.colourKey = greyKey;
        grey.rows = {depth == 2 ? Bytes{0xD0} : depth == 8 ? Bytes{3, 1} : Samples16({3, 1})};
        ASSERT_EQ(Load(testimages::PngFile(grey), image), 0) << LastImageError();
        ASSERT_EQ(image.bitsPerPixel, 32u) << depth;
        EXPECT_EQ(Pixel(image, 0, 0) >> 24, 255u) << depth;
        EXPECT_EQ(Pixel(image, 1, 0) >> 24, 0u) << depth;
    }
}

TEST(PngReaderTest, CommentIsTheLastCommentChunkElseTheFirstText) {
    PngPicture picture;
    picture.rows = ColourRows(1, 1, 3);
    picture.texts = {{"Title", "first"}, {"Comment", "one"}, {"Comment", "two"}, {"Author", "x"}};
    CDibImage image;
    std::string comment;
    ASSERT_EQ(Load(testimages::PngFile(picture), image, &comment), 0) << LastImageError();
    EXPECT_EQ(comment, "two");
    picture.texts = {{"Title", "first"}, {"Author", "x"}};
    ASSERT_EQ(Load(testimages::PngFile(picture), image, &comment), 0);
    EXPECT_EQ(comment, "first");
    picture.texts.clear();
    ASSERT_EQ(Load(testimages::PngFile(picture), image, &comment), 0);
    EXPECT_EQ(comment, "");
}

TEST(PngReaderTest, LyingOrDamagedFilesGiveCodes) {
    PngPicture picture;
    picture.width = 40;
    picture.height = 30;
    picture.rows = ColourRows(40, 30, 3);
    const Bytes whole = testimages::PngFile(picture);

    Bytes tooWide = whole;
    tooWide[16] = 0;
    tooWide[17] = 0;
    tooWide[18] = 0x9C;  // width 40000; the chunk's CRC is fixed below
    tooWide[19] = 0x40;
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, tooWide.data() + 12, 17));
    tooWide[29] = static_cast<std::uint8_t>(crc >> 24);
    tooWide[30] = static_cast<std::uint8_t>(crc >> 16);
    tooWide[31] = static_cast<std::uint8_t>(crc >> 8);
    tooWide[32] = static_cast<std::uint8_t>(crc);
    CDibImage image;
    EXPECT_EQ(Load(tooWide, image), -4);
    EXPECT_EQ(LastImageError(), "Das Bild ist zu gro\xDF");

    Bytes badCrc = whole;
    badCrc[whole.size() / 2] ^= 0x55;
    EXPECT_EQ(Load(badCrc, image), -1);
    EXPECT_FALSE(LastImageError().empty());

    for (std::size_t length = 0; length + 12 < whole.size(); length += 7) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        const int result = Load(cut, image);
        EXPECT_TRUE(result == -1 || result == -2) << length << ": " << result;
    }
}

Bytes Samples(int width, int height, int components, std::uint8_t base) {
    Bytes samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                // Flat 8 x 8 blocks survive compression nearly unchanged.
                samples.push_back(
                    static_cast<std::uint8_t>(base + (x / 8) * 40 + (y / 8) * 20 + c * 60));
            }
        }
    }
    return samples;
}

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        EXPECT_LE(std::abs(a - e), tolerance) << std::hex << actual << " vs " << expected;
    }
}

TEST(JpegReaderTest, ColourAndGreyBecomeTwentyFourBits) {
    const Bytes rgb = Samples(32, 16, 3, 10);
    CDibImage image;
    ASSERT_EQ(Load(testimages::JpegFile(32, 16, 3, rgb, 100), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 24u);
    ASSERT_EQ(image.width, 32u);
    for (const auto& [x, y] : {std::pair{3, 3}, std::pair{20, 4}, std::pair{28, 12}}) {
        const std::uint8_t* s = &rgb[(y * 32 + x) * 3];
        ExpectNear(Pixel(image, x, y), (s[0] << 16) | (s[1] << 8) | s[2], 4);
    }

    const Bytes grey = Samples(16, 16, 1, 30);
    ASSERT_EQ(Load(testimages::JpegFile(16, 16, 1, grey, 100), image), 0) << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 24u);
    const std::uint32_t p = Pixel(image, 12, 12);
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    ExpectNear(p, 0x010101u * grey[12 * 16 + 12], 3);
}

TEST(JpegReaderTest, CmykAndYcckBecomeColoursWithAdobesInvertedInks) {
    // Cyan and yellow ink with a little black: green. Adobe's files store 255 - ink.
    const std::uint8_t inks[4] = {255, 0, 255, 51};
    for (const int kind : {0, 1, 2}) {
        const bool adobe = kind != 1;
        Bytes samples;
        for (int i = 0; i < 64; ++i) {
            for (const std::uint8_t ink : inks) {
                samples.push_back(adobe ? static_cast<std::uint8_t>(255 - ink) : ink);
            }
        }
        testimages::JpegExtras extras;
        extras.adobeMarker = adobe;
        extras.ycck = kind == 2;
        CDibImage image;
        ASSERT_EQ(Load(testimages::JpegFileWith(8, 8, 4, samples, extras), image), 0)
            << LastImageError();
        ASSERT_EQ(image.bitsPerPixel, 24u);
        ExpectNear(Pixel(image, 4, 4), 0x00CC00, 3);
    }
}

TEST(JpegReaderTest, CommentMarkersAreJoinedInFileOrder) {
    CDibImage image;
    std::string comment;
    ASSERT_EQ(Load(testimages::JpegFile(8, 8, 3, Samples(8, 8, 3, 0), 90, {"Hallo ", "Welt"}),
                   image, &comment),
              0);
    EXPECT_EQ(comment, "Hallo Welt");
}

TEST(JpegReaderTest, TruncatedOrLyingFilesGiveCodes) {
    const Bytes whole = testimages::JpegFile(64, 48, 3, Samples(64, 48, 3, 5), 80);
    CDibImage image;
    for (std::size_t length = 0; length + 8 < whole.size(); length += 5) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        const int result = Load(cut, image);
        EXPECT_TRUE(result == -1 || result == -2) << length << ": " << result;
    }
    // Cut inside the pixel data: the rows that are missing make it a damaged file.
    EXPECT_EQ(Load(Bytes(whole.begin(), whole.end() - 40), image), -1);
    EXPECT_EQ(LastImageError(), "Fehler 43 beim Laden der Jpeg Datei");
    // Only the end marker missing: every scanline is there, so the picture loads.
    EXPECT_EQ(Load(Bytes(whole.begin(), whole.end() - 2), image), 0) << LastImageError();

    // A frame header that claims 40000 columns.
    Bytes wide = whole;
    for (std::size_t i = 2; i + 8 < wide.size(); ++i) {
        if (wide[i] == 0xFF && wide[i + 1] == 0xC0) {
            wide[i + 7] = 0x9C;
            wide[i + 8] = 0x40;
            break;
        }
    }
    EXPECT_EQ(Load(wide, image), -4);

    // A small progressive file that claims 30000 x 30000 pixels: its coefficients alone would
    // need gigabytes, so it is refused as too large before the decoder starts.
    Bytes liar = testimages::JpegFile(16, 16, 3, Samples(16, 16, 3, 5), 80, {}, true);
    for (std::size_t i = 2; i + 8 < liar.size(); ++i) {
        if (liar[i] == 0xFF && liar[i + 1] == 0xC2) {
            liar[i + 5] = liar[i + 7] = 0x75;  // 0x7530 = 30000
            liar[i + 6] = liar[i + 8] = 0x30;
            break;
        }
    }
    EXPECT_EQ(Load(liar, image), -4);
}

}  // namespace
}  // namespace kelvandor
