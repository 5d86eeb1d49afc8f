#pragma once
// CDibImage: the one image type of the program. A device-independent pixel buffer of one of
// nine depths (1, 2, 4, 8, 12, 15, 16, 24, 32 bits per pixel) with bottom-up rows, a palette of
// up to 256 entries and a ready-made 40-byte bitmap-info header, plus the text state that the
// glyph-font renderer uses.
//
// Colour values passed in and out are 0xAARRGGBB (blue in bits 0-7, alpha in 24-31); for
// depths of 8 bits and less a pixel value is a palette index instead. In memory 24-bit pixels
// are blue, green, red and 32-bit pixels blue, green, red, alpha.
//
// Row y (0 is the top row of the picture) starts at topRow - y * stride: the buffer begins
// with the bottom row. Rows at or beyond the height are never read from the buffer; Row()
// hands out the line buffer for them.
//
// Failures of Create are reported through its result and lastError; no operation of the
// object throws.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kelvandor {

class CDibImage;

// Fill value for Create that leaves the pixels as the allocator gave them.
constexpr std::uint32_t NoFill = 0xBCDE7AF9;

// spacingOverride value meaning "the caller set no spacing".
constexpr std::uint32_t kSpacingNotSet = 0xBCDEEEEE;

// Reasons of a failed Create, kept in lastError.
constexpr std::uint8_t kCreateErrorTooLarge = 1;     // a side above kMaxImageSide
constexpr std::uint8_t kCreateErrorDepth = 2;        // not one of the nine depths
constexpr std::uint8_t kCreateErrorOutOfMemory = 3;  // the allocation failed

constexpr std::uint32_t kMaxImageSide = 32768;

// Size of the block behind bitmapInfo: the 40-byte header and 256 four-byte colour entries.
constexpr std::size_t kBitmapInfoSize = 40 + 256 * 4;

// Pixel functions. Rows are addressed by a pointer to their first byte (topRow - y * stride).
// getPixel returns a palette index for depths up to 8 bits, else 0xAARRGGBB (12/15/16-bit
// channels widened with zero low bits; bit 15 of a 15-bit pixel becomes bit 31). putPixel
// takes the same kind of value: indices keep only their low bits, colours are packed.
using GetPixelFunction = std::uint32_t (*)(const std::uint8_t* row, std::uint32_t x);
using PutPixelFunction = void (*)(std::uint8_t* row, std::uint32_t x, std::uint32_t value);
// 0xAARRGGBB to the packed value of the depth (identity for 1-8, 24 and 32 bits).
using FromRgbFunction = std::uint32_t (*)(std::uint32_t argb);
// Converts one row of `image` (width pixels) into another form. Returns the row itself when it
// already has that form, else the image's line buffer holding the converted row. The "copy"
// variants always return the line buffer.
using RowConverter = const std::uint8_t* (*)(const CDibImage& image, const std::uint8_t* row);
// A text pen: called for every ink or background pixel of a glyph.
using PenFunction = void (*)(CDibImage& image, std::int32_t x, std::int32_t y,
                             std::uint32_t colour);

// ---- The parts an image is made of. They are plain structs so that their fields read as the
// image's own (image.width, image.alignH), and each is moved, copied or kept as one value. ----

// The state of the glyph-font renderer (DrawText.cpp): the selected font and what is derived
// from it, the anchors, the spacing and the two pens. It belongs to the image's owner, not to
// its pixels: Create, Free and Assign leave it as it is, and a reader that replaces the
// picture keeps it.
struct DibTextState {
    const std::uint8_t* fontData = nullptr;  // never owned
    std::uint8_t fontHeaderSize = 0;
    std::uint8_t fontFlags = 0;
    std::uint16_t fontFirst = 0;
    std::uint16_t fontLast = 0;
    std::uint8_t alignH = 0;
    std::uint8_t alignV = 0;
    std::int8_t baseline = 0;
    std::int32_t fontMetric0 = 0;
    std::int32_t fontMetric1 = 1;
    std::int32_t fontMetric2 = 0;
    std::int32_t charSpacing = 0;
    std::uint32_t spacingOverride = kSpacingNotSet;
    std::uint32_t inkColour = 0;
    std::uint32_t backColour = 0;
    PenFunction inkPen = nullptr;
    PenFunction backPen = nullptr;
};

