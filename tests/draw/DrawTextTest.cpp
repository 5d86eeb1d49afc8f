#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/DibImage.h"
#include "image/GlyphFonts.h"
#include "tests/support/ReferenceDraw.h"

namespace kelvandor {
namespace {

using test::PixelAt;

struct TestGlyph {
    std::uint8_t code;
    std::vector<std::string> rows;  // top row first, '#' is ink
};

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        out[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// A GlyphFont for codes first..last; codes without a glyph get an empty one of the first
// glyph's height. `trailer` holds (tag, value) metrics; a long header is used when given.
std::vector<std::uint8_t> MakeFont(std::uint8_t first, std::uint8_t last,
                                   const std::vector<TestGlyph>& glyphs,
                                   const std::vector<std::pair<int, int>>& trailer = {}) {
    const bool longHeader = !trailer.empty();
    std::vector<std::uint8_t> font;
    if (longHeader) {
        font = {0, 0, 0x46, 0x4E, 0, 0, 0, 0, first, 0, last, 0, 0, 0, 0, 0};
    } else {
        font = {first, last};
    }
    const std::size_t table = font.size();
    font.resize(table + 4 * (last - first + 1));
    if (longHeader) {
        const std::size_t start = font.size();
        font.resize(start + 8);
        Put32(font, start, 0x55AA00FF);
        for (auto [tag, value] : trailer) {
            font.insert(font.end(), {static_cast<std::uint8_t>(tag), 0, 1, 0,
                                     static_cast<std::uint8_t>(value)});
        }
        Put32(font, start + 4, static_cast<std::uint32_t>(font.size() - start));
    }
    for (int code = first; code <= last; ++code) {
        Put32(font, table + 4 * (code - first), static_cast<std::uint32_t>(font.size()));
        std::vector<std::string> rows(glyphs[0].rows.size(), "");
        for (const TestGlyph& g : glyphs)
            if (g.code == code)
                rows = g.rows;
        const std::size_t width = rows[0].size();
        font.push_back(static_cast<std::uint8_t>(width));
        font.push_back(static_cast<std::uint8_t>(rows.size()));
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {  // bottom row first
            for (std::size_t b = 0; b < (width + 7) / 8; ++b) {
                std::uint8_t byte = 0xFF;
                for (std::size_t bit = 0; bit < 8 && 8 * b + bit < width; ++bit)
                    if ((*row)[8 * b + bit] == '#')
                        byte &= static_cast<std::uint8_t>(~(0x80 >> bit));
                font.push_back(byte);
            }
        }
    }
    return font;
}

// 'A' is a 10-wide glyph with ink at its corners, 'B' 3 wide; the space is empty.
const std::vector<TestGlyph> kGlyphs = {
    {'A', {"#........#", "..........", "#........."}},
    {'B', {"###", ".#.", "..."}},
};

CDibImage Canvas(std::uint32_t depth) {
    CDibImage image;
    EXPECT_TRUE(image.Create(depth, 40, 10, 0));
    return image;
}

TEST(DrawTextTest, GlyphRowsAreStoredBottomUpWithInkAsZeroBits) {
    const auto font = MakeFont('A', 'B', kGlyphs);
    CDibImage image = Canvas(24);
    image.SetFont(font.data());
    image.SetTextPen(&CDibImage::PenSolid, 0xFFFFFF, false);
    EXPECT_EQ(image.DrawText(2, 4, "AB"), 13);
    std::uint32_t inkPixels = 0;
    for (std::uint32_t y = 0; y < 10; ++y)
        for (std::uint32_t x = 0; x < 40; ++x)
            inkPixels += PixelAt(image, x, y) != 0;
    EXPECT_EQ(inkPixels, 3u + 4u);
    EXPECT_EQ(PixelAt(image, 2, 4), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 11, 4), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 2, 6), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 12, 4), 0xFFFFFFu);  // 'B' starts right after 'A'
    EXPECT_EQ(PixelAt(image, 13, 5), 0xFFFFFFu);
}

TEST(DrawTextTest, MeasuresAndAlignsWithoutDrawing) {
    const auto font = MakeFont('A', 'B', kGlyphs);
    CDibImage image = Canvas(24);
    image.alignH = 1;
    image.alignV = 1;
    image.SetFont(font.data());
    EXPECT_EQ(image.baseline, 1);  // half the cell height of 3, rounded down
    image.SetTextPen(&CDibImage::PenSolid, 0xFFFFFF, false);
    // Characters outside the font add neither width nor spacing.
    EXPECT_EQ(image.DrawText(0, CDibImage::MeasureOnly,
                             "A\x01"
                             "AB"),
              23);
    for (std::size_t i = 0; i < image.imageSize; ++i)
        ASSERT_EQ(image.bits[i], 0);
    // Centred: width 23 moves the start 11 to the left; the middle row is y.
    image.DrawText(30, 5, "AAB");
    EXPECT_EQ(PixelAt(image, 19, 4), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 18, 4), 0u);
}

