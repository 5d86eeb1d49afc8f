#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/LittleEndian.h"
#include "image/DibImage.h"
#include "image/ImageErrors.h"
#include "image/ImageFile.h"
#include "image/TlsReader.h"
#include "image/TlsWriter.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;

const char* const kCorrupt =
    "Besch\xE4"
    "digte TLS-Datei !";

CDibImage Picture(std::uint32_t depth, std::uint32_t width, std::uint32_t height,
                  std::uint32_t seed) {
    CDibImage image;
    image.Create(depth, width, height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            image.putPixel(image.Row(y), x, (x * 0x9E3779B9u + y * 0x7F4A7C15u) ^ seed);
        }
    }
    return image;
}

TlsBlock Block(std::uint32_t seed) {
    TlsBlock block;
    for (std::uint32_t i = 0; i < block.size(); ++i) {
        block[i] = (i + 1) * 0x2545F491u ^ seed;
    }
    return block;
}

std::uint32_t Pixel(const CDibImage& image, std::uint32_t x, std::uint32_t y) {
    return image.getPixel(image.Row(y), x);
}

bool SameRows(const CDibImage& a, const CDibImage& b) {
    for (std::uint32_t y = 0; y < a.height; ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), a.stride) != 0) {
            return false;
        }
    }
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel;
}

// The message of the exception a read throws, empty when none; progress percentages land in
// `progress`.
std::string Read(const Bytes& file, CDibImage& image, std::uint32_t index,
                 std::vector<int>* progress = nullptr) {
    CTlsReader reader;
    if (progress != nullptr) {
        reader.SetProgressCallback(
            [](void* user, int percent, bool*) {
                static_cast<std::vector<int>*>(user)->push_back(percent);
            },
            progress);
    }
    CDataStream stream;
    stream.OpenMemory(file);
    try {
        reader.ReadPicture(stream, image, index);
        return {};
    } catch (const EGraphicsException& error) {
        return error.Message();
    }
}

TEST(TlsTest, CrcIsXmodem) {
    const std::string check = "123456789";
    EXPECT_EQ(UpdateTlsCrc(0, {reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}),
              0x31C3);
}

