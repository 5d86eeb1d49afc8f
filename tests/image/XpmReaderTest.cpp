#include "image/XpmReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "image/ColourNames.h"
#include "image/DibImage.h"
#include "image/ImageErrors.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;

const char* const kColourFormat = "Nicht unterst\xFCtztes Farbformat";

// The value of one colour line, or the message it is refused with.
std::string Colour(const std::string& line, std::size_t charsPerPixel = 1) {
    XpmColour colour;
    try {
        if (!ParseXpmColour(line, charsPerPixel, colour)) {
            return "no colour line";
        }
        char text[16];
        std::snprintf(text, sizeof text, "%08X", colour.value);
        return colour.code + "=" + text;
    } catch (const EXpmError& error) {
        return error.Message();
    }
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Reads an XPM text; the message of the exception, empty when none.
std::string Read(const std::string& xpm, CDibImage& image) {
    try {
        CXpmReader().ReadBytes(Text(xpm), image);
        return {};
    } catch (const EGraphicsException& error) {
        return error.Message();
    }
}

std::uint32_t Pixel(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t v = image.getPixel(image.Row(y), x);
    return image.bitsPerPixel <= 8 ? image.palette[v] : v;
}

TEST(ColourNamesTest, TableIsTheSortedX11DatabaseWithAqua) {
    const auto table = ColourNameTable();
    ASSERT_EQ(table.size(), 658u);
    EXPECT_STREQ(table.front().name, "aliceblue");
    EXPECT_EQ(table.front().value, 0xF0F8FFu);
    EXPECT_STREQ(table.back().name, "yellowgreen");
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end(), [](const auto& a, const auto& b) {
        return std::string_view(a.name) < std::string_view(b.name);
    }));
    EXPECT_EQ(FindColourName("gray50"), 0x7F7F7Fu);
    EXPECT_EQ(FindColourName("navyblue"), 0x000080u);
    EXPECT_EQ(FindColourName("aqua"), 0x00FFFFu);
    EXPECT_EQ(FindColourName("DarkSlateGray"), 0x2F4F4Fu);
    EXPECT_EQ(FindColourName("light goldenrod"), std::nullopt);
    EXPECT_EQ(FindColourName("re"), std::nullopt);
    EXPECT_EQ(FindColourName("debianred"), std::nullopt);
}

TEST(ColourNamesTest, ColourLinesAndTheirRefusals) {
    EXPECT_EQ(Colour("\"a c None\""), "a=FFFFFFFF");
    EXPECT_EQ(Colour(" \t\r\n\"a c none\","), "a=FFFFFFFF");
    EXPECT_EQ(Colour("\"ab c NONE m None\"", 2), "ab=FFFFFFFF");
    EXPECT_EQ(Colour("\"a c #ff0000\""), "a=00FF0000");
    EXPECT_EQ(Colour("\"a c #ff0000 m black\""), "a=00FF0000");
    // Hex digits are a third per channel, each scaled from its range to 8 bits: short forms
    // are not dark, and 16-bit channels are not taken for transparent.
    EXPECT_EQ(Colour("\"a c #F00\""), "a=00FF0000");
    EXPECT_EQ(Colour("\"a c #FFFFFFFFFFFF\""), "a=00FFFFFF");
    EXPECT_EQ(Colour("\"a c #80807F7F0101\""), "a=00807F01");
    EXPECT_EQ(Colour("\"a c #123456789\""), "a=00124578");
    EXPECT_EQ(Colour("\"a c Red\""), "a=00FF0000");
    EXPECT_EQ(Colour("\"a c LightGoldenrod\""), "a=00EEDD82");
    EXPECT_EQ(Colour("\"a g gray50\";"), "a=007F7F7F");
    EXPECT_EQ(Colour("\"  s\twhite\t\""), " =00FFFFFF");
    EXPECT_EQ(Colour("a c red"), "no colour line");
    EXPECT_EQ(Colour(""), "no colour line");
    for (const char* refused :
         {"\"a m white\"", "\"a c light goldenrod\"", "\"a c red \"", "\"a c #12345\"", "\"a c #\"",
          "\"a c nosuchcolour\"", "\"a c \"", "\"a\"", "\"a c", "\"ab\""}) {
        EXPECT_EQ(Colour(refused), kColourFormat) << refused;
    }
    EXPECT_EQ(Colour("\"a c red\"", 3), kColourFormat);  // the code takes "a c"
}

const char* const kSmall =
    "/* XPM */\n"
    "static char * small[] = {\n"
    "/* width height colours chars */\n"
    "\"4 2 3 2 0 0\",\n"
    "\"   c None\",\n"
    "\"/* c #0000FF\",\n"  // a code that looks like a comment
    "\"xx c red\",\n"
    "/* pixels */\n"
    "\"xx/*  xx\",\n"
    "\"/*/*xxxx\"};\n";

