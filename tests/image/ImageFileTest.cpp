#include "image/ImageFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image/BmpReader.h"
#include "image/ImageErrors.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;
using namespace std::string_view_literals;

ImageFormat Recognise(const Bytes& bytes) {
    return RecogniseImageFormat(bytes.data(), bytes.size());
}

Bytes Text(std::string_view text, std::size_t size = 0) {
    Bytes out(text.begin(), text.end());
    out.resize(std::max(size, out.size()), 0);
    return out;
}

TEST(RecogniseImageFormatTest, SignaturesInTheirOrderWithLaterMatchesWinning) {
    EXPECT_EQ(Recognise(Text("BM"sv, 64)), ImageFormat::Bmp);
    Bytes bmpWithChar = Text("BM"sv, 64);
    std::memcpy(bmpWithChar.data() + 30, "char", 4);
    EXPECT_EQ(Recognise(bmpWithChar), ImageFormat::Xpm);
    EXPECT_EQ(Recognise(Text("/* XPM */\nstatic char * x[] = {"sv)), ImageFormat::Xpm);
    EXPECT_EQ(Recognise(Text("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"sv, 64)), ImageFormat::Png);
    EXPECT_EQ(Recognise(Text("GIF89a"sv, 64)), ImageFormat::Gif);
    EXPECT_EQ(Recognise(Text("GIF87a"sv)), ImageFormat::Gif);
    EXPECT_EQ(Recognise(Text("II*"sv)), ImageFormat::Tiff);
    EXPECT_EQ(Recognise(Text("MM"sv)), ImageFormat::Tiff);  // a short source is padded
    EXPECT_EQ(Recognise(Text("TLSP"sv)), ImageFormat::Tls);
    EXPECT_EQ(Recognise(Text("\xFF\xD8\xFF\xE0\0\x10JFIF"sv)), ImageFormat::Jpeg);
    EXPECT_EQ(Recognise(Text("\xFF\xDB"sv)), ImageFormat::Jpeg);
    EXPECT_EQ(Recognise(Text("xxxxJFIF"sv)), ImageFormat::Jpeg);
    EXPECT_EQ(Recognise(Text("%!PS-Adobe"sv)), ImageFormat::Eps);
    EXPECT_EQ(Recognise(Text("P6\n2 2\n255\n"sv)), ImageFormat::Pnm);
    EXPECT_EQ(Recognise(Text("P7\n"sv)), ImageFormat::None);
    EXPECT_EQ(Recognise(Text("\0\0\0\x64\0\0\0\x07"sv, 64)), ImageFormat::Xwd);
    EXPECT_EQ(Recognise(Text("\0\0\1\0\1\0"sv, 22)), ImageFormat::Ico);
    EXPECT_EQ(Recognise(Text("hello world"sv)), ImageFormat::None);
    EXPECT_EQ(Recognise(Bytes{}), ImageFormat::None);
}

// A file signature at the start wins over the text tests that look anywhere in the header:
// a PNG whose text chunk says "char" is no XPM picture.
TEST(RecogniseImageFormatTest, FileSignaturesWinOverTheTextTests) {
    testimages::PngPicture png;
    png.rows = {{1, 2, 3}};
    png.texts = {{"Comment", "char"}};
    Bytes pngWithText = testimages::PngFile(png);
    pngWithText.resize(64);
    std::memcpy(pngWithText.data() + 40, "char JFIF", 9);
    Bytes bmp = testimages::BmpFile(24, 1, 1, {}, {0});
    bmp.resize(64, 0);
    std::memcpy(bmp.data() + 56, "char", 4);
    const std::pair<Bytes, ImageFormat> cases[] = {
        {pngWithText, ImageFormat::Png},
        {bmp, ImageFormat::Bmp},
        {Text("GIF89a static char"sv, 64), ImageFormat::Gif},
        {Text("II*\0\x08\0\0\0 char XPM"sv, 64), ImageFormat::Tiff},
        {Text("MM\0*\0\0\0\x08 char"sv, 64), ImageFormat::Tiff},
        {Text("RIFF\x40\0\0\0WEBPVP8L char"sv, 64), ImageFormat::Webp},
        {Text("\xFF\xD8\xFF\xE0\0\x10JFIF char"sv, 64), ImageFormat::Jpeg},
        {Text("\xC5\xD0\xD3\xC6\x1E\0\0\0 char"sv, 64), ImageFormat::Eps},
    };
    for (const auto& [bytes, format] : cases) {
        EXPECT_EQ(Recognise(bytes), format) << static_cast<int>(format);
    }
    // Without a plausible header behind it, "BM" is only a text's first letters.
    EXPECT_EQ(Recognise(Text("BMW static char"sv, 64)), ImageFormat::Xpm);
}

TEST(RecogniseImageFormatTest, BareInfoHeaderIsABitmap) {
    Bytes header = Text("\x28\0\0\0\x40\x01\0\0\xF0\0\0\0\1\0\x20\0"sv, 40);
    EXPECT_EQ(Recognise(header), ImageFormat::Bmp);
    header[7] = 1;  // a width of 65536 or more is no plausible bitmap
    EXPECT_EQ(Recognise(header), ImageFormat::None);
}