// Words that belong to the image's owner and, like the text state, outlive the pixels.
struct DibOwnerWords {
    // Reason of the last failed Create (kCreateError...); not cleared by a successful one.
    std::uint8_t lastError = 0;
    // Two words for the caller; Assign copies them.
    std::uint32_t user1 = 0;
    std::uint32_t user2 = 0;
};

// The bitmap-info block: the 40-byte header followed by the colour table. The block is owned;
// palette points into it and so moves with it.
struct DibPalette {
    std::unique_ptr<std::uint8_t[]> bitmapInfo;  // kBitmapInfoSize bytes
    std::uint32_t* palette = nullptr;            // bitmapInfo + 40
};

// The pixels and their format: size, depth and the values that follow from it, the pixel
// memory, and the pixel functions of the depth. A value-initialised part is an empty image
// without pixel functions; CDibImage installs inert ones.
struct DibPixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // stride * height in bytes; 64 bits wide because 32768 x 32768 x 4 does not fit in 32.
    std::size_t imageSize = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t stride = 0;
    std::uint32_t pixelsPerUnitMask = 0;  // 7, 3, 1 for 1/2/4 bits, 1 for 12, else 0
    std::uint32_t bytesPerUnit = 0;       // 1 up to 8 bits, 3 for 12 and 24, 2 for 15/16, 4
    std::uint32_t valueMask = 0;          // (1 << bitsPerPixel) - 1, all ones for 32
    std::uint32_t depthBit = 0;           // 1 << (bitsPerPixel - 1)
    std::uint32_t unitShift = 0;          // log2 of pixels per unit
    std::uint32_t trueColour = 0;         // 1 for 12 bits and more
    std::uint32_t paletteSize = 0;        // 2, 4, 16, 256 for 1, 2, 4, 8 bits, else 0
    std::uint32_t colourMask = 0;
    // 0 own pixels; 1 platform bitmap; else the address of the caller's memory.
    std::uintptr_t externalBits = 0;

    // Owned memory: with own pixels the pixel allocation, which also holds a spare row and
    // the line buffer behind the pixels; otherwise the line buffer alone.
    std::unique_ptr<std::uint8_t[]> ownedMemory;
    // The pixel memory of the "platform bitmap" mode (externalBits 1), owned.
    std::unique_ptr<std::uint8_t[]> platformBitmap;
    // Views into that memory or the caller's. allocation is the start of the pixel memory
    // (own allocation, platform bitmap or caller's memory).
    std::uint8_t* allocation = nullptr;
    std::uint8_t* bits = nullptr;    // first byte of the bottom row
    std::uint8_t* topRow = nullptr;  // first byte of row 0
    // One spare row (at least max(stride, 4 * width) bytes) for conversions and for reads
    // beyond the last row.
    std::uint8_t* lineBuffer = nullptr;

    // Row converters: to 8-bit indices (or grey for true colour), to 24-bit, to 32-bit.
    RowConverter rowTo8 = nullptr;
    RowConverter rowTo24 = nullptr;
    RowConverter rowTo32 = nullptr;
    RowConverter rowCopyTo8 = nullptr;
    RowConverter rowCopyTo24 = nullptr;
    RowConverter rowCopyTo32 = nullptr;
    GetPixelFunction getPixel = nullptr;
    PutPixelFunction putPixel = nullptr;
    FromRgbFunction fromRgb = nullptr;
};

// The image is made of the parts above. Its picture is the pixels and the bitmap-info block;
// the text state and the owner's words stay with the object when the picture changes.
class CDibImage : public DibTextState, public DibOwnerWords, public DibPalette, public DibPixels {
public:
    CDibImage();
    // Deep copy (Assign).
    CDibImage(const CDibImage& other);
    // Takes over other's contents; other is left empty.
    CDibImage(CDibImage&& other) noexcept;
    virtual ~CDibImage();

    // Deep copy (Assign); self-assignment leaves the image as it is.
    CDibImage& operator=(const CDibImage& other) { return Assign(other); }
    CDibImage& operator=(CDibImage&& other) noexcept;