TEST(XpmReaderTest, ReadsCodesOfTwoCharactersWithNoneAsTransparent) {
    CDibImage image;
    ASSERT_EQ(Read(kSmall, image), "");
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(image, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(Pixel(image, 2, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(image, 3, 1), 0xFFFF0000u);
    EXPECT_EQ(Pixel(image, 0, 1), 0xFF0000FFu);

    // Without None among the pixels the picture keeps its palette.
    std::string opaque = kSmall;
    opaque.replace(opaque.find("xx/*  xx"), 8, "xx/*xxxx");
    ASSERT_EQ(Read(opaque, image), "");
    EXPECT_EQ(image.bitsPerPixel, 8u);
    EXPECT_EQ(Pixel(image, 1, 0), 0x0000FFu);

    ASSERT_EQ(LoadImageFile(testimages::WriteTempFile("small.xpm", Text(kSmall)), image), 0);
    EXPECT_TRUE(image.HasAlpha());
}

TEST(XpmReaderTest, MoreThan256ColoursGiveA32BitPicture) {
    std::string xpm = "static char *many[] = {\"300 1 300 2\",\n";
    std::string row;
    for (int i = 0; i < 300; ++i) {
        const std::string code = {static_cast<char>('A' + i / 26), static_cast<char>('a' + i % 26)};
        char line[40];
        std::snprintf(line, sizeof line, "\"%s c #%06X\",\n", code.c_str(),
                      (i * 0x010203) & 0xFFFFFF);
        xpm += line;
        row += code;
    }
    xpm += "\"" + row + "\"};\n";
    CDibImage image;
    ASSERT_EQ(Read(xpm, image), "");
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(Pixel(image, 0, 0), 0xFF000000u);
    EXPECT_EQ(Pixel(image, 299, 0), 0xFF000000u | (299u * 0x010203u & 0xFFFFFF));
}

TEST(XpmReaderTest, HeadersThatLieAndBrokenRowsAreRefused) {
    const auto replace = [](std::string text, const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        const char* what;
        std::string xpm;
        std::string message;
    };
    const Case cases[] = {
        {"no strings", "/* XPM */ static char *x[] = {};", "Unbekantes Format"},
        {"header without numbers", replace(kSmall, "4 2 3 2 0 0", "four"), "Unbekantes Format"},
        {"width 0", replace(kSmall, "4 2 3 2", "0 2 3 2"), "Unbekantes Format"},
        {"9 characters per pixel", replace(kSmall, "4 2 3 2", "4 2 3 9"), "Unbekantes Format"},
        {"1025 colours", "\"1 1 1025 1\"", "Zu viele Farben definiert"},
        {"no colours", replace(kSmall, "4 2 3 2", "4 2 0 2"), "Zu wenige Farben definiert"},
        {"more colours than lines", "\"1 1 3 1\",\"a c red\"", "Zu wenige Farben definiert"},
        {"rows taken for colours", replace(kSmall, "4 2 3 2", "4 2 6 2"), kColourFormat},
        {"colours taken for rows", replace(kSmall, "4 2 3 2", "4 2 2 2"), "Fehler in der Datei"},
        {"one character per pixel", replace(kSmall, "4 2 3 2", "4 2 3 1"), kColourFormat},
        {"unknown code", replace(kSmall, "xx/*  xx", "xx/*  yy"), "Fehler in der Datei"},
        {"short row", replace(kSmall, "xx/*  xx", "xx/*  x"), "Fehler in der Datei"},
        {"missing row", replace(kSmall, "\"/*/*xxxx\"", ""), "Fehler beim Lesen aus der Datei"},
        {"row not closed", replace(kSmall, "xxxx\"};", "xxxx"), "Fehler beim Lesen aus der Datei"},
        {"too large", replace(kSmall, "4 2 3 2", "40000 2 3 2"), "Das Bild ist zu gro\xDF"},
        // A size the data cannot fill is refused before the picture is allocated.
        {"size the data cannot fill", replace(kSmall, "4 2 3 2", "30000 30000 3 2"),
         "Fehler beim Lesen aus der Datei"},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(Read(c.xpm, image), c.message) << c.what;
    }
    CDibImage image;
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("bad.xpm", Text("/* XPM */\n\"1 1 1 1\",\n"
                                                                      "\"a m white\",\"a\"")),
                            image),
              -1);
    EXPECT_EQ(LastImageError(), kColourFormat);
    EXPECT_THROW(CXpmReader().ReadFile(::testing::TempDir() + "none.xpm", image), EXpmError);
}

}  // namespace
}  // namespace kelvandor
