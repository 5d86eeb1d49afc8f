// Text with the library's one-bit glyph fonts, drawn through pens.
//
// A GlyphFont (little-endian numbers): a short header (first code, last code as bytes) or a
// long one (00 00 'F' 'N', flags byte at 4, first code at 8, last code at 10, 16 bytes in
// all); one 32-bit offset per code from the start of the font; optionally a metrics trailer
// (magic 0x55AA00FF, total length, then entries of tag, length and data whose first byte is
// a signed value: tag 0 extra spacing, tag 1 the spacing an override is measured against,
// tag 2 the baseline distance). A glyph is width (also its advance), height, then its rows
// from the bottom up, each (width + 7) / 8 bytes, leftmost pixel in the top bit, 0 for ink.

#include <cstdint>
#include <cstring>

#include "base/LittleEndian.h"
#include "image/DibImage.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kTrailerMagic = 0x55AA00FF;
constexpr std::uint32_t kTrailerMaxLength = 4096;

bool IsLongHeader(const std::uint8_t* font) {
    return font[0] == 0 && font[1] == 0 && font[2] == 0x46 && font[3] == 0x4E;
}

// The glyph record of a code inside the selected font's range.
const std::uint8_t* GlyphOf(const CDibImage& image, std::uint8_t code) {
    const std::uint8_t* entry = image.fontData + image.fontHeaderSize +
                                4 * static_cast<std::size_t>(code - image.fontFirst);
    return image.fontData + Le32(entry);
}

bool InFont(const CDibImage& image, std::uint8_t code) {
    return code >= image.fontFirst && code <= image.fontLast;
}

// Floor division by 2 for a possibly negative width.
std::int32_t HalfRoundedDown(std::int32_t v) {
    return v >= 0 ? v / 2 : -((1 - v) / 2);
}

// The pixel at (x, y) as 0xAARRGGBB (palette images: the palette entry of its index).
std::uint32_t ReadColour(const CDibImage& image, const std::uint8_t* row, std::uint32_t x) {
    const std::uint32_t v = image.getPixel(row, x);
    return image.trueColour ? v : image.palette[v & 0xFF];
}

constexpr std::uint32_t kSoftPenWeights[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};

// The soft pen's mix of one channel: weight w of 32 to the pen.
constexpr std::uint32_t SoftMix(std::uint32_t old, std::uint32_t pen, std::uint32_t w) {
    return (old * (32 - w) + pen * w) >> 5;
}

// Calls mix(row, x, weight) for each pixel of the 3 x 3 pen around (x, y) inside the image.
template <typename Mix>
void ForEachPenPixel(CDibImage& image, std::int32_t x, std::int32_t y, Mix mix) {
    for (std::int32_t dy = -1; dy <= 1; ++dy) {
        const std::int64_t py = static_cast<std::int64_t>(y) + dy;
        if (py < 0 || py >= image.height) {
            continue;
        }
        std::uint8_t* row = image.topRow - static_cast<std::size_t>(py) * image.stride;
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            const std::int64_t px = static_cast<std::int64_t>(x) + dx;
            if (px >= 0 && px < image.width) {
                mix(row, static_cast<std::uint32_t>(px), kSoftPenWeights[dy + 1][dx + 1]);
            }
        }
    }
}

