#include "image/DibImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kelvandor {
namespace {

std::uint32_t HeaderWord(const CDibImage& image, int offset) {
    std::uint32_t v;
    std::memcpy(&v, image.bitmapInfo.get() + offset, 4);
    return v;
}

TEST(DibImageTest, StrideAndPaletteSizeFollowTheDepth) {
    struct Case {
        std::uint32_t depth, width, stride, paletteSize;
    };
    const Case cases[] = {
        {1, 1, 4, 2},  {1, 33, 8, 2}, {2, 17, 8, 4}, {4, 9, 8, 16}, {8, 5, 8, 256}, {12, 1, 4, 0},
        {12, 3, 8, 0}, {15, 3, 8, 0}, {16, 2, 4, 0}, {24, 1, 4, 0}, {24, 5, 16, 0}, {32, 3, 12, 0},
    };
    for (const Case& c : cases) {
        CDibImage image;
        ASSERT_TRUE(image.Create(c.depth, c.width, 3, 0)) << c.depth;
        EXPECT_EQ(image.stride, c.stride) << "depth " << c.depth << " width " << c.width;
        EXPECT_EQ(image.paletteSize, c.paletteSize) << c.depth;
        EXPECT_EQ(image.imageSize, static_cast<std::size_t>(c.stride) * 3);
        EXPECT_EQ(image.trueColour, c.depth >= 12 ? 1u : 0u);
        EXPECT_EQ(image.depthBit, 1u << (c.depth - 1));
    }
}

TEST(DibImageTest, PixelsArePackedAtTheirBytes) {
    CDibImage one;
    one.Create(1, 16, 1, 0);
    one.SetPixel(0, 0, 1);
    one.SetPixel(9, 0, 3);  // only the low bit counts
    EXPECT_EQ(one.bits[0], 0x80);
    EXPECT_EQ(one.bits[1], 0x40);

    CDibImage two;
    two.Create(2, 4, 1, 0);
    two.SetPixel(1, 0, 2);
    EXPECT_EQ(two.bits[0], 0x20);

    CDibImage four;
    four.Create(4, 2, 1, 0);
    four.SetPixel(0, 0, 0xA);
    four.SetPixel(1, 0, 0x5);
    EXPECT_EQ(four.bits[0], 0xA5);

    CDibImage c16;
    c16.Create(16, 1, 1, 0);
    c16.SetPixel(0, 0, 0xFF00FF00);
    EXPECT_EQ(c16.bits[0] | (c16.bits[1] << 8), 0x07E0);
    EXPECT_EQ(c16.getPixel(c16.topRow, 0), 0x0000FC00u);

    CDibImage c15;
    c15.Create(15, 1, 1, 0);
    c15.SetPixel(0, 0, 0x80FF0000);
    EXPECT_EQ(c15.bits[0] | (c15.bits[1] << 8), 0xFC00);
    EXPECT_EQ(c15.getPixel(c15.topRow, 0), 0x80F80000u);
    EXPECT_EQ(c15.fromRgb(0x0000FF00), 0x03E0u);

    CDibImage c24;
    c24.Create(24, 1, 1, 0);
    c24.SetPixel(0, 0, 0xAA112233);
    EXPECT_EQ(c24.bits[0], 0x33);
    EXPECT_EQ(c24.bits[2], 0x11);
    EXPECT_EQ(c24.getPixel(c24.topRow, 0), 0x00112233u);
}

TEST(DibImageTest, TwelveBitNeighboursDoNotDisturbEachOther) {
    CDibImage image;
    ASSERT_TRUE(image.Create(12, 3, 1, 0));
    image.SetPixel(0, 0, 0x00F0E0D0);
    image.SetPixel(1, 0, 0x00102030);
    image.SetPixel(2, 0, 0x00A0B0C0);
    EXPECT_EQ(image.getPixel(image.topRow, 0), 0x00F0E0D0u);
    EXPECT_EQ(image.getPixel(image.topRow, 1), 0x00102030u);
    EXPECT_EQ(image.getPixel(image.topRow, 2), 0x00A0B0C0u);
    EXPECT_EQ(image.fromRgb(0xFFFFEEDD), 0xFEDu);
}

TEST(DibImageTest, RowZeroIsTheLastRowInMemory) {
    CDibImage image;
    ASSERT_TRUE(image.Create(8, 2, 2, 0));
    image.SetPixel(0, 0, 5);
    EXPECT_EQ(image.bits[image.stride], 5);
    EXPECT_EQ(image.bits[0], 0);
    EXPECT_EQ(image.Row(1), image.bits);
    EXPECT_EQ(image.Row(2), image.lineBuffer);  // beyond the last row
}

TEST(DibImageTest, RefusedCreateLeavesAnEmptyImageWithItsReason) {
    CDibImage image;
    ASSERT_TRUE(image.Create(24, 4, 4, 0));
    EXPECT_FALSE(image.Create(32, 32769, 1, 0));
    EXPECT_EQ(image.lastError, kCreateErrorTooLarge);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.width, 0u);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_FALSE(image.Create(7, 4, 4, 0));
    EXPECT_EQ(image.lastError, kCreateErrorDepth);
    EXPECT_FALSE(image.Create(0, 4, 4, 0));
    EXPECT_FALSE(image.Free());
}

