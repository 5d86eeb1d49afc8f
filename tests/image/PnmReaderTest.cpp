#include "image/PnmReader.h"

#include <gtest/gtest.h>

#include <string>

#include "image/DibImage.h"
#include "image/ImageErrors.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;

const char* const kCorrupt =
    "Besch\xE4"
    "digte PNM-Datei !";

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Reads a picture; the message of the exception, empty when none.
std::string Read(const Bytes& file, CDibImage& image) {
    try {
        CPnmReader().ReadBytes(file, image);
        return {};
    } catch (const EGraphicsException& error) {
        return error.Message();
    }
}

// Every pixel as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> Colours(const CDibImage& image) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.rowTo24(image, image.Row(y));
        for (std::uint32_t x = 0; x < image.width; ++x) {
            out.push_back(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
        }
    }
    return out;
}

TEST(PnmReaderTest, TextAndRawFormsOfEachKindGiveTheSamePicture) {
    // A bitmap of 10 x 2 (two bytes per raw row), 1 standing for black.
    const std::vector<std::uint32_t> bits = {
        0xFFFFFF, 0, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0,
        0,        0, 0, 0,        0,        0,        0,        0,        0,        0xFFFFFF};
    const Bytes bitmaps[] = {
        Text("P1\n10 2\n0 1 1 0 0 0 0 0 0 1\n1 1 1 1 1 1 1 1 1 0\n"),
        Text("P1 10 2 0110000001\n1111111110"),  // digits need no blanks between them
        Text("P4\n10 2\n") + Bytes{0x60, 0x40, 0xFF, 0x80},
    };
    for (const Bytes& file : bitmaps) {
        CDibImage image;
        ASSERT_EQ(Read(file, image), "");
        EXPECT_EQ(image.bitsPerPixel, 1u);
        EXPECT_EQ(Colours(image), bits);
    }
    const Bytes greyMaps[] = {Text("P2\n3 1\n255\n0 128 255\n"),
                              Text("P5\n3 1\n255\n") + Bytes{0, 128, 255}};
    for (const Bytes& file : greyMaps) {
        CDibImage image;
        ASSERT_EQ(Read(file, image), "");
        EXPECT_EQ(image.bitsPerPixel, 8u);
        EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0, 0x808080, 0xFFFFFF}));
        EXPECT_EQ(image.palette[77] & 0xFFFFFF, 0x4D4D4Du);  // a grey ramp
    }
    // Red then blue: the raw form's bytes come red, green, blue.
    const Bytes pixelMaps[] = {Text("P3\n2 1\n255\n255 0 0  0 0 255\n"),
                               Text("P6\n2 1\n255\n") + Bytes{255, 0, 0, 0, 0, 255}};
    for (const Bytes& file : pixelMaps) {
        CDibImage image;
        ASSERT_EQ(Read(file, image), "");
        EXPECT_EQ(image.bitsPerPixel, 24u);
        EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
    }
}

TEST(PnmReaderTest, CommentsAnywhereInTheHeaderAndOneBlankBeforeTheRaster) {
    CDibImage image;
    // A comment between width and height, and one right after the magic number.
    ASSERT_EQ(Read(Text("P2# made by hand\n2 # width\n# more\n1\n9\n9 0"), image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0xFFFFFF, 0}));
    // The raster starts after exactly one white-space byte, even when the raster's own
    // first bytes are white space.
    ASSERT_EQ(Read(Text("P5 3 1 255\n") + Bytes{'\n', ' ', '#'}, image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0x0A0A0A, 0x202020, 0x232323}));
    ASSERT_EQ(Read(Text("P4\r2 1\r") + Bytes{'\r'}, image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0xFFFFFF, 0xFFFFFF}));
}

TEST(PnmReaderTest, SamplesAreScaledFromTheirMaximum) {
    CDibImage image;
    // 300 of 65535 is almost black, not 300's low byte (44).
    ASSERT_EQ(Read(Text("P2 3 1 65535 300 65535 32768"), image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0x010101, 0xFFFFFF, 0x808080}));
    // Four-bit samples; a sample above the maximum counts as the maximum.
    ASSERT_EQ(Read(Text("P3 2 1 15 15 0 7 99 1 0"), image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0xFF0077, 0xFF1100}));
    // Raw samples above 255 take two bytes, the most significant first.
    ASSERT_EQ(Read(Text("P6 1 1 65535\n") + Bytes{0xFF, 0xFF, 0x00, 0x80, 0x01, 0x01}, image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0xFF0001}));
    ASSERT_EQ(Read(Text("P5 2 1 1000\n") + Bytes{0x03, 0xE8, 0x01, 0xF4}, image), "");
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>{0xFFFFFF, 0x808080}));
}

TEST(PnmReaderTest, BadFilesAreRefusedWithTheirMessages) {
    const std::string endless = "P2 1 1 " + std::string(1 << 20, '7');
    struct Case {
        const char* what;
        Bytes file;
        std::string message;
    };
    const Case cases[] = {
        {"one byte", Text("P"), "Fehler beim Lesen der PNM-Datei !"},
        {"P7", Text("P7 1 1 255\n\0"), "Die Datei ist keine PNM-Datei !"},
        {"header cut", Text("P3 2 1"), kCorrupt},
        {"maximum 0", Text("P2 1 1 0 0"), kCorrupt},
        {"maximum 65536", Text("P2 1 1 65536 0"), kCorrupt},
        {"width 0", Text("P2 0 1 255 "), kCorrupt},
        {"size beyond 32 bits", Text("P5 99999999999999999999 1 255\n\0"), kCorrupt},
        {"number that never ends", Text(endless), kCorrupt},
        {"no blank after the header", Text("P5 1 1 255#\n\0"), kCorrupt},
        {"raster cut", Text("P6 2 1 255\n") + Bytes{1, 2, 3, 4, 5}, kCorrupt},
        {"16-bit raster cut", Text("P5 2 1 256\n") + Bytes{1, 2, 3}, kCorrupt},
        {"text samples missing", Text("P3 2 1 255 1 2 3 4 5"), kCorrupt},
        {"bitmap digit 2", Text("P1 2 1 0 2"), kCorrupt},
        {"too large", Text("P5 40000 1 255\n") + Bytes(40000, 0), "Das Bild ist zu gro\xDF"},
        // A size the data cannot fill is refused before the picture is allocated.
        {"size the data cannot fill", Text("P6 30000 30000 255\n") + Bytes(64, 0), kCorrupt},
        {"text size the data cannot fill", Text("P2 30000 30000 255\n0 0 0 0"), kCorrupt},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(Read(c.file, image), c.message) << c.what;
    }
    CDibImage image;
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("cut.ppm", cases[9].file), image), -1);
    EXPECT_EQ(LastImageError(), kCorrupt);
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("large.pgm", cases[13].file), image), -4);
    EXPECT_THROW(CPnmReader().ReadFile(::testing::TempDir() + "no-such.pnm", image),
                 EPnmFileOpenError);
}

}  // namespace
}  // namespace kelvandor