TEST(DrawTextTest, TrailerMetricsSetSpacingAndBaseline) {
    const auto font = MakeFont('A', 'B', kGlyphs, {{0, 2}, {1, 3}, {2, 5}, {9, 7}});
    CDibImage image = Canvas(24);
    image.alignV = 3;
    image.SetFont(font.data());
    EXPECT_EQ(image.charSpacing, 2);
    EXPECT_EQ(image.baseline, -5);
    EXPECT_EQ(image.DrawText(0, CDibImage::MeasureOnly, "AB"), 15);

    image.spacingOverride = 1;  // measured against metric 1: 2 - 3 + 1 = 0
    image.SetFont(font.data());
    EXPECT_EQ(image.charSpacing, 0);

    image.spacingOverride = 4;
    image.SetFont(font.data());
    image.SetTextPen(&CDibImage::PenSolid, 0xFFFFFF, true);  // background only
    EXPECT_EQ(image.DrawText(0, 0, "BB"), 3 + 3 + 3);
    // The gap columns 3..5 are filled as background over the glyph height, moved down by 5.
    EXPECT_EQ(PixelAt(image, 4, 5), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 4, 7), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 1, 5), 0u);  // ink of 'B' is not drawn without an ink pen
    EXPECT_EQ(PixelAt(image, 4, 8), 0u);

    image.SetFont(nullptr);
    EXPECT_EQ(image.DrawText(0, CDibImage::MeasureOnly, "AB"), 0);
}

TEST(TextPenTest, SoftPenFollowsTheImageDepth) {
    CDibImage indexed = Canvas(8);
    indexed.SetTextPen(&CDibImage::PenSoft, 7, false);
    EXPECT_EQ(indexed.inkPen, &CDibImage::PenSolid);
    indexed.inkPen(indexed, 5, 5, 7);
    EXPECT_EQ(PixelAt(indexed, 5, 5), 7u);
    EXPECT_EQ(PixelAt(indexed, 6, 5), 0u);

    CDibImage wide = Canvas(32);
    wide.FillRect(0, 0, 40, 10, 0x40404040);
    wide.SetTextPen(&CDibImage::PenSoft, 0xFFFFFFFF, false);
    EXPECT_EQ(wide.inkPen, &CDibImage::PenSoftAlpha);
    wide.inkPen(wide, 5, 5, 0xFFFFFFFF);
    const std::uint32_t centre = (0x40 * 12 + 0xFF * 20) >> 5;
    const std::uint32_t side = (0x40 * 30 + 0xFF * 2) >> 5;
    EXPECT_EQ(PixelAt(wide, 5, 5), centre * 0x01010101u);
    EXPECT_EQ(PixelAt(wide, 5, 4), side * 0x01010101u);

    CDibImage plain = Canvas(24);
    CDibImage::PenSoft(plain, 0, 0, 0xFFFFFF);  // at the corner: four positions inside
    EXPECT_EQ(PixelAt(plain, 0, 0), ((0xFF * 20) >> 5) * 0x010101u);
    EXPECT_EQ(PixelAt(plain, 1, 0), ((0xFF * 2) >> 5) * 0x010101u);
    EXPECT_EQ(PixelAt(plain, 0, 1), ((0xFF * 2) >> 5) * 0x010101u);
    EXPECT_EQ(PixelAt(plain, 1, 1), ((0xFF * 1) >> 5) * 0x010101u);
    EXPECT_EQ(PixelAt(plain, 2, 0), 0u);
    EXPECT_EQ(PixelAt(plain, 0, 2), 0u);
}

TEST(ProgramFontsTest, CoverEveryCodeWithOneCellHeightAndTheLayoutWidths) {
    const struct {
        const std::uint8_t* font;
        int cell, a, zero, space, w;
    } fonts[] = {{FontLarge(), 55, 32, 27, 13, 48},
                 {FontMedium(), 36, 21, 18, 9, 32},
                 {FontSmall(), 24, 13, 12, 6, 21},
                 {FontTiny(), 18, 11, 9, 4, 15}};
    for (const auto& f : fonts) {
        ASSERT_NE(f.font, nullptr);
        CDibImage image;
        image.alignV = 2;
        image.SetFont(f.font);
        EXPECT_EQ(image.fontFirst, 0);
        EXPECT_EQ(image.fontLast, 255);
        EXPECT_EQ(image.baseline, f.cell);
        // Every code has a glyph of the cell height (code 0 included: it sets the baseline).
        for (int code = 0; code < 256; ++code) {
            const std::uint8_t* entry = f.font + 2 + 4 * code;
            const std::uint32_t offset = entry[0] | entry[1] << 8 | entry[2] << 16 | entry[3] << 24;
            ASSERT_EQ(f.font[offset + 1], f.cell) << "code " << code;
        }
        auto measure = [&](const char* text) {
            return image.DrawText(0, CDibImage::MeasureOnly, text);
        };
        EXPECT_NEAR(measure("A"), f.a, 3);
        EXPECT_NEAR(measure("0"), f.zero, 3);
        EXPECT_NEAR(measure(" "), f.space, 3);
        EXPECT_NEAR(measure("W"), f.w, 3);
        EXPECT_EQ(measure("AA"), 2 * measure("A"));
    }
    CDibImage image;
    image.SetFont(FontLarge());
    EXPECT_EQ(image.DrawText(0, CDibImage::MeasureOnly, "A"), 32);
}

}  // namespace
}  // namespace kelvandor