TEST(DibImageTest, LargestImageSizeIsComputedIn64Bits) {
    // stride x height is exactly 2^32 here: a 32-bit product would wrap to 0 and give a
    // buffer far too short. Either the full size is allocated or Create reports no memory.
    CDibImage image;
    if (image.Create(32, 32768, 32768, NoFill)) {
        EXPECT_EQ(image.imageSize, std::size_t{1} << 32);
        image.SetPixel(32767, 0, 0x12345678);  // the very last bytes of the buffer
        image.SetPixel(0, 32767, 0x9ABCDEF0);  // the very first
        EXPECT_EQ(image.getPixel(image.Row(0), 32767), 0x12345678u);
        EXPECT_EQ(image.getPixel(image.bits, 0), 0x9ABCDEF0u);
        EXPECT_EQ(HeaderWord(image, 20), 0u);  // does not fit the header's 32-bit field
    } else {
        EXPECT_EQ(image.lastError, kCreateErrorOutOfMemory);
        EXPECT_TRUE(image.IsEmpty());
    }
}

TEST(DibImageTest, FillByByteOrThroughFillRect) {
    CDibImage eight;
    ASSERT_TRUE(eight.Create(8, 3, 2, 0x123));
    for (std::size_t i = 0; i < eight.imageSize; ++i) {
        ASSERT_EQ(eight.bits[i], 0x23);
    }
    CDibImage rgb;
    ASSERT_TRUE(rgb.Create(24, 3, 2, 0xFFFFFFFF));
    ASSERT_TRUE(rgb.Create(24, 3, 2, 0xFF000000));
    for (std::uint32_t y = 0; y < 2; ++y) {
        for (std::uint32_t x = 0; x < 3; ++x) {
            EXPECT_EQ(rgb.getPixel(rgb.Row(y), x), 0u);
        }
    }
    CDibImage nibble;
    ASSERT_TRUE(nibble.Create(4, 3, 1, 0x7));
    EXPECT_EQ(nibble.bits[0], 0x77);
    EXPECT_EQ(nibble.bits[1] & 0xF0, 0x70);  // the padding nibble is not part of the picture
    CDibImage tiny;
    ASSERT_TRUE(tiny.Create(24, 1, 1, 0));
    EXPECT_EQ(tiny.imageSize, 4u);
    EXPECT_EQ(tiny.getPixel(tiny.topRow, 0), 0u);
}

TEST(DibImageTest, DefaultPalettes) {
    CDibImage mono;
    mono.Create(1, 1, 1);
    EXPECT_EQ(mono.palette[0], 0u);
    EXPECT_EQ(mono.palette[1], 0xFFFFFFu);
    CDibImage two;
    two.Create(2, 1, 1);
    EXPECT_EQ(two.palette[1], 0x008000u);
    EXPECT_EQ(two.palette[2], 0x800000u);
    CDibImage four;
    four.Create(4, 1, 1);
    EXPECT_EQ(four.palette[7], 0xC0C0C0u);
    EXPECT_EQ(four.palette[9], 0x0000FFu);
    EXPECT_EQ(four.palette[15], 0xFFFFFFu);
    CDibImage eight;
    eight.Create(8, 1, 1);
    EXPECT_EQ(eight.palette[0], 0u);
    EXPECT_EQ(eight.palette[12], 0xFF0000u);
    EXPECT_EQ(eight.palette[16], 0x000000u);
    EXPECT_EQ(eight.palette[31], 0xF0F0F0u);
    EXPECT_EQ(eight.palette[32], 0x14EB6Au);
    EXPECT_EQ(eight.palette[128], 0x95956Au);
    EXPECT_EQ(eight.palette[247], 0x14EB3Fu);
    EXPECT_EQ(eight.palette[248], 0xE0D020u);
    EXPECT_EQ(eight.palette[255], 0xE0F0E0u);
}