    // Makes this an image of the given depth and size. Returns false and leaves the image empty
    // with lastError set (kCreateError...) when it cannot.
    //  fill: NoFill leaves the pixel memory as it is; 0, or any value on an 8-bit image, sets
    //        every byte of the buffer to the fill's low byte; any other value is drawn with
    //        FillRect over the whole image.
    //  externalBits: 0 the image allocates and owns its pixels; 1 the pixels live in a
    //        separately allocated "platform bitmap" owned by the image (kept for callers that
    //        hand the buffer to a display); any other value is the address of caller-owned
    //        memory of at least imageSize bytes that must outlive the image's use of it.
    // Sizes are computed in 64 bits; an allocation that fails gives lastError 3.
    bool Create(std::uint32_t bitsPerPixel, std::uint32_t width, std::uint32_t height,
                std::uint32_t fill = NoFill, std::uintptr_t externalBits = 0);

    // Releases the pixels. Returns true when the image had pixel memory of a non-zero size.
    // Text state and user words survive.
    bool Free();

    // Makes this image a copy of source: depth, size, header, palette, pixels, user1/user2.
    // The copy owns its pixels. An empty source gives an empty image.
    CDibImage& Assign(const CDibImage& source);

    // Exchanges the complete contents of two images.
    void SwapWith(CDibImage& other) noexcept;

    // Exchanges only the pictures (pixels, format, header and palette) of two images; each
    // keeps its text state, lastError and user words. A reader that builds the picture in a
    // second image hands it over this way.
    void SwapPictureWith(CDibImage& other) noexcept;

    // Palette access; the index is taken modulo 256. Entries are 0xAARRGGBB.
    void SetPaletteEntry(std::uint32_t index, std::uint32_t value);
    void SetPaletteRgb(std::uint32_t index, std::uint8_t red, std::uint8_t green,
                       std::uint8_t blue);  // keeps the entry's alpha byte
    void SetPaletteRgba(std::uint32_t index, std::uint8_t red, std::uint8_t green,
                        std::uint8_t blue, std::uint8_t alpha);
    std::uint32_t GetPaletteRgb(std::uint32_t index, std::uint8_t* red, std::uint8_t* green,
                                std::uint8_t* blue) const;