// The 3 x 3 soft pen; keepAlpha false writes alpha 0, true mixes alpha like the colour.
// Pixels of plain bytes (24 and 32 bits) are blended in place: a glyph stamps nine pixels
// for each of its ink pixels, and the answer texts of a 4K board are some hundred thousand
// stamps, too many to go through the pixel functions one by one.
void SoftPen(CDibImage& image, std::int32_t x, std::int32_t y, std::uint32_t colour,
             bool mixAlpha) {
    const std::uint8_t pen[4] = {static_cast<std::uint8_t>(colour),
                                 static_cast<std::uint8_t>(colour >> 8),
                                 static_cast<std::uint8_t>(colour >> 16),
                                 static_cast<std::uint8_t>(colour >> 24)};
    const std::size_t bytes = image.bitsPerPixel == 32 ? 4 : image.bitsPerPixel == 24 ? 3 : 0;
    if (bytes != 0) {
        const bool alphaByte = bytes == 4;
        ForEachPenPixel(image, x, y, [&](std::uint8_t* row, std::uint32_t px, std::uint32_t w) {
            std::uint8_t* p = row + bytes * px;
            for (std::size_t c = 0; c < 3; ++c) {
                p[c] = static_cast<std::uint8_t>(SoftMix(p[c], pen[c], w));
            }
            if (alphaByte) {
                p[3] = mixAlpha ? static_cast<std::uint8_t>(SoftMix(p[3], pen[3], w)) : 0;
            }
        });
        return;
    }
    const std::uint32_t channels = mixAlpha ? 4 : 3;
    ForEachPenPixel(image, x, y, [&](std::uint8_t* row, std::uint32_t px, std::uint32_t w) {
        const std::uint32_t old = ReadColour(image, row, px);
        std::uint32_t mixed = 0;
        for (std::uint32_t c = 0; c < channels; ++c) {
            mixed |= SoftMix((old >> (8 * c)) & 0xFF, pen[c], w) << (8 * c);
        }
        image.putPixel(row, px, mixed);
    });
}

}  // namespace

void CDibImage::PenSolid(CDibImage& image, std::int32_t x, std::int32_t y, std::uint32_t colour) {
    if (x >= 0 && y >= 0 && static_cast<std::uint32_t>(x) < image.width &&
        static_cast<std::uint32_t>(y) < image.height) {
        image.putPixel(image.topRow - static_cast<std::size_t>(y) * image.stride,
                       static_cast<std::uint32_t>(x), colour);
    }
}

void CDibImage::PenSoft(CDibImage& image, std::int32_t x, std::int32_t y, std::uint32_t colour) {
    // A mixed colour is no palette index: palette images get the plain pixel.
    if (!image.trueColour) {
        PenSolid(image, x, y, colour);
        return;
    }
    SoftPen(image, x, y, colour, false);
}

void CDibImage::PenSoftAlpha(CDibImage& image, std::int32_t x, std::int32_t y,
                             std::uint32_t colour) {
    if (!image.trueColour) {
        PenSolid(image, x, y, colour);
        return;
    }
    SoftPen(image, x, y, colour, true);
}

void CDibImage::SetFont(const std::uint8_t* font) {
    if (font == nullptr) {
        fontData = nullptr;
        return;
    }
    const bool longHeader = IsLongHeader(font);
    const std::uint32_t first = longHeader ? Le16(font + 8) : font[0];
    const std::uint32_t last = longHeader ? Le16(font + 10) : font[1];
    if (first > last) {
        fontData = nullptr;
        return;
    }
    fontData = font;
    fontHeaderSize = longHeader ? 16 : 2;
    fontFlags = longHeader ? font[4] : 0;
    fontFirst = static_cast<std::uint16_t>(first);
    fontLast = static_cast<std::uint16_t>(last);
    fontMetric0 = 0;
    fontMetric1 = 1;
    fontMetric2 = 0;

    const std::uint8_t* trailer =
        font + fontHeaderSize + 4 * static_cast<std::size_t>(last - first + 1);
    if (Le32(trailer) == kTrailerMagic) {
        const std::uint32_t length = Le32(trailer + 4);
        if (length > 8 && length <= kTrailerMaxLength) {
            for (std::uint32_t at = 8; at + 4 <= length;) {
                const std::uint32_t tag = Le16(trailer + at);
                const std::uint32_t size = Le16(trailer + at + 2);
                if (size >= 1 && at + 4 + size <= length) {
                    const auto value = static_cast<std::int8_t>(trailer[at + 4]);
                    if (tag == 0)
                        fontMetric0 = value;
                    if (tag == 1)
                        fontMetric1 = value;
                    if (tag == 2)
                        fontMetric2 = value;
                }
                at += 4 + size;
            }
        }
    }

    charSpacing = spacingOverride == kSpacingNotSet
                      ? fontMetric0
                      : fontMetric0 - fontMetric1 + static_cast<std::int32_t>(spacingOverride);

    if (alignV == 0) {
        baseline = 0;
    } else if (alignV == 3 && fontMetric2 != 0) {
        baseline = static_cast<std::int8_t>(-fontMetric2);
    } else {
        // The reference glyph is the space when the font is a small set around it, else the
        // first glyph; all glyphs of a font normally share the cell height.
        std::uint32_t index = (first <= 32 && last - first <= 32) ? 32 - first : 0;
        if (index > last - first) {
            index = 0;
        }
        const std::uint8_t* glyph = GlyphOf(*this, static_cast<std::uint8_t>(first + index));
        const std::int32_t cell = glyph[1];
        baseline = static_cast<std::int8_t>(alignV == 1 ? cell / 2 : cell);
    }
}

