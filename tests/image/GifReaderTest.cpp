#include "image/GifReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/DibImage.h"
#include "image/ImageErrors.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;
using testimages::GifFile;
using testimages::GifPicture;
using testimages::GifStream;

const char* const kCorrupt = "Gif stream is corrupt";

Bytes Indices(int count, int modulo, std::uint32_t seed = 1) {
    Bytes out;
    std::uint32_t state = seed;
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        out.push_back(
            static_cast<std::uint8_t>((state >> 16) % static_cast<std::uint32_t>(modulo)));
    }
    return out;
}

std::vector<std::uint32_t> Table(int count, std::uint32_t step) {
    std::vector<std::uint32_t> table;
    for (int i = 0; i < count; ++i) {
        table.push_back((static_cast<std::uint32_t>(i) * step) & 0xFFFFFF);
    }
    return table;
}

GifPicture Picture(int width, int height, Bytes indices) {
    GifPicture picture;
    picture.width = width;
    picture.height = height;
    picture.indices = std::move(indices);
    return picture;
}

// The picture's indices, top row first, as the image holds them.
Bytes IndicesOf(const CDibImage& image) {
    Bytes out;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        out.insert(out.end(), image.Row(y), image.Row(y) + image.width);
    }
    return out;
}

// Reads the stream's first picture; the message of the exception, empty when none.
std::string ReadFirst(const Bytes& file, CDibImage& image, CGifReader& reader) {
    try {
        reader.ReadBytes(file, image);
        return {};
    } catch (const EGraphicsException& error) {
        return error.Message();
    }
}

std::string Refusal(const Bytes& file) {
    CDibImage image;
    CGifReader reader;
    return ReadFirst(file, image, reader);
}

TEST(GifReaderTest, DecodesIndicesAndTheGlobalTable) {
    GifStream gif;
    gif.globalTable = Table(16, 0x110F0D);
    gif.pictures = {Picture(23, 9, Indices(23 * 9, 16))};
    CDibImage image;
    CGifReader reader;
    ASSERT_EQ(ReadFirst(GifFile(gif), image, reader), "");
    EXPECT_EQ(image.bitsPerPixel, 8u);
    EXPECT_EQ(IndicesOf(image), gif.pictures[0].indices);
    for (std::uint32_t i = 0; i < 16; ++i) {
        // The table's colours with alpha 0, as the library's palettes without alpha have.
        EXPECT_EQ(image.palette[i], gif.globalTable[i]) << i;
    }
    EXPECT_EQ(reader.TransparentIndex(), -1);
    EXPECT_FALSE(reader.HasMorePictures());
}

TEST(GifReaderTest, DictionaryFullWithAndWithoutAClearCode) {
    // 256 colours at random fill the 4096 entries many times over; runs of one colour make
    // the encoder use an entry in the code right after defining it.
    Bytes indices = Indices(300 * 120, 256, 7);
    std::fill(indices.begin() + 5000, indices.begin() + 9000, 3);
    for (const bool clearWhenFull : {true, false}) {
        GifStream gif;
        gif.globalTable = Table(256, 0x010101);
        gif.pictures = {Picture(300, 120, indices)};
        gif.pictures[0].clearWhenFull = clearWhenFull;
        CDibImage image;
        CGifReader reader;
        ASSERT_EQ(ReadFirst(GifFile(gif), image, reader), "") << clearWhenFull;
        EXPECT_EQ(IndicesOf(image), indices) << clearWhenFull;
    }
}