TEST(TlsTest, EightBitSequenceReadsBackPictureBlockAndTail) {
    const CDibImage pictures[] = {Picture(8, 13, 5, 1), Picture(8, 13, 5, 2), Picture(8, 13, 5, 3)};
    std::vector<TlsPicture> sequence;
    for (std::uint32_t i = 0; i < 3; ++i) {
        sequence.push_back(
            {&pictures[i], Block(i * 77), {static_cast<std::uint16_t>(10 + i), 0xBEEF}});
    }
    const Bytes file = EncodeTlsSequence(sequence);
    // Header, then per picture block, rows (16-byte rows for 13 pixels) and tail.
    ASSERT_EQ(file.size(), 16u + 3 * (64 + 5 * 16 + 4));
    for (std::uint32_t index = 0; index < 3; ++index) {
        CDibImage image;
        CTlsReader reader;
        CDataStream stream;
        stream.OpenMemory(file);
        reader.ReadPicture(stream, image, index);
        EXPECT_TRUE(SameRows(image, pictures[index])) << index;
        EXPECT_EQ(reader.PictureCount(), 3u);
        EXPECT_EQ(reader.Block(), sequence[index].block);
        EXPECT_EQ(reader.Tail(), sequence[index].tail);
        // The fixed palette with the picture's own 3-bit values folded into the alpha.
        const TlsBlock& block = sequence[index].block;
        EXPECT_EQ(image.palette[0x70], 0x00FFFFFFu | ((0x00u | (block[0] >> 21 & 7) << 4) << 24));
        EXPECT_EQ(image.palette[0x4F] >> 24, 0x0Fu | ((block[15] >> 12 & 7) << 4));
        EXPECT_EQ(image.palette[0x4F] & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(image.palette[200], 0x00FF0000u | ((200u & 0x8F) << 24));
    }
}

TEST(TlsTest, ThirtyTwoBitPicturesGetTheValuesInBits28To30) {
    const CDibImage picture = Picture(32, 10, 20, 5);
    const TlsPicture only{&picture, Block(9), {}};
    const Bytes file = EncodeTlsSequence({&only, 1});
    // One picture: no tail.
    ASSERT_EQ(file.size(), 16u + 64 + 20 * 40);
    CDibImage image;
    ASSERT_EQ(Read(file, image, 0), "");
    for (std::uint32_t p = 0; p < 200; ++p) {
        const std::uint32_t x = p % 10, y = p / 10;
        const std::uint32_t value = p < 176   ? (only.block[p % 16] >> (3 * (p / 16))) & 7
                                    : p < 198 ? p & 7
                                              : 99;
        const std::uint32_t original = Pixel(picture, x, y);
        if (value == 99) {
            EXPECT_EQ(Pixel(image, x, y), original) << p;
        } else {
            EXPECT_EQ(Pixel(image, x, y), (original & ~0x70000000u) | (value << 28)) << p;
        }
    }
    // Position 176 is pixel (6, 17) and gets 0; position 197 is (7, 19) and gets 5.
    EXPECT_EQ(Pixel(image, 6, 17) >> 28 & 7, 0u);
    EXPECT_EQ(Pixel(image, 7, 19) >> 28 & 7, 5u);

    // Through the loader: picture 0, with an empty message.
    ASSERT_EQ(LoadImageFile(testimages::WriteTempFile("one.tls", file), image), 0);
    EXPECT_EQ(image.bitsPerPixel, 32u);
}

TEST(TlsTest, WrongCrcIsFoundAfterEveryRowAndMissingPicturesBeforeAnyRow) {
    const CDibImage pictures[] = {Picture(8, 4, 3, 1), Picture(8, 4, 3, 2), Picture(8, 4, 3, 3)};
    const std::vector<TlsPicture> sequence = {
        {&pictures[0], {}, {}}, {&pictures[1], {}, {}}, {&pictures[2], {}, {}}};
    Bytes file = EncodeTlsSequence(sequence);
    file[file.size() - 1] ^= 1;  // the last tail
    CDibImage image;
    std::vector<int> progress;
    EXPECT_EQ(Read(file, image, 0, &progress), "Falsche CRC-Summe !");
    // Progress came before each of the 9 rows: the whole file was read first.
    EXPECT_EQ(progress.size(), 1u + 9);
    EXPECT_EQ(progress.back(), 8 * 100 / 9);

    progress.clear();
    EXPECT_EQ(Read(EncodeTlsSequence(sequence), image, 3, &progress),
              "Das Bild wurde in der Sequenz nicht gefunden !");
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(Read(EncodeTlsSequence(sequence), image, 100000),
              "Das Bild wurde in der Sequenz nicht gefunden !");
}

TEST(TlsTest, DamagedSequencesAreRefusedWithTheirMessages) {
    const CDibImage picture = Picture(8, 4, 3, 1);
    const std::vector<TlsPicture> pair = {{&picture, {}, {}}, {&picture, {}, {}}};
    const Bytes good = EncodeTlsSequence(pair);
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes file = good;
        file[at] = value;
        return file;
    };
    Bytes lyingCount = changed(9, 200);  // 201 pictures of which the data hold 2
    Bytes wide = good;
    StoreLe16(wide.data() + 4, 4097);
    struct Case {
        const char* what;
        Bytes file;
        std::string message;
    };
    const Case cases[] = {
        {"header cut", Bytes(good.begin(), good.begin() + 15), "Fehler beim Lesen der TLS-Datei !"},
        {"magic", changed(3, 'Q'), "Die Datei ist keine TLS-Datei !"},
        {"format 2", changed(8, 2), kCorrupt},
        {"width 0", changed(4, 0), kCorrupt},
        {"width above 4096", wide, kCorrupt},
        {"block cut", Bytes(good.begin(), good.begin() + 70), kCorrupt},
        {"rows cut", Bytes(good.begin(), good.end() - 1), kCorrupt},
        {"more pictures than data", lyingCount, kCorrupt},
        {"changed pixel", changed(100, good[100] ^ 0x40), "Falsche CRC-Summe !"},
    };
    for (const Case& c : cases) {
        CDibImage image;
        EXPECT_EQ(Read(c.file, image, 0), c.message) << c.what;
    }
    CDibImage image;
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("cut.tls", cases[6].file), image), -1);
    EXPECT_EQ(LastImageError(), kCorrupt);
    EXPECT_THROW(CTlsReader().ReadPictureFile(::testing::TempDir() + "none.tls", image, 0),
                 ETlsFileOpenError);
}

TEST(TlsTest, WriterTakesUpTo256PicturesOfOneSizeAndDepth) {
    const CDibImage eight = Picture(8, 4, 3, 1);
    const CDibImage thirtyTwo = Picture(32, 4, 3, 1);
    const CDibImage twentyFour = Picture(24, 4, 3, 1);
    EXPECT_TRUE(EncodeTlsSequence({}).empty());
    EXPECT_TRUE(
        EncodeTlsSequence(std::vector<TlsPicture>{{&eight, {}, {}}, {&thirtyTwo, {}, {}}}).empty());
    EXPECT_TRUE(EncodeTlsSequence(std::vector<TlsPicture>{{&twentyFour, {}, {}}}).empty());
    EXPECT_TRUE(EncodeTlsSequence(std::vector<TlsPicture>(257, {&eight, {}, {}})).empty());
    const std::string path = ::testing::TempDir() + "kelvandor-most.tls";
    ASSERT_TRUE(WriteTlsFile(path, std::vector<TlsPicture>(256, {&eight, {}, {}})));
    CDibImage image;
    CTlsReader reader;
    reader.ReadPictureFile(path, image, 255);
    EXPECT_TRUE(SameRows(image, eight));
    EXPECT_EQ(reader.PictureCount(), 256u);
}

}  // namespace
}  // namespace kelvandor