TEST(DibImageTest, HeaderDescribesTheBuffer) {
    CDibImage image;
    ASSERT_TRUE(image.Create(8, 7, 5, 0));
    EXPECT_EQ(HeaderWord(image, 0), 40u);
    EXPECT_EQ(HeaderWord(image, 4), 7u);
    EXPECT_EQ(HeaderWord(image, 8), 5u);
    EXPECT_EQ(HeaderWord(image, 12), 1u | (8u << 16));  // planes, bit count
    EXPECT_EQ(HeaderWord(image, 20), 40u);
    EXPECT_EQ(HeaderWord(image, 24), 4705u);
    EXPECT_EQ(HeaderWord(image, 32), 256u);

    CDibImage c16;
    c16.Create(16, 1, 1, 0);
    EXPECT_EQ(HeaderWord(c16, 16), 3u);
    EXPECT_EQ(c16.palette[0], 0xF800u);
    EXPECT_EQ(c16.palette[1], 0x07E0u);
    CDibImage c15;
    c15.Create(15, 1, 1, 0);
    EXPECT_EQ(HeaderWord(c15, 12) >> 16, 16u);  // announced as 16 bits
    EXPECT_EQ(c15.palette[0], 0x7C00u);         // with masks that match its 5:5:5 packing
}

TEST(DibImageTest, CallerMemoryAndPlatformBitmapModes) {
    std::vector<std::uint8_t> memory(16, 0xEE);
    {
        CDibImage image;
        ASSERT_TRUE(image.Create(32, 2, 2, 0, reinterpret_cast<std::uintptr_t>(memory.data())));
        EXPECT_EQ(image.bits, memory.data());
        image.SetPixel(1, 0, 0x01020304);
        // A conversion fits into the separate line buffer even though the rows are external.
        EXPECT_NE(image.rowCopyTo32(image, image.topRow), image.topRow);
    }
    EXPECT_EQ(memory[0], 0);  // the fill went to the caller's memory
    EXPECT_EQ(memory[12], 0x04);

    CDibImage platform;
    ASSERT_TRUE(platform.Create(8, 300, 2, 9, 1));
    EXPECT_NE(platform.platformBitmap, nullptr);
    EXPECT_EQ(platform.bits[599], 9);
    const std::uint8_t* widened = platform.rowTo32(platform, platform.topRow);
    EXPECT_EQ(widened[4 * 299], 0xFF);  // blue of palette entry 9
    EXPECT_TRUE(platform.Free());
    EXPECT_EQ(platform.platformBitmap, nullptr);
}

TEST(DibImageTest, AssignCopiesPixelsPaletteAndUserWords) {
    CDibImage source;
    source.Create(4, 5, 3, 0);
    source.SetPixel(4, 2, 11);
    source.SetPaletteRgba(11, 1, 2, 3, 4);
    source.user1 = 77;
    source.user2 = 88;
    CDibImage copy;
    copy = source;
    EXPECT_EQ(copy.bitsPerPixel, 4u);
    EXPECT_EQ(copy.getPixel(copy.Row(2), 4), 11u);
    EXPECT_EQ(copy.palette[11], 0x04010203u);
    EXPECT_EQ(copy.user2, 88u);
    EXPECT_NE(copy.bits, source.bits);

    copy = copy;  // self-assignment keeps the image
    EXPECT_EQ(copy.getPixel(copy.Row(2), 4), 11u);

    CDibImage empty;
    copy.Assign(empty);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.user1, 0u);
}

// Text state and owner words that differ from every default, to see where they end up.
void SetCallerState(CDibImage& image, std::uint8_t tag) {
    image.alignH = tag;
    image.spacingOverride = tag;
    image.inkPen = CDibImage::PenSoft;
    image.backColour = tag;
    image.lastError = tag;
    image.user1 = tag;
    image.user2 = tag + 1u;
}

void ExpectCallerState(const CDibImage& image, std::uint8_t tag) {
    EXPECT_EQ(image.alignH, tag);
    EXPECT_EQ(image.spacingOverride, tag);
    EXPECT_EQ(image.inkPen, &CDibImage::PenSoft);
    EXPECT_EQ(image.backColour, tag);
    EXPECT_EQ(image.lastError, tag);
    EXPECT_EQ(image.user1, tag);
    EXPECT_EQ(image.user2, tag + 1u);
}