TEST(LoadImageFileTest, SourcesThatCannotBeOpenedOrRecognised) {
    CDibImage image;
    std::string comment = "stale";
    EXPECT_EQ(LoadImageFile(::testing::TempDir() + "missing.png", image, &comment), -3);
    EXPECT_EQ(LastImageError(),
              "Kann Datei nicht \xF6"
              "ffnen.");
    EXPECT_EQ(comment, "");
    EXPECT_EQ(LoadImageFile("res://bitmap/4242", image), -3);
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("text.txt", Text("just text"sv)), image), -2);
    EXPECT_EQ(LastImageError(), "Unbekanntes Datei Format.");
    EXPECT_EQ(LoadImageFile(testimages::WriteTempFile("empty", {}), image), -2);
}

// Whatever step a reader reached, a failed load hands back an empty image, also when the
// image held a picture before.
TEST(LoadImageFileTest, AFailedReadLeavesNoPartlyDecodedPicture) {
    testimages::PngPicture png;
    png.width = 64;
    png.height = 64;
    png.rows.assign(64, Bytes(192, 0x77));
    testimages::TiffPicture tiff;
    tiff.width = 16;
    tiff.height = 16;
    tiff.rows.assign(16, Bytes(48, 0x55));
    Bytes samples(48 * 32 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::uint8_t>(i * 31);
    }
    const std::vector<std::uint32_t> pixels(24 * 24, 0xFF336699);
    const std::pair<const char*, Bytes> files[] = {
        {"png", testimages::PngFile(png)},
        {"jpeg", testimages::JpegFile(48, 32, 3, samples, 90)},
        {"bmp", testimages::BmpFile(24, 24, 24, {}, pixels)},
        {"tiff", testimages::TiffFile(tiff)},
        {"webp", testimages::WebpFile(24, 24, pixels, true, false)},
    };
    for (const auto& [name, whole] : files) {
        // Cut where the pixels are: the picture has been created and is partly filled.
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(whole.size() * 3 / 4));
        CDibImage image;
        ASSERT_TRUE(image.Create(24, 5, 5, 0));
        image.user1 = 3;
        const ImageLoadResult result =
            LoadImageFileDetailed(testimages::WriteTempFile("cut", cut), image);
        EXPECT_EQ(result.code, -1) << name;
        EXPECT_EQ(result.message, LastImageError()) << name;
        EXPECT_TRUE(result.cutShort) << name;
        EXPECT_TRUE(image.IsEmpty()) << name;
        EXPECT_EQ(image.width, 0u) << name;
        EXPECT_EQ(image.user1, 3u) << name;
    }
}

TEST(LoadImageFileTest, DetailsNameTheFormatAndWhetherTheFileWasCutShort) {
    testimages::PngPicture png;
    png.width = 8;
    png.height = 8;
    png.rows.assign(8, Bytes(24, 0x33));
    Bytes damaged = testimages::PngFile(png);
    damaged[damaged.size() / 2] ^= 0x55;  // a bad checksum; every byte is still there
    CDibImage image;
    ImageLoadResult result =
        LoadImageFileDetailed(testimages::WriteTempFile("bad.png", damaged), image);
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.format, ImageFormat::Png);
    EXPECT_FALSE(result.cutShort);

    // A small JPEG is read in one go; an error in its data is not a cut.
    Bytes jpeg = testimages::JpegFile(16, 16, 3, Bytes(16 * 16 * 3, 90));
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC4) {
            jpeg[i + 5] = 0xFF;  // a Huffman table that cannot be
            jpeg[i + 6] = 0xFF;
            break;
        }
    }
    result = LoadImageFileDetailed(testimages::WriteTempFile("bad.jpg", jpeg), image);
    EXPECT_EQ(result.code, -1);
    EXPECT_FALSE(result.cutShort) << result.message;

    const std::pair<std::string_view, ForeignFormat> foreign[] = {
        {"\0\0\0\x18"
         "ftypheic\0\0\0\0mif1heic"sv,
         ForeignFormat::Heif},
        {"\0\0\0\x1C"
         "ftypMiHE\0\0\0\0MiHEmif1heic"sv,
         ForeignFormat::Heif},
        {"\0\0\0\x20"
         "ftypavif\0\0\0\0avifmif1miafMA1B"sv,
         ForeignFormat::Avif},
        {"\0\0\0\x18"
         "ftypmif1\0\0\0\0mif1avif"sv,
         ForeignFormat::Avif},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- made by hand -->\n<svg width=\"10\">"sv,
         ForeignFormat::Svg},
        {"\0\0\0\x0CjP  \r\n\x87\n\0\0\0\x14"
         "ftypjp2 "sv,
         ForeignFormat::Jpeg2000},
        {"\xFF\x4F\xFF\x51\0\x2F"sv, ForeignFormat::Jpeg2000},
        {"%PDF-1.7\n"sv, ForeignFormat::Pdf},
        {"<html><body>no picture</body></html>"sv, ForeignFormat::None},
        {"\0\0\0\x18"
         "ftypisom\0\0\0\0isomavc1"sv,
         ForeignFormat::None},
    };
    for (const auto& [bytes, format] : foreign) {
        result = LoadImageFileDetailed(testimages::WriteTempFile("foreign", Text(bytes)), image);
        EXPECT_EQ(result.code, -2);
        EXPECT_EQ(result.message, "Unbekanntes Datei Format.");
        EXPECT_EQ(result.foreign, format) << bytes;
    }
}