TEST(GifReaderTest, InterlacedRowsArriveInPassOrder) {
    // Stored rows 0..4 of a 5-row picture belong to image rows 0, 4, 2, 1, 3.
    GifStream gif;
    gif.globalTable = Table(8, 0x202020);
    GifPicture picture = Picture(3, 5, {});
    picture.interlaced = true;
    picture.data = testimages::GifLzwData({0, 0, 0, 4, 4, 4, 2, 2, 2, 1, 1, 1, 3, 3, 3}, 3);
    gif.pictures = {picture};
    CDibImage image;
    CGifReader reader;
    ASSERT_EQ(ReadFirst(GifFile(gif), image, reader), "");
    EXPECT_EQ(IndicesOf(image), (Bytes{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}));

    // Taller pictures, where every pass has rows (and one where the third pass is empty).
    for (const int height : {2, 17}) {
        GifStream tall;
        tall.globalTable = Table(64, 0x040404);
        tall.pictures = {Picture(4, height, Indices(4 * height, 64, 3))};
        tall.pictures[0].interlaced = true;
        ASSERT_EQ(ReadFirst(GifFile(tall), image, reader), "") << height;
        EXPECT_EQ(IndicesOf(image), tall.pictures[0].indices) << height;
    }
}

TEST(GifReaderTest, LocalTableLiesOverTheGlobalOne) {
    GifStream gif;
    gif.globalTable = Table(256, 0x010203);
    GifPicture picture = Picture(4, 2, {0, 1, 2, 3, 4, 5, 200, 255});
    picture.localTable = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    gif.pictures = {picture};
    CDibImage image;
    CGifReader reader;
    ASSERT_EQ(ReadFirst(GifFile(gif), image, reader), "");
    EXPECT_EQ(image.palette[0], 0xFF0000u);
    EXPECT_EQ(image.palette[3], 0xFFFFFFu);
    EXPECT_EQ(image.palette[4], gif.globalTable[4]);
    EXPECT_EQ(image.palette[255], gif.globalTable[255]);

    // Without a global table the local one stands alone; without either there are no colours.
    gif.globalTable.clear();
    gif.pictures[0].indices = {0, 1, 2, 3, 3, 2, 1, 0};
    ASSERT_EQ(ReadFirst(GifFile(gif), image, reader), "");
    EXPECT_EQ(image.palette[2], 0x0000FFu);
    gif.pictures[0].localTable.clear();
    EXPECT_EQ(Refusal(GifFile(gif)), kCorrupt);
}

