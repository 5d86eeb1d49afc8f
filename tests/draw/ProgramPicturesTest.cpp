#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/DibImage.h"
#include "image/GlyphFonts.h"
#include "image/ImageFile.h"
#include "resources/ResourceTable.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using test::PixelAt;

TEST(ProgramPicturesTest, StarsLoadAsThirtyTwoBitsWithSoftEdges) {
    const struct {
        std::uint32_t id, width, height;
    } stars[] = {{149, 100, 95}, {150, 75, 71}, {151, 50, 47}};
    for (const auto& star : stars) {
        CDibImage image;
        ASSERT_TRUE(image.LoadBitmapResource(star.id)) << star.id;
        EXPECT_EQ(image.bitsPerPixel, 32u);
        EXPECT_EQ(image.width, star.width);
        EXPECT_EQ(image.height, star.height);
        EXPECT_EQ(image.AlphaKind(), 2);
        EXPECT_EQ(PixelAt(image, 0, 0) >> 24, 0u);                               // corner clear
        EXPECT_EQ(PixelAt(image, star.width / 2, star.height / 2) >> 24, 255u);  // middle solid
    }
}

// The pictures are blended by their alpha, so their soft edges keep the picture's own colour:
// a half-covered pixel of a white digit is white, of a gold star gold, not darkened.
TEST(ProgramPicturesTest, SoftEdgesKeepThePicturesOwnColour) {
    CDibImage strip;
    ASSERT_EQ(LoadImageFile("res://bitmap/152", strip), kLoadOk);
    int edges = 0, darkened = 0;
    for (std::uint32_t y = 0; y < strip.height; ++y) {
        for (std::uint32_t x = 0; x < strip.width; ++x) {
            const std::uint32_t v = PixelAt(strip, x, y);
            if ((v >> 24) != 0 && (v >> 24) != 255) {
                ++edges;
                darkened += (v & 0xFFFFFF) != 0xFFFFFF;
            }
        }
    }
    EXPECT_GT(edges, 100);
    EXPECT_EQ(darkened, 0);
    CDibImage star;
    ASSERT_TRUE(star.LoadBitmapResource(149));
    edges = darkened = 0;
    for (std::uint32_t y = 0; y < star.height; ++y) {
        for (std::uint32_t x = 0; x < star.width; ++x) {
            const std::uint32_t v = PixelAt(star, x, y);
            const std::uint32_t alpha = v >> 24;
            if (alpha != 0 && alpha < 128) {
                ++edges;
                darkened += ((v >> 16) & 0xFF) < 140;  // the rim is a dark gold, red >= 150
            }
        }
    }
    EXPECT_GT(edges, 20);
    EXPECT_EQ(darkened, 0);
}

TEST(ProgramPicturesTest, DigitStripGivesTenSeparateDigitImages) {
    CDibImage strip;
    ASSERT_EQ(LoadImageFile("res://bitmap/152", strip), kLoadOk) << LastImageError();
    ASSERT_EQ(strip.bitsPerPixel, 32u);
    ASSERT_EQ(strip.width, 640u);
    ASSERT_EQ(strip.height, 56u);
    const std::uint32_t cell = strip.width / 16;
    for (int d = 0; d < 10; ++d) {
        // As the game makes its digit images: black 24-bit, the strip laid over it.
        CDibImage digit;
        ASSERT_TRUE(digit.Create(24, cell, strip.height, 0xFF000000));
        ASSERT_TRUE(digit.DrawAlphaOver(strip, -static_cast<std::int32_t>(cell) * d, 0));
        std::uint32_t white = 0, edge = 0;
        for (std::uint32_t y = 0; y < digit.height; ++y) {
            for (std::uint32_t x = 0; x < digit.width; ++x) {
                const std::uint32_t v = PixelAt(digit, x, y);
                white += v == 0xFFFFFF;
                if (x == 0 || x + 1 == digit.width || y == 0 || y + 1 == digit.height)
                    edge |= v;
            }
        }
        EXPECT_GT(white, 150u) << "digit " << d;  // a bold glyph
        EXPECT_EQ(edge, 0u) << "digit " << d;     // nothing of the neighbours leaks in
    }
}

TEST(ProgramPicturesTest, ToolbarAndIconArePresent) {
    CDibImage toolbar;
    ASSERT_TRUE(toolbar.LoadBitmapResource(128));
    EXPECT_EQ(toolbar.width, 7u * 16u);
    EXPECT_EQ(toolbar.height, 15u);
    EXPECT_EQ(PixelAt(toolbar, 0, 0), 0xC0C0C0u);
    const auto icon = FindResource(ResourceId::Number(kResourceTypeIcon), ResourceId::Number(128));
    ASSERT_GE(icon.size(), 6u);
    EXPECT_EQ(icon[2], 1);  // an icon directory
}

// ---- Looking at the pictures: with KELVANDOR_PREVIEW_DIR set, PNGs of them at 1:1 ----

void WritePng(const std::string& path, const CDibImage& image) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> row(3 * image.width);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t v = PixelAt(image, x, y);
            row[3 * x] = static_cast<std::uint8_t>(v >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(v);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

TEST(ProgramPicturesTest, PreviewForTheEye) {
    const char* dir = std::getenv("KELVANDOR_PREVIEW_DIR");
    if (dir == nullptr)
        GTEST_SKIP() << "set KELVANDOR_PREVIEW_DIR to write the previews";

    // The fonts as the game draws them: soft pen on a 24-bit back buffer.
    CDibImage text;
    ASSERT_TRUE(text.Create(24, 1100, 180, 0));
    const std::uint8_t* fonts[] = {FontLarge(), FontMedium(), FontSmall(), FontTiny()};
    std::int32_t y = 2;
    for (const std::uint8_t* font : fonts) {
        text.alignV = 2;  // baseline becomes the cell height
        text.SetFont(font);
        const std::int32_t cell = text.baseline;
        text.alignV = 0;
        text.SetFont(font);
        text.SetTextPen(&CDibImage::PenSoft, 0xFFC0C0FF, false);
        text.DrawText(4, y,
                      "Welche Stadt liegt n\xF6rdlicher? \xC4\xD6\xDC \xE4\xF6\xFC\xDF 0123456789");
        y += cell + 4;
    }
    WritePng(std::string(dir) + "/text.png", text);

    // Stars and digits on the panel colours, blended with DrawAlphaOver as the game does.
    CDibImage panel;
    ASSERT_TRUE(panel.Create(24, 3 * 240, 110, 0));
    const std::uint32_t colours[] = {0x000000, 0x630000, 0xBCBC00};
    for (int k = 0; k < 3; ++k) {
        panel.FillRect(240 * k, 0, 240, 110, colours[k]);
        std::int32_t x = 240 * k + 4;
        for (std::uint32_t id : {149u, 150u, 151u}) {
            CDibImage star;
            ASSERT_TRUE(star.LoadBitmapResource(id));
            panel.DrawAlphaOver(star, x, 4);
            x += static_cast<std::int32_t>(star.width) + 4;
        }
    }
    WritePng(std::string(dir) + "/stars.png", panel);
    CDibImage strip, digits, toolbar;
    ASSERT_EQ(LoadImageFile("res://bitmap/152", strip), kLoadOk);
    ASSERT_TRUE(digits.Create(24, strip.width, strip.height, 0xFF000000));
    digits.DrawAlphaOver(strip, 0, 0);
    WritePng(std::string(dir) + "/digits.png", digits);
    ASSERT_TRUE(toolbar.LoadBitmapResource(128));
    WritePng(std::string(dir) + "/toolbar.png", toolbar);
}

}  // namespace
}  // namespace kelvandor
