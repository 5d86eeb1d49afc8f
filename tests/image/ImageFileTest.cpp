#include "image/ImageFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST(LoadImageFileTest, RecognisedFormatsWithoutAReaderAreRefused) {
    const Bytes samples[] = {Text("II*\0"sv, 64), Text("\0\0\0\x64\0\0\0\x07"sv, 64),
                             Text("%!PS"sv, 64), Text("\0\0\1\0\1\0"sv, 64)};
    int n = 0;
    for (const Bytes& sample : samples) {
        CDibImage image;
        const std::string path =
            testimages::WriteTempFile("unsupported" + std::to_string(n++), sample);
        EXPECT_EQ(LoadImageFile(path, image), -1) << n;
        EXPECT_EQ(LastImageError(), "Das Format wird nicht unterst\xFCtzt");
    }
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
    const EGraphicsException& base = ETlsCrcError();
    EXPECT_EQ(base.Message(), "Falsche CRC-Summe !");
}

}  // namespace
}  // namespace kelvandor