TEST(DibImageTest, SwapAndMoveCarryEveryPointerWithTheContents) {
    CDibImage a, b;
    a.Create(8, 2, 2, 3);
    a.SetPaletteEntry(3, 0xFF123456);
    SetCallerState(a, 2);
    b.Create(32, 1, 1, 0);
    std::uint8_t* aBits = a.bits;
    const std::uint8_t* aLine = a.lineBuffer;
    a.SwapWith(b);
    EXPECT_EQ(b.bits, aBits);
    EXPECT_EQ(b.Row(2), aLine);
    EXPECT_EQ(b.palette[3], 0xFF123456u);
    ExpectCallerState(b, 2);
    EXPECT_EQ(a.bitsPerPixel, 32u);
    EXPECT_EQ(a.inkPen, nullptr);
    EXPECT_EQ(b.getPixel(b.topRow, 0), 3u);

    CDibImage moved(std::move(b));
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(moved.bits, aBits);
    ExpectCallerState(moved, 2);
}

TEST(DibImageTest, SwapPictureWithLeavesEachImageItsTextStateAndOwnerWords) {
    CDibImage a, b;
    ASSERT_TRUE(a.Create(4, 3, 1, 0));
    a.SetPixel(2, 0, 9);
    a.SetPaletteEntry(9, 0x80ABCDEF);
    SetCallerState(a, 5);
    ASSERT_TRUE(b.Create(24, 7, 2, 0));
    SetCallerState(b, 6);
    std::uint8_t* aBits = a.bits;

    a.SwapPictureWith(b);
    EXPECT_EQ(a.bitsPerPixel, 24u);
    EXPECT_EQ(a.width, 7u);
    EXPECT_EQ(b.bits, aBits);
    EXPECT_EQ(b.getPixel(b.topRow, 2), 9u);
    EXPECT_EQ(b.palette[9], 0x80ABCDEFu);
    EXPECT_EQ(HeaderWord(b, 4), 3u);  // the header went with its pixels
    ExpectCallerState(a, 5);
    ExpectCallerState(b, 6);
}

TEST(DibImageTest, CreateAndFreeKeepTextStateAndOwnerWords) {
    CDibImage image;
    SetCallerState(image, 2);  // lastError 2, as after a refused depth
    ASSERT_TRUE(image.Create(32, 4, 4, 0));
    ExpectCallerState(image, 2);
    EXPECT_TRUE(image.Free());
    ExpectCallerState(image, 2);
    EXPECT_EQ(image.palette, reinterpret_cast<std::uint32_t*>(image.bitmapInfo.get() + 40));
    EXPECT_EQ(HeaderWord(image, 0), 0u);  // the header of the freed picture is cleared
}

TEST(DibImageTest, PaletteAccessWrapsAndKeepsAlpha) {
    CDibImage image;
    image.Create(8, 1, 1);
    image.SetPaletteEntry(256 + 5, 0x7F010203);
    image.SetPaletteRgb(5, 0xAA, 0xBB, 0xCC);
    std::uint8_t r, g, b;
    EXPECT_EQ(image.GetPaletteRgb(5, &r, &g, &b), 0x7FAABBCCu);
    EXPECT_EQ(r, 0xAA);
    EXPECT_EQ(b, 0xCC);
}

TEST(DibImageTest, SetPixelOutsideTheImageWritesNothing) {
    CDibImage image;
    image.Create(8, 2, 2, 0);
    image.SetPixel(-1, 0, 9);
    image.SetPixel(2, 0, 9);
    image.SetPixel(0, 2, 9);
    for (std::size_t i = 0; i < image.imageSize; ++i) {
        EXPECT_EQ(image.bits[i], 0);
    }
}

