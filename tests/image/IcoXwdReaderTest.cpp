// Icons and X window dumps, built byte by byte in the tests.

#include <gtest/gtest.h>

#include <png.h>

#include <string>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;
using testimages::PutLe16;
using testimages::PutLe32;

int Load(const Bytes& file, CDibImage& image) {
    return LoadImageFile(testimages::WriteTempFile("picture", file), image);
}

std::uint32_t Pixel(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    return image.getPixel(image.Row(y), x);
}

// ---- icons ----

// A bitmap entry: info header with the doubled height, palette, colour rows and AND mask,
// both bottom-up. pixels are top row first: indices up to 8 bits, else 0xAARRGGBB; mask is
// one string per row, 'x' for transparent.
Bytes IconBitmap(int depth, int width, const std::vector<std::uint32_t>& palette,
                 const std::vector<std::uint32_t>& pixels, const std::vector<std::string>& mask,
                 std::uint32_t compression = 0) {
    const int height = static_cast<int>(mask.size());
    Bytes out;
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(width));
    PutLe32(out, static_cast<std::uint32_t>(2 * height));
    PutLe16(out, 1);
    PutLe16(out, static_cast<std::uint32_t>(depth));
    PutLe32(out, compression);
    for (int i = 0; i < 3; ++i) {
        PutLe32(out, 0);
    }
    PutLe32(out, static_cast<std::uint32_t>(palette.size()));  // colours used
    PutLe32(out, 0);
    for (const std::uint32_t entry : palette) {
        PutLe32(out, entry);
    }
    const std::size_t rowBytes = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[static_cast<std::size_t>(y) * width + x];
            if (depth == 4) {
                row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
            } else if (depth == 8) {
                row[x] = static_cast<std::uint8_t>(v);
            } else {
                for (int b = 0; b < depth / 8; ++b) {
                    row[x * (depth / 8) + b] = static_cast<std::uint8_t>(v >> (8 * b));
                }
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    const std::size_t maskBytes = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(maskBytes, 0);
        for (int x = 0; x < width; ++x) {
            if (mask[y][x] == 'x') {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct IconEntryData {
    int width;
    int height;
    int bitCount;
    Bytes data;
};

Bytes IconFile(const std::vector<IconEntryData>& entries) {
    Bytes out;
    PutLe16(out, 0);
    PutLe16(out, 1);
    PutLe16(out, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const IconEntryData& e : entries) {
        out.push_back(static_cast<std::uint8_t>(e.width));
        out.push_back(static_cast<std::uint8_t>(e.height));
        out.push_back(0);
        out.push_back(0);
        PutLe16(out, 1);
        PutLe16(out, static_cast<std::uint32_t>(e.bitCount));
        PutLe32(out, static_cast<std::uint32_t>(e.data.size()));
        PutLe32(out, offset);
        offset += static_cast<std::uint32_t>(e.data.size());
    }
    for (const IconEntryData& e : entries) {
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

TEST(IcoReaderTest, LargestEntryWithItsMaskAsTransparency) {
    const Bytes small = IconBitmap(8, 2, {0x000000, 0xFF0000}, {1, 1, 1, 1}, {"..", ".."});
    const Bytes large = IconBitmap(
        24, 3, {}, {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x102030}, {"x..", "..x"});
    CDibImage image;
    ASSERT_EQ(Load(IconFile({{2, 2, 8, small}, {3, 2, 24, large}, {2, 2, 32, small}}), image), 0)
        << LastImageError();
    ASSERT_EQ(image.bitsPerPixel, 32u);
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_EQ(Pixel(image, 0, 0), 0x00112233u);
    EXPECT_EQ(Pixel(image, 1, 0), 0xFF445566u);
    EXPECT_EQ(Pixel(image, 2, 1), 0x00102030u);
    EXPECT_EQ(Pixel(image, 0, 1), 0xFFAABBCCu);

    // Palette entries keep their colour; the mask alone decides the alpha.
    const Bytes indexed =
        IconBitmap(4, 3, {0x00000000, 0x00FF0000, 0x0000FF00}, {1, 2, 0, 0, 1, 2}, {"...", "x.."});
    ASSERT_EQ(Load(IconFile({{3, 2, 4, indexed}}), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(image, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(Pixel(image, 0, 1), 0x00000000u);
}

TEST(IcoReaderTest, ThirtyTwoBitEntriesKeepVaryingAlphaElseTakeTheMask) {
    const Bytes withAlpha =
        IconBitmap(32, 2, {}, {0x80FF0000, 0xFF00FF00, 0x00000000, 0x400000FF}, {"xx", "xx"});
    CDibImage image;
    ASSERT_EQ(Load(IconFile({{2, 2, 32, withAlpha}}), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0), 0x80FF0000u);
    EXPECT_EQ(Pixel(image, 1, 1), 0x400000FFu);

    const Bytes noAlpha =
        IconBitmap(32, 2, {}, {0x00FF0000, 0x0000FF00, 0x00000000, 0x000000FF}, {"x.", ".."});
    ASSERT_EQ(Load(IconFile({{2, 2, 32, noAlpha}}), image), 0) << LastImageError();
    EXPECT_EQ(Pixel(image, 0, 0), 0x00FF0000u);
    EXPECT_EQ(Pixel(image, 1, 0), 0xFF00FF00u);
}

TEST(IcoReaderTest, PngEntriesAreReadAsPng) {
    testimages::PngPicture png;
    png.width = 4;
    png.height = 4;
    png.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    png.rows.assign(4, Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const Bytes small = IconBitmap(24, 1, {}, {0x123456}, {"."});
    CDibImage image;
    ASSERT_EQ(Load(IconFile({{1, 1, 24, small}, {4, 4, 32, testimages::PngFile(png)}}), image), 0)
        << LastImageError();
    ASSERT_EQ(image.width, 4u);
    EXPECT_EQ(Pixel(image, 1, 2), 0x08050607u);
}

TEST(IcoReaderTest, DamagedIconsGiveIconMessagesAndNoPicture) {
    const Bytes good = IconBitmap(24, 2, {}, {1, 2, 3, 4}, {"..", ".."});
    const Bytes file = IconFile({{2, 2, 24, good}});
    Bytes pointsBeyond = file;
    pointsBeyond[18] = 0xF0;  // the entry's offset
    Bytes compressed = IconFile({{2, 2, 24, IconBitmap(24, 2, {}, {1, 2, 3, 4}, {"..", ".."}, 1)}});
    Bytes sixteen = IconFile({{2, 2, 16, IconBitmap(16, 2, {}, {1, 2, 3, 4}, {"..", ".."})}});
    Bytes huge = file;
    huge[17] = 0x7F;  // the entry's size, 2 GB
    struct Case {
        const char* what;
        Bytes bytes;
        const char* message;
    };
    const Case cases[] = {
        {"directory cut", Bytes(file.begin(), file.begin() + 12),
         "Fehler beim lesen aus der Datei !"},
        {"entry beyond the end", pointsBeyond, "Fehler beim Lesen aus der Datei !"},
        {"picture cut", Bytes(file.begin(), file.end() - 3), "Fehler beim Lesen aus der Datei !"},
        {"compressed bitmap", compressed, "Komprimierte Icons werden nicht unterst\xFCtzt !"},
        {"16 bits", sixteen, "Das Farbformat wird nicht unterst\xFCtzt !"},
        {"huge block", huge,
         "Zugro\xDF"
         "er Datenblock !"},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(Load(c.bytes, image), -1) << c.what;
        EXPECT_EQ(LastImageError(), c.message) << c.what;
        EXPECT_TRUE(image.IsEmpty()) << c.what;
    }
}

// ---- X window dumps ----

void PutBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

struct XwdPicture {
    std::uint32_t depth = 24;
    std::uint32_t bitsPerPixel = 32;
    std::uint32_t width = 2;
    std::uint32_t height = 2;
    std::uint32_t byteOrder = 0;    // LSBFirst, as on x86
    std::uint32_t visualClass = 4;  // TrueColor
    std::uint32_t masks[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    std::vector<std::uint32_t> colourPixels;  // colour map: pixel values
    std::vector<std::uint32_t> colours;       // and their 0xRRGGBB
    std::vector<std::uint32_t> pixels;        // top row first, raw pixel values
};

Bytes XwdFile(const XwdPicture& p) {
    const std::string name = "xwdump\0";
    const std::uint32_t bytesPerLine = ((p.width * p.bitsPerPixel + 31) / 32) * 4;
    const std::uint32_t fields[25] = {100 + static_cast<std::uint32_t>(name.size()) + 1,
                                      7,
                                      2,
                                      p.depth,
                                      p.width,
                                      p.height,
                                      0,
                                      p.byteOrder,
                                      32,
                                      p.byteOrder,
                                      32,
                                      p.bitsPerPixel,
                                      bytesPerLine,
                                      p.visualClass,
                                      p.masks[0],
                                      p.masks[1],
                                      p.masks[2],
                                      8,
                                      static_cast<std::uint32_t>(p.colours.size()),
                                      static_cast<std::uint32_t>(p.colours.size()),
                                      p.width,
                                      p.height,
                                      0,
                                      0,
                                      0};
    Bytes out;
    for (const std::uint32_t f : fields) {
        PutBe32(out, f);
    }
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    for (std::size_t i = 0; i < p.colours.size(); ++i) {
        PutBe32(out, p.colourPixels[i]);
        for (const int shift : {16, 8, 0}) {
            const std::uint8_t c = static_cast<std::uint8_t>(p.colours[i] >> shift);
            out.push_back(c);
            out.push_back(c);
        }
        out.push_back(7);
        out.push_back(0);
    }
    for (std::uint32_t y = 0; y < p.height; ++y) {
        Bytes row(bytesPerLine, 0);
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const std::uint32_t v = p.pixels[y * p.width + x];
            const std::uint32_t bytes = p.bitsPerPixel / 8;
            for (std::uint32_t b = 0; b < bytes; ++b) {
                const std::uint32_t shift = p.byteOrder == 0 ? 8 * b : 8 * (bytes - 1 - b);
                row[x * bytes + b] = static_cast<std::uint8_t>(v >> shift);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

TEST(XwdReaderTest, EveryDepthThatXwdWritesInBothByteOrders) {
    for (const std::uint32_t order : {0u, 1u}) {
        XwdPicture truecolour;
        truecolour.byteOrder = order;
        truecolour.pixels = {0xFF0000, 0x00FF00, 0x123456, 0xFFFFFF};
        CDibImage image;
        ASSERT_EQ(Load(XwdFile(truecolour), image), 0) << LastImageError();
        ASSERT_EQ(image.bitsPerPixel, 24u);
        EXPECT_EQ(Pixel(image, 0, 0), 0xFF0000u);
        EXPECT_EQ(Pixel(image, 0, 1), 0x123456u);

        XwdPicture depth32 = truecolour;
        depth32.depth = 32;
        depth32.pixels = {0x80FF0000, 0x0000FF00, 0xFF123456, 0x00FFFFFF};
        ASSERT_EQ(Load(XwdFile(depth32), image), 0) << LastImageError();
        EXPECT_EQ(Pixel(image, 0, 1), 0x123456u);

        XwdPicture packed24 = truecolour;
        packed24.bitsPerPixel = 24;
        ASSERT_EQ(Load(XwdFile(packed24), image), 0) << LastImageError();
        EXPECT_EQ(Pixel(image, 1, 0), 0x00FF00u);
        EXPECT_EQ(Pixel(image, 1, 1), 0xFFFFFFu);

        XwdPicture sixteen;
        sixteen.depth = 16;
        sixteen.bitsPerPixel = 16;
        sixteen.byteOrder = order;
        sixteen.masks[0] = 0xF800;
        sixteen.masks[1] = 0x07E0;
        sixteen.masks[2] = 0x001F;
        sixteen.pixels = {0xF800, 0x07E0, 0x001F, 0x8410};
        ASSERT_EQ(Load(XwdFile(sixteen), image), 0) << LastImageError();
        EXPECT_EQ(Pixel(image, 0, 0), 0xFF0000u);
        EXPECT_EQ(Pixel(image, 1, 0), 0x00FF00u);
        EXPECT_EQ(Pixel(image, 0, 1), 0x0000FFu);
        EXPECT_EQ(Pixel(image, 1, 1), 0x848284u);  // 16/31, 32/63, 16/31 rounded

        XwdPicture pseudo;
        pseudo.depth = 8;
        pseudo.bitsPerPixel = 8;
        pseudo.byteOrder = order;
        pseudo.visualClass = 3;  // PseudoColor
        pseudo.masks[0] = pseudo.masks[1] = pseudo.masks[2] = 0;
        pseudo.colourPixels = {200, 7};  // entries need not be in pixel order
        pseudo.colours = {0x102030, 0xA0B0C0};
        pseudo.width = 4;
        pseudo.height = 1;
        pseudo.pixels = {7, 200, 7, 3};
        ASSERT_EQ(Load(XwdFile(pseudo), image), 0) << LastImageError();
        EXPECT_EQ(Pixel(image, 0, 0), 0xA0B0C0u);
        EXPECT_EQ(Pixel(image, 1, 0), 0x102030u);
        EXPECT_EQ(Pixel(image, 3, 0), 0x000000u);  // no entry: black
    }
}

TEST(XwdReaderTest, DamagedDumpsGiveXwdMessagesAndNoPicture) {
    XwdPicture picture;
    picture.pixels = {1, 2, 3, 4};
    const Bytes whole = XwdFile(picture);
    Bytes version6 = whole;
    version6[7] = 6;
    Bytes shortHeader = whole;
    shortHeader[3] = 40;  // header size below the 100 bytes of its fields
    Bytes xyPixmap = whole;
    xyPixmap[11] = 1;
    Bytes noMasks = whole;
    noMasks[4 * 15 + 2] = 0;  // the green mask
    Bytes tooNarrowRows = whole;
    tooNarrowRows[51] = 4;  // bytes per line for 2 pixels of 32 bits
    struct Case {
        const char* what;
        Bytes bytes;
        const char* message;
    };
    const Case cases[] = {
        {"rows cut", Bytes(whole.begin(), whole.end() - 1), "Fehler beim Lesen der XWD-Datei !"},
        {"header cut", Bytes(whole.begin(), whole.begin() + 60),
         "Fehler beim Lesen der XWD-Datei !"},
        {"version 6", version6, "Die Datei ist keine XWD-Datei !"},
        {"short header", shortHeader, "Die Datei ist keine XWD-Datei !"},
        {"rows narrower than the width", tooNarrowRows, "Die Datei ist keine XWD-Datei !"},
        {"XY pixmap", xyPixmap, "Das Format wird nicht unterst\xFCtzt"},
        {"true colour without masks", noMasks, "Das Format wird nicht unterst\xFCtzt"},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(Load(c.bytes, image), -1) << c.what;
        EXPECT_EQ(LastImageError(), c.message) << c.what;
        EXPECT_TRUE(image.IsEmpty()) << c.what;
    }
}

TEST(IcoXwdReaderTest, DamagedVariantsEndWithACode) {
    const Bytes bitmap = IconBitmap(4, 5, {0, 0xFF0000, 0x00FF00},
                                    std::vector<std::uint32_t>(15, 1), {"x....", ".x...", "..x.."});
    const Bytes rgba =
        IconBitmap(32, 3, {}, std::vector<std::uint32_t>(6, 0x80102030), {"...", "..."});
    testimages::LoadMutations(IconFile({{5, 3, 4, bitmap}, {3, 2, 32, rgba}}), 21, 600);
    XwdPicture pseudo;
    pseudo.depth = 8;
    pseudo.bitsPerPixel = 8;
    pseudo.visualClass = 3;
    pseudo.colourPixels = {1, 2};
    pseudo.colours = {0x102030, 0x405060};
    pseudo.width = 5;
    pseudo.height = 3;
    pseudo.pixels.assign(15, 2);
    testimages::LoadMutations(XwdFile(pseudo), 22, 600);
    XwdPicture sixteen;
    sixteen.depth = 16;
    sixteen.bitsPerPixel = 16;
    sixteen.masks[0] = 0xF800;
    sixteen.masks[1] = 0x07E0;
    sixteen.masks[2] = 0x001F;
    sixteen.width = 3;
    sixteen.pixels.assign(6, 0x1234);
    testimages::LoadMutations(XwdFile(sixteen), 23, 600);
}

}  // namespace
}  // namespace kelvandor