TEST(GifReaderTest, TransparentIndexIsPublishedAndShowsOnATile) {
    GifStream gif;
    gif.globalTable = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    GifPicture picture = Picture(3, 2, {0, 2, 1, 2, 2, 0});
    picture.transparent = 2;
    gif.pictures = {picture};
    CDibImage image;
    ASSERT_EQ(LoadImageFile(testimages::WriteTempFile("transparent.gif", GifFile(gif)), image), 0);
    EXPECT_EQ(LastGifTransparentIndex(), 2);
    // The picture becomes 32 bits: the transparent index has alpha 0, the rest is opaque.
    ASSERT_EQ(image.bitsPerPixel, 32u);
    EXPECT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.getPixel(image.Row(0), 0), 0xFFFF0000u);
    EXPECT_EQ(image.getPixel(image.Row(0), 1) >> 24, 0u);
    EXPECT_EQ(image.getPixel(image.Row(1), 2), 0xFFFF0000u);

    // Drawn on a tile with its alpha, as the game draws answer pictures, the tile shows
    // through where the picture is transparent.
    CDibImage tile;
    tile.Create(24, 3, 2, 0x00F5F5FF);
    ASSERT_TRUE(tile.DrawAlpha(image, 0, 0));
    EXPECT_EQ(tile.getPixel(tile.Row(0), 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(tile.getPixel(tile.Row(0), 1) & 0xFFFFFF, 0xF5F5FFu);
    EXPECT_EQ(tile.getPixel(tile.Row(0), 2) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(tile.getPixel(tile.Row(1), 1) & 0xFFFFFF, 0xF5F5FFu);

    // An index that no pixel uses leaves the palette picture as it is.
    gif.pictures[0].indices = {0, 1, 1, 0, 0, 1};
    ASSERT_EQ(LoadImageFile(testimages::WriteTempFile("unused.gif", GifFile(gif)), image), 0);
    EXPECT_EQ(image.bitsPerPixel, 8u);
    EXPECT_EQ(LastGifTransparentIndex(), 2);
    gif.pictures[0].transparent = -1;
    ASSERT_EQ(LoadImageFile(testimages::WriteTempFile("opaque.gif", GifFile(gif)), image), 0);
    EXPECT_EQ(LastGifTransparentIndex(), -1);
}

TEST(GifReaderTest, AnimationGivesItsPicturesInTurn) {
    GifStream gif;
    gif.globalTable = Table(4, 0x404040);
    // A looping animation's application extension, a comment, a plain-text block and an
    // unknown label come before the pictures; all are read past.
    const std::string netscape = "NETSCAPE2.0";
    gif.beforePictures = {0x21, 0xFF, 11};
    gif.beforePictures.insert(gif.beforePictures.end(), netscape.begin(), netscape.end());
    gif.beforePictures.insert(gif.beforePictures.end(), {3, 1, 0, 0, 0});
    gif.beforePictures.insert(gif.beforePictures.end(), {0x21, 0xFE, 2, 'h', 'i', 0});
    gif.beforePictures.insert(gif.beforePictures.end(), {0x21, 0x01, 12});
    gif.beforePictures.insert(gif.beforePictures.end(), 12, 0);
    gif.beforePictures.insert(gif.beforePictures.end(), {1, 'x', 0, 0x21, 0x42, 1, 9, 0});
    GifPicture second = Picture(2, 1, {3, 1});
    second.left = 1;
    second.top = 1;
    second.transparent = 3;
    gif.pictures = {Picture(3, 2, {0, 1, 2, 3, 2, 1}), second, Picture(3, 2, {1, 1, 1, 2, 2, 2})};
    const Bytes file = GifFile(gif);

    CDibImage image;
    CGifReader reader;
    ASSERT_EQ(ReadFirst(file, image, reader), "");
    EXPECT_EQ(IndicesOf(image), gif.pictures[0].indices);
    CDataStream stream;
    stream.OpenMemory(file);
    reader.Read(stream, image);
    ASSERT_TRUE(reader.HasMorePictures());
    reader.ReadNextPicture(image);
    // A later picture has its own size; its place on the screen is not applied.
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 1u);
    EXPECT_EQ(reader.TransparentIndex(), 3);
    EXPECT_EQ(image.getPixel(image.Row(0), 0) >> 24, 0u);
    reader.ReadNextPicture(image);
    EXPECT_EQ(reader.TransparentIndex(), -1);
    EXPECT_EQ(IndicesOf(image), gif.pictures[2].indices);
    EXPECT_FALSE(reader.HasMorePictures());
    EXPECT_THROW(reader.ReadNextPicture(image), EGifNoMoreImages);

    // The loader shows the first picture.
    ASSERT_EQ(LoadImageFile(testimages::WriteTempFile("animation.gif", file), image), 0);
    EXPECT_EQ(IndicesOf(image), gif.pictures[0].indices);
}

TEST(GifReaderTest, DamageBehindAPictureStopsOnlyThePicturesAfterIt) {
    GifStream gif;
    gif.globalTable = Table(4, 0x404040);
    gif.pictures = {Picture(2, 2, {0, 1, 2, 3})};
    gif.trailer = false;
    for (const Bytes& tail : {Bytes{}, Bytes{0x77}, Bytes{0x21, 0xF9, 4}}) {
        Bytes file = GifFile(gif);
        file.insert(file.end(), tail.begin(), tail.end());
        CDibImage image;
        CGifReader reader;
        ASSERT_EQ(ReadFirst(file, image, reader), "");
        EXPECT_EQ(IndicesOf(image), gif.pictures[0].indices);
        EXPECT_FALSE(reader.HasMorePictures());
        EXPECT_THROW(reader.ReadNextPicture(image), EGifCorruptFile);
    }
}

TEST(GifReaderTest, BadStreamsAreRefusedWithTheirMessages) {
    GifStream good;
    good.globalTable = Table(4, 0x404040);
    good.pictures = {Picture(4, 2, {0, 1, 2, 3, 3, 2, 1, 0})};
    const Bytes file = GifFile(good);
    const auto with = [&](auto change) {
        GifStream gif = good;
        change(gif);
        return GifFile(gif);
    };
    // Codes for a 4 x 2 picture of 2-bit indices: clear (4), literals, end (5), 3 bits wide.
    const auto codes = [&](std::vector<std::pair<std::uint32_t, int>> list) {
        return with([&](GifStream& gif) { gif.pictures[0].data = testimages::GifCodes(2, list); });
    };
    Bytes cutInData(file.begin(), file.end() - 4);
    struct Case {
        const char* what;
        Bytes file;
        std::string message;
    };
    const Case cases[] = {
        {"not a GIF", Bytes{'G', 'I', 'F', '8', '8', 'a', 0, 0, 0, 0, 0, 0, 0},
         "Stream is not in GIF format"},
        {"header cut", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0}, "Error reading from GIF file"},
        {"global table cut", Bytes(file.begin(), file.begin() + 20), "Error reading from GIF file"},
        {"trailer only", with([](GifStream& gif) { gif.pictures.clear(); }),
         "No more images in the GIF stream"},
        {"nothing after the header", with([](GifStream& gif) {
             gif.pictures.clear();
             gif.trailer = false;
         }),
         kCorrupt},
        {"unknown block", with([](GifStream& gif) { gif.beforePictures = {0x99}; }), kCorrupt},
        {"wider than the screen", with([](GifStream& gif) {
             gif.screenWidth = 3;
             gif.screenHeight = 2;
         }),
         kCorrupt},
        {"below the screen", with([](GifStream& gif) {
             gif.screenWidth = 4;
             gif.screenHeight = 2;
             gif.pictures[0].top = 1;
         }),
         kCorrupt},
        {"no pixels", with([](GifStream& gif) {
             gif.pictures[0] = Picture(0, 2, {});
             gif.screenWidth = 4;
             gif.screenHeight = 2;
         }),
         kCorrupt},
        {"code size 13", with([](GifStream& gif) {
             gif.pictures[0].data = {13, 1, 0, 0};
         }),
         kCorrupt},
        {"code size 12", with([](GifStream& gif) {
             gif.pictures[0].data = {12, 1, 0, 0};
         }),
         kCorrupt},
        {"code size 0", with([](GifStream& gif) {
             gif.pictures[0].data = {0, 1, 0, 0};
         }),
         kCorrupt},
        {"code beyond the dictionary", codes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}), kCorrupt},
        {"dictionary code first", codes({{4, 3}, {6, 3}, {5, 3}}), kCorrupt},
        {"end before the last pixel", codes({{4, 3}, {1, 3}, {2, 3}, {5, 3}}), kCorrupt},
        {"data cut", cutInData, kCorrupt},
        {"no data at all", with([](GifStream& gif) {
             gif.pictures[0].data = {2, 0};
         }),
         kCorrupt},
        {"too large", with([](GifStream& gif) {
             gif.screenWidth = 40000;
             gif.screenHeight = 2;
             gif.pictures[0].width = 40000;
             gif.pictures[0].data = {2, 1, 0, 0};
         }),
         "Das Bild ist zu gro\xDF"},
        // 30000 x 30000 pixels cannot come out of a few bytes: refused before allocation.
        {"too little data for the size", with([](GifStream& gif) {
             gif.screenWidth = 30000;
             gif.screenHeight = 30000;
             gif.pictures[0].width = 30000;
             gif.pictures[0].height = 30000;
             gif.pictures[0].data = {2, 1, 0, 0};
         }),
         kCorrupt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Refusal(c.file), c.message) << c.what;
    }
    // Through the loader the messages come with -1, and sizes with -4.
    CDibImage image;
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("cut.gif", cutInData), image), -1);
    EXPECT_EQ(LastImageError(), kCorrupt);
    CGifReader reader;
    EXPECT_THROW(reader.ReadFile(::testing::TempDir() + "no-such.gif", image), EGifError);
}

}  // namespace
}  // namespace kelvandor