void CDibImage::SetTextPen(PenFunction pen, std::uint32_t colour, bool background) {
    if (pen == &CDibImage::PenSoft) {
        if (bitsPerPixel <= 8) {
            pen = &CDibImage::PenSolid;
        } else if (bitsPerPixel == 32) {
            pen = &CDibImage::PenSoftAlpha;
        }
    }
    if (background) {
        backPen = pen;
        backColour = colour;
    } else {
        inkPen = pen;
        inkColour = colour;
    }
}

std::int32_t CDibImage::DrawText(std::int32_t x, std::int32_t y, const char* text) {
    if (fontData == nullptr || text == nullptr) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
    std::int32_t width = 0;
    if (alignH != 0 || y == MeasureOnly) {
        bool any = false;
        for (const std::uint8_t* p = bytes; *p != 0; ++p) {
            if (!InFont(*this, *p)) {
                continue;
            }
            width += GlyphOf(*this, *p)[0] + (any ? charSpacing : 0);
            any = true;
        }
        if (y == MeasureOnly) {
            return width;
        }
        x -= alignH == 1 ? HalfRoundedDown(width) : width;
    }
    y -= baseline;

    std::int32_t pen = x;  // left edge of the next glyph
    std::int32_t drawn = 0;
    bool any = false;
    std::int32_t previousHeight = 0;
    for (const std::uint8_t* p = bytes; *p != 0; ++p) {
        if (!InFont(*this, *p)) {
            continue;
        }
        const std::uint8_t* glyph = GlyphOf(*this, *p);
        const std::int32_t glyphWidth = glyph[0];
        const std::int32_t glyphHeight = glyph[1];
        if (any) {
            // The spacing between two glyphs (or, when negative, their overlap) is background.
            if (charSpacing != 0 && backPen != nullptr) {
                const std::int32_t from = charSpacing > 0 ? pen : pen + charSpacing;
                const std::int32_t to = charSpacing > 0 ? pen + charSpacing : pen;
                for (std::int32_t r = 0; r < previousHeight; ++r) {
                    for (std::int32_t c = from; c < to; ++c) {
                        backPen(*this, c, y + r, backColour);
                    }
                }
            }
            pen += charSpacing;
            drawn += charSpacing;
        }
        const std::size_t rowBytes = (static_cast<std::size_t>(glyphWidth) + 7) / 8;
        const std::uint8_t* rows = glyph + 2;
        for (std::int32_t k = 0; k < glyphHeight; ++k) {
            const std::uint8_t* bits = rows + static_cast<std::size_t>(k) * rowBytes;
            const std::int32_t py = y + glyphHeight - 1 - k;  // rows are stored bottom first
            for (std::int32_t c = 0; c < glyphWidth; ++c) {
                const bool ink = (bits[c >> 3] & (0x80 >> (c & 7))) == 0;
                if (ink) {
                    if (inkPen != nullptr)
                        inkPen(*this, pen + c, py, inkColour);
                } else if (backPen != nullptr) {
                    backPen(*this, pen + c, py, backColour);
                }
            }
        }
        pen += glyphWidth;
        drawn += glyphWidth;
        previousHeight = glyphHeight;
        any = true;
    }
    return drawn;
}

}  // namespace kelvandor
