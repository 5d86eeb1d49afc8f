// Pictures that carry an orientation (phone photos, scanned TIFFs) load upright.

#include "image/Orientation.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdlib>
#include <string>

#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;

// The stored picture has three columns and two rows of cells a b c / d e f. Each orientation
// names where they land in the upright picture, as the Exif standard defines them.
const char* const kStored[2] = {"abc", "def"};
struct Upright {
    int orientation;
    std::vector<std::string> rows;
};
const Upright kUpright[] = {
    {1, {"abc", "def"}},     {2, {"cba", "fed"}},     {3, {"fed", "cba"}},
    {4, {"def", "abc"}},     {5, {"ad", "be", "cf"}}, {6, {"da", "eb", "fc"}},
    {7, {"fc", "eb", "da"}}, {8, {"cf", "be", "ad"}},
};

std::uint32_t ColourOf(char cell) {
    static constexpr std::uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF,
                                                 0xFFFFFF, 0x000000, 0xFFFF00};
    return kColours[cell - 'a'];
}

// The cell whose colour is nearest to the pixel.
char CellAt(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* row = image.rowTo24(image, image.Row(y));
    const std::uint8_t* p = row + std::size_t{x} * 3;
    char best = '?';
    int bestDistance = 1 << 30;
    for (const char cell : std::string("abcdef")) {
        const std::uint32_t c = ColourOf(cell);
        const int d = std::abs(p[2] - static_cast<int>(c >> 16 & 0xFF)) +
                      std::abs(p[1] - static_cast<int>(c >> 8 & 0xFF)) +
                      std::abs(p[0] - static_cast<int>(c & 0xFF));
        if (d < bestDistance) {
            bestDistance = d;
            best = cell;
        }
    }
    return best;
}

// The cells of an image made of cells of cellSize pixels, read at their centres.
std::vector<std::string> Cells(const CDibImage& image, std::uint32_t cellSize) {
    std::vector<std::string> rows;
    for (std::uint32_t y = cellSize / 2; y < image.height; y += cellSize) {
        std::string row;
        for (std::uint32_t x = cellSize / 2; x < image.width; x += cellSize) {
            row += CellAt(image, x, y);
        }
        rows.push_back(row);
    }
    return rows;
}

// The stored picture as RGB samples, cellSize pixels per cell.
Bytes StoredSamples(int cellSize) {
    Bytes samples;
    for (int y = 0; y < 2 * cellSize; ++y) {
        for (int x = 0; x < 3 * cellSize; ++x) {
            const std::uint32_t c = ColourOf(kStored[y / cellSize][x / cellSize]);
            samples.insert(samples.end(),
                           {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                            static_cast<std::uint8_t>(c)});
        }
    }
    return samples;
}

TEST(OrientationTest, EveryOrientationTurnsTheStoredCellsUprightAtEveryDepth) {
    for (const std::uint32_t depth : {24u, 32u, 4u}) {
        for (const Upright& expected : kUpright) {
            CDibImage image;
            ASSERT_TRUE(image.Create(depth, 3, 2, 0));
            image.user1 = 7;
            for (std::uint32_t y = 0; y < 2; ++y) {
                for (std::uint32_t x = 0; x < 3; ++x) {
                    const char cell = kStored[y][x];
                    // At 4 bits the cell's letter is its palette index.
                    image.putPixel(
                        image.Row(y), x,
                        depth == 4 ? static_cast<std::uint32_t>(cell - 'a' + 1) : ColourOf(cell));
                    if (depth == 4) {
                        image.SetPaletteEntry(static_cast<std::uint32_t>(cell - 'a' + 1),
                                              ColourOf(cell));
                    }
                }
            }
            ApplyOrientation(image, expected.orientation);
            EXPECT_EQ(Cells(image, 1), expected.rows)
                << "depth " << depth << " orientation " << expected.orientation;
            EXPECT_EQ(image.bitsPerPixel, depth);
            EXPECT_EQ(image.user1, 7u);
        }
    }
}

TEST(OrientationTest, JpegExifOrientationsOneToEightLoadUpright) {
    const Bytes samples = StoredSamples(8);
    for (const bool bigEndian : {false, true}) {
        for (const Upright& expected : kUpright) {
            testimages::JpegExtras extras;
            extras.orientation = expected.orientation;
            extras.bigEndianExif = bigEndian;
            CDibImage image;
            ASSERT_EQ(LoadImageFile(
                          testimages::WriteTempFile(
                              "oriented.jpg", testimages::JpegFileWith(24, 16, 3, samples, extras)),
                          image),
                      0)
                << LastImageError();
            EXPECT_EQ(Cells(image, 8), expected.rows) << "orientation " << expected.orientation;
            EXPECT_EQ(image.width, expected.orientation >= 5 ? 16u : 24u);
        }
    }
}

TEST(OrientationTest, TiffOrientationTagLoadsUpright) {
    const Bytes samples = StoredSamples(1);
    for (const Upright& expected : kUpright) {
        testimages::TiffPicture picture;
        picture.width = 3;
        picture.height = 2;
        picture.orientation = expected.orientation;
        picture.rows = {Bytes(samples.begin(), samples.begin() + 9),
                        Bytes(samples.begin() + 9, samples.end())};
        CDibImage image;
        ASSERT_EQ(
            LoadImageFile(testimages::WriteTempFile("oriented.tif", testimages::TiffFile(picture)),
                          image),
            0)
            << LastImageError();
        EXPECT_EQ(Cells(image, 1), expected.rows) << "orientation " << expected.orientation;
    }
}

TEST(OrientationTest, UnreadableExifBlocksMeanAsStored) {
    const Bytes good = {'E', 'x', 'i',  'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                        1,   0,   0x12, 1,   3, 0, 1,   0,   0,  0, 6, 0, 0, 0};
    EXPECT_EQ(ExifOrientation(good), 6);
    Bytes outOfRange = good;
    outOfRange[24] = 9;
    EXPECT_EQ(ExifOrientation(outOfRange), 1);
    Bytes offsetBeyond = good;
    offsetBeyond[10] = 0xF0;
    EXPECT_EQ(ExifOrientation(offsetBeyond), 1);
    Bytes tooManyEntries = good;
    tooManyEntries[14] = 0xFF;  // entries that would lie beyond the block
    tooManyEntries[16] = 0;     // and the first one is not the orientation
    EXPECT_EQ(ExifOrientation(tooManyEntries), 1);
    EXPECT_EQ(ExifOrientation(Bytes(good.begin(), good.begin() + 20)), 1);
    EXPECT_EQ(ExifOrientation({}), 1);
}

}  // namespace
}  // namespace kelvandor