    // Writes value through putPixel when (x, y) lies inside the image; nothing otherwise.
    void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t value);

    // True for a 32-bit image with any non-zero alpha byte.
    bool HasAlpha() const;
    // 0 no alpha (all alpha 0), 1 all opaque (all 255), 2 varying alpha. 32-bit images examine
    // their pixels, palette images the alpha bytes of their palette, other depths give 0.
    int AlphaKind() const;

    // First byte of row y, or the line buffer for a row at or beyond the height.
    std::uint8_t* Row(std::uint32_t y) const {
        return y < height ? topRow - static_cast<std::size_t>(y) * stride : lineBuffer;
    }
    bool IsEmpty() const { return bitsPerPixel == 0; }

    // Reads bitmap resource `id` of the program's resource table into this image. Returns
    // false and leaves the image empty when there is no such resource or it cannot be read.
    bool LoadBitmapResource(std::uint32_t id);

    // ---- Drawing operations (implemented in image/Draw*.cpp) ----

    // Fills a rectangle. A negative w (h) extends the rectangle to the left of (above) x (y),
    // including x (y). The rectangle is clipped to the image; returns false when nothing of it
    // is left. colour is a palette index for depths up to 8 bits, else 0xAARRGGBB.
    bool FillRect(int x, int y, int w, int h, std::uint32_t colour);

    // ==== Scaling, copying, blending and text (image/DrawScale.cpp, DrawBlit.cpp,
    //      DrawText.cpp). None of them throws; an empty image is never drawn on. ====

    // Scale flags.
    static constexpr std::uint32_t kScaleSmooth = 1;   // area averaging, not nearest neighbour
    static constexpr std::uint32_t kScaleForce32 = 2;  // the result has 32 bits per pixel

    // Makes this image a resized copy of source (which may be this image itself).
    //  flags & kScaleSmooth: area averaging (enlarging blends neighbours by position; with a
    //      32-bit source of varying alpha, transparent pixels do not darken the colour);
    //      otherwise nearest neighbour.
    //  flags & kScaleForce32: the result has 32 bits per pixel.
    // The result has 32 bits when forced or when the source has 32, else 24 when smooth, else
    // the source's depth (with its palette). Same size is a copy. Returns false, leaving an
    // empty image, for an empty source, a zero target size or a failed Create.
    bool Scale(const CDibImage& source, std::uint32_t newWidth, std::uint32_t newHeight,
               std::uint32_t flags);

    // Copies source with its top-left corner at (x, y), clipped to this image. Same depths
    // copy bytes (32-bit alpha included); otherwise true-colour destinations get the source's
    // colours (opaque on a 32-bit destination) and palette destinations its raw indices.
    // Only flags 0 exists; other flags draw nothing and return false. Returns false when
    // nothing is drawn.
    bool Draw(const CDibImage& source, std::int32_t x, std::int32_t y, std::uint32_t flags = 0);

    // Blends source onto this true-colour image (12 bits or more) by the source's alpha
    // (32-bit: its alpha bytes; palette: the palette's alpha; others: bits 24-31 of the
    // pixel): colour = (s * (a + 1) + d * (256 - a)) >> 8, so alpha 0 leaves the destination
    // and 255 copies the source. Returns false when nothing is drawn.
    bool DrawAlpha(const CDibImage& source, std::int32_t x, std::int32_t y);

    // Blends a 32-bit source onto this true-colour image keeping this image's transparency:
    // where this image has alpha 0 the source pixel is copied as it is, where it has 255 the
    // colour is blended and stays opaque, in between colour and alpha are blended. A 24-bit
    // image has no alpha and counts as opaque: the source blends onto it as DrawAlpha does.
    // (12-, 15- and 16-bit images read alpha from their pixel values.) Returns false when
    // nothing is drawn or the source has not 32 bits.
    bool DrawAlphaOver(const CDibImage& source, std::int32_t x, std::int32_t y);

    // DrawText's y that asks for the width only.
    static constexpr std::int32_t MeasureOnly = static_cast<std::int32_t>(0xBCDEFFFFu);

    // Selects a GlyphFont (not owned; it must outlive its use) or none (nullptr), and derives
    // charSpacing and baseline from the font, spacingOverride, alignH and alignV: select the
    // font again after changing those.
    void SetFont(const std::uint8_t* font);

    // Sets the ink pen (background false) or the background pen (true) with its colour; a
    // null pen draws nothing. PenSoft becomes PenSolid on images of 8 bits or less and
    // PenSoftAlpha on 32-bit images.
    void SetTextPen(PenFunction pen, std::uint32_t colour, bool background);

    // Draws text (zero-terminated Windows-1252 bytes) with the selected font at (x, y),
    // anchored by alignH and alignV, and returns its width in pixels: the glyph widths plus
    // charSpacing between characters; codes outside the font count nothing. y == MeasureOnly
    // only measures. Returns 0 without a font.
    std::int32_t DrawText(std::int32_t x, std::int32_t y, const char* text);

    // Text pens, called for each ink or background pixel of a glyph.
    // PenSolid writes the colour (an index on palette images) at (x, y) inside the image.
    static void PenSolid(CDibImage& image, std::int32_t x, std::int32_t y, std::uint32_t colour);
    // PenSoft mixes the colour into the 3 x 3 pixels around (x, y) that lie inside, weights
    // 1 2 1 / 2 20 2 / 1 2 1 out of 32: each channel (old * (32 - w) + colour * w) >> 5, alpha
    // byte 0. On images of 8 bits or less it draws as PenSolid.
    static void PenSoft(CDibImage& image, std::int32_t x, std::int32_t y, std::uint32_t colour);
    // PenSoftAlpha is PenSoft with the alpha byte mixed like the colour channels.
    static void PenSoftAlpha(CDibImage& image, std::int32_t x, std::int32_t y,
                             std::uint32_t colour);

    // ==== End of scaling, copying, blending and text ====

private:
    // Replaces the picture by an empty one: releases the pixels, clears the size fields and
    // the bitmap-info block and installs inert pixel functions. Text state, user words and
    // lastError survive.
    void Reset();
    void InstallDepth(std::uint32_t depth);
    void WriteHeader();
    void SetDefaultPalette();
};

}  // namespace kelvandor