TEST(DibImageTest, AlphaDetection) {
    CDibImage image;
    image.Create(32, 3, 2, 0);
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.AlphaKind(), 0);
    image.bits[3] = 1;  // the first pixel of the buffer is the last one scanned
    EXPECT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.AlphaKind(), 2);
    image.FillRect(0, 0, 3, 2, 0xFF000000);
    EXPECT_EQ(image.AlphaKind(), 1);
    image.bits[image.imageSize - 1] = 128;
    EXPECT_EQ(image.AlphaKind(), 2);

    CDibImage rgb;
    rgb.Create(24, 2, 2, 0xFF);
    EXPECT_FALSE(rgb.HasAlpha());
    EXPECT_EQ(rgb.AlphaKind(), 0);

    CDibImage indexed;
    indexed.Create(1, 2, 2, 0);
    EXPECT_EQ(indexed.AlphaKind(), 0);
    indexed.SetPaletteEntry(0, 0xFF000000);
    EXPECT_EQ(indexed.AlphaKind(), 2);
    indexed.SetPaletteEntry(1, 0xFFFFFFFF);
    EXPECT_EQ(indexed.AlphaKind(), 1);
}

TEST(DibImageTest, RowConvertersWidenAndNarrow) {
    CDibImage indexed;
    indexed.Create(2, 3, 1, 0);
    indexed.SetPaletteEntry(2, 0x80102030);
    indexed.SetPixel(1, 0, 2);
    const std::uint8_t* idx = indexed.rowTo8(indexed, indexed.topRow);
    EXPECT_EQ(idx[0], 0);
    EXPECT_EQ(idx[1], 2);
    const std::uint8_t* wide = indexed.rowTo32(indexed, indexed.topRow);
    EXPECT_EQ(wide[4] | wide[5] << 8 | wide[6] << 16 | wide[7] << 24, 0x80102030);
    const std::uint8_t* rgb = indexed.rowTo24(indexed, indexed.topRow);
    EXPECT_EQ(rgb[3], 0x30);
    EXPECT_EQ(rgb[5], 0x10);

    CDibImage c24;
    c24.Create(24, 2, 1, 0);
    c24.SetPixel(1, 0, 0xFFFFFF);
    EXPECT_EQ(c24.rowTo24(c24, c24.topRow), c24.topRow);
    EXPECT_EQ(c24.rowCopyTo24(c24, c24.topRow), c24.lineBuffer);
    const std::uint8_t* c24wide = c24.rowTo32(c24, c24.topRow);
    EXPECT_EQ(c24wide[4], 0xFF);
    EXPECT_EQ(c24wide[7], 0);  // widened pixels get alpha 0
    EXPECT_EQ(c24.rowTo8(c24, c24.topRow)[1], (29 * 255 + 76 * 255 + 152 * 255) >> 8);

    CDibImage c16;
    c16.Create(16, 1, 1, 0);
    c16.SetPixel(0, 0, 0xFFFFFF);
    const std::uint8_t* c16wide = c16.rowTo24(c16, c16.topRow);
    EXPECT_EQ(c16wide[0], 0xF8);
    EXPECT_EQ(c16wide[1], 0xFC);
}

TEST(DibImageTest, FillRectHandlesNegativeExtentsAndClipping) {
    CDibImage image;
    image.Create(8, 16, 16, 0);
    EXPECT_TRUE(image.FillRect(10, 10, -3, 2, 7));
    for (std::uint32_t y = 0; y < 16; ++y) {
        for (std::uint32_t x = 0; x < 16; ++x) {
            const bool inside = x >= 8 && x <= 10 && y >= 10 && y <= 11;
            EXPECT_EQ(image.getPixel(image.Row(y), x), inside ? 7u : 0u) << x << "," << y;
        }
    }
    EXPECT_FALSE(image.FillRect(16, 0, 5, 5, 1));
    EXPECT_FALSE(image.FillRect(0, 0, 0, 5, 1));
    EXPECT_FALSE(image.FillRect(-2147483647, -5, -2147483647, 3, 1));  // no overflow
    EXPECT_TRUE(image.FillRect(-3, 14, 5, 100, 2));
    EXPECT_EQ(image.getPixel(image.Row(15), 1), 2u);
    EXPECT_EQ(image.getPixel(image.Row(15), 2), 0u);

    CDibImage rgba;
    rgba.Create(32, 2, 1, 0);
    rgba.FillRect(1, 0, 1, 1, 0x00FF0000);
    EXPECT_EQ(rgba.getPixel(rgba.topRow, 1), 0x00FF0000u);

    CDibImage mono;
    mono.Create(1, 20, 1, 0);
    mono.FillRect(3, 0, 14, 1, 1);
    EXPECT_EQ(mono.bits[0], 0x1F);
    EXPECT_EQ(mono.bits[1], 0xFF);
    EXPECT_EQ(mono.bits[2], 0x80);
}

}  // namespace
}  // namespace kelvandor