// Files of a few dozen bytes that claimed gigabytes: refused before anything is allocated
// for them, each in well under a second (the inputs are the fuzz regression files).
TEST(LoadImageFileTest, PicturesThatCostFarMoreThanTheirFileAreRefused) {
    struct Case {
        const char* file;
        int code;
        std::string message;
    };
    const Case cases[] = {
        // A 64-byte run-length bitmap of 32768 x 32768 (a gigapixel), and one of 90
        // megapixels, within the budget, whose two bytes of data reach one row only.
        {"bmp-rle8-32768x32768.bmp", -4, "Das Bild ist zu gro\xDF"},
        {"bmp-rle8-10000x9000.bmp", -1, "Besch\xE4" "digte BMP-Datei !"},
        // A text chunk that claims 2 GiB: libpng would clear that much before reading it.
        {"png-chunk-claims-2GiB.png", -1, "chunk data is too large"},
        // A 275-byte TIFF of 96 x 64 that claims 8701 samples a pixel (found by fuzzing:
        // libtiff's strip buffers took 200 MB and seconds).
        {"tiff-8701-samples-per-pixel.tif", -1, "Modus ist nicht unterst\xFCtzt"},
        // 30000 x 30000 RGBA, 3.6 GB decoded.
        {"png-30000x30000.png", -4, "Das Bild ist zu gro\xDF"},
        // 24 and 32 bits with compression 4 and 5 (an embedded JPEG or PNG) but raw pixels.
        {"bmp24-compression4-raw.bmp", -1, "Besch\xE4" "digte BMP-Datei !"},
        {"bmp32-compression5-raw.bmp", -1, "Besch\xE4" "digte BMP-Datei !"},
    };
    for (const Case& c : cases) {
        CDibImage image;
        const std::string path = std::string("fuzz/regressions/image_file/") + c.file;
        EXPECT_EQ(LoadImageFile(path, image), c.code) << c.file;
        EXPECT_EQ(LastImageError(), c.message) << c.file;
        EXPECT_TRUE(image.IsEmpty()) << c.file;
    }
}

// 100 megapixels a picture: a 48-megapixel phone photo is within it, one pixel more is not,
// and a lower budget (what a puzzle's earlier pictures left) is kept to as well.
TEST(LoadImageFileTest, ThePictureBudgetIsAHundredMegapixels) {
    CBmpReader reader;
    EXPECT_NO_THROW(reader.CheckPictureSize(8000, 6000));
    EXPECT_NO_THROW(reader.CheckPictureSize(10000, 10000));
    EXPECT_THROW(reader.CheckPictureSize(10000, 10001), EGraphicsPicSize);
    EXPECT_THROW(reader.CheckPictureSize(32769, 1), EGraphicsPicSize);
    reader.SetPixelBudget(1000);
    EXPECT_THROW(reader.CheckPictureSize(40, 26), EGraphicsPicSize);
    reader.SetPixelBudget(UINT64_MAX);
    EXPECT_EQ(reader.PixelBudget(), kMaxPicturePixels);

    const testimages::Bytes png = testimages::BmpFile(24, 40, 30, {}, std::vector<std::uint32_t>(1200));
    CDibImage image;
    EXPECT_EQ(LoadImageBytes(png, image, nullptr, 1199).code, -4);
    EXPECT_EQ(LoadImageBytes(png, image, nullptr, 1200).code, 0);
}

TEST(ImageErrorsTest, CodesAndMessages) {
    EXPECT_EQ(EGraphicsAbort().Code(), 1);
    EXPECT_EQ(EGraphicsPicSize().Code(), 4);
    EXPECT_EQ(EGraphicsWrongColor().Code(), 5);
    EXPECT_EQ(EGraphicsMemory().Code(), 6);
    EXPECT_EQ(EBmpCorruptFile().Code(), 0);
    EXPECT_STREQ(EBmpCorruptFile().what(),
                 "Besch\xE4"
                 "digte BMP-Datei !");
    EXPECT_STREQ(EJpegError(67).what(), "Fehler 67 beim Laden der Jpeg Datei");
    EXPECT_STREQ(EPnmFileOpenError().what(),
                 "Fehler beim \xD6"
                 "ffnen der PNM-Datei !");
    EXPECT_EQ(EGraphicsException(std::string(400, 'x')).Message().size(), 255u);
    EXPECT_STREQ(EWebpCorruptFile().what(),
                 "Besch\xE4"
                 "digte WebP-Datei !");
    const EGraphicsException& base = ETlsCrcError();
    EXPECT_EQ(base.Message(), "Falsche CRC-Summe !");
}

}  // namespace
}  // namespace kelvandor
