// Damaged variants of valid pictures: whatever the bytes say, a load ends with a code and
// never reads or writes outside a buffer (the sanitizer build checks the latter).

#include <gtest/gtest.h>

#include <png.h>
#include <tiffio.h>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "image/TlsWriter.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;
using testimages::LoadMutations;

std::vector<std::uint32_t> Indices(int count, int modulo) {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<std::uint32_t>((i * 7) % modulo));
    }
    return out;
}

TEST(MutatedInputTest, BitmapsOfEveryKind) {
    std::vector<std::uint32_t> palette(16, 0x808080);
    LoadMutations(testimages::BmpFile(8, 9, 7, palette, Indices(63, 16)), 1, 800);
    LoadMutations(testimages::BmpFile(32, 5, 4, {}, Indices(20, 1 << 30), false), 2, 800);
    LoadMutations(testimages::RleBmpFile(8, 6, 3, palette,
                                         {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1}),
                  3, 800);
    LoadMutations(
        testimages::RleBmpFile(4, 8, 2, palette, {5, 0x12, 0, 3, 0x45, 0x60, 0, 0, 8, 0x33, 0, 1}),
        4, 800);
}

TEST(MutatedInputTest, PngAndJpeg) {
    testimages::PngPicture rgba;
    rgba.width = 12;
    rgba.height = 5;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.interlaced = true;
    rgba.rows.assign(5, Bytes(48, 0x5A));
    LoadMutations(testimages::PngFile(rgba), 5, 800);
    testimages::PngPicture indexed;
    indexed.width = 9;
    indexed.height = 3;
    indexed.colourType = PNG_COLOR_TYPE_PALETTE;
    indexed.bitDepth = 2;
    indexed.palette = {0x000000, 0xFF0000, 0x00FF00};
    indexed.transparency = {0, 128};
    indexed.rows.assign(3, Bytes{0x1B, 0x6C, 0x40});
    LoadMutations(testimages::PngFile(indexed), 6, 800);
    Bytes samples(24 * 16 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::uint8_t>(i * 13);
    }
    LoadMutations(testimages::JpegFile(24, 16, 3, samples, 75, {"note"}), 7, 800);
}

TEST(MutatedInputTest, GifPnmTlsAndXpm) {
    testimages::GifStream gif;
    gif.globalTable.assign(16, 0x336699);
    testimages::GifPicture first;
    first.width = 11;
    first.height = 6;
    first.interlaced = true;
    first.transparent = 3;
    for (std::uint32_t index : Indices(66, 16)) {
        first.indices.push_back(static_cast<std::uint8_t>(index));
    }
    testimages::GifPicture second = first;
    second.interlaced = false;
    second.localTable.assign(4, 0xFF00FF);
    for (std::uint8_t& index : second.indices) {
        index &= 3;
    }
    gif.pictures = {first, second};
    LoadMutations(testimages::GifFile(gif), 8, 800);

    const std::string ppm = "P6\n# mutated\n5 3\n255\n" + std::string(45, '\x7F');
    LoadMutations(Bytes(ppm.begin(), ppm.end()), 9, 400);
    const std::string pgm = "P2 4 3 65535 0 1 2 3 4 5 6 7 8 9 10 11\n";
    LoadMutations(Bytes(pgm.begin(), pgm.end()), 10, 400);
    const std::string pbm = "P1 # bits\n9 2 010101010 111000111";
    LoadMutations(Bytes(pbm.begin(), pbm.end()), 11, 400);

    CDibImage picture;
    picture.Create(8, 7, 4, 0x21);
    const std::vector<TlsPicture> sequence(3, TlsPicture{&picture, {1, 2, 3}, {4, 5}});
    LoadMutations(EncodeTlsSequence(sequence), 12, 800);

    const std::string xpm =
        "/* XPM */\nstatic char *x[] = {\n\"4 3 3 1\",\n\". c None\",\n\"a c #FF8000\",\n"
        "\"b c LightGoldenrod\",\n\"a.ba\",\n\"bbbb\",\n\"..a.\"};\n";
    LoadMutations(Bytes(xpm.begin(), xpm.end()), 13, 800);
}

}  // namespace
}  // namespace kelvandor

namespace kelvandor {
namespace {

TEST(MutatedInputTest, TiffAndWebp) {
    testimages::TiffPicture tiff;
    tiff.width = 9;
    tiff.height = 5;
    tiff.samplesPerPixel = 4;
    tiff.extraSamples = EXTRASAMPLE_UNASSALPHA;
    tiff.compression = COMPRESSION_LZW;
    tiff.orientation = 6;
    tiff.rows.assign(5, Bytes(36, 0x5A));
    testimages::LoadMutations(testimages::TiffFile(tiff), 8, 600);
    tiff.compression = COMPRESSION_ADOBE_DEFLATE;
    tiff.samplesPerPixel = 1;
    tiff.extraSamples = 0;
    tiff.photometric = PHOTOMETRIC_MINISBLACK;
    tiff.bitsPerSample = 16;
    tiff.rows.assign(5, Bytes(18, 0x3C));
    testimages::LoadMutations(testimages::TiffFile(tiff), 9, 600);
    std::vector<std::uint32_t> pixels(40);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint32_t>(i * 0x01030507u);
    }
    testimages::LoadMutations(testimages::WebpFile(8, 5, pixels, true, true), 10, 600);
    testimages::LoadMutations(testimages::WebpFile(8, 5, pixels, false, true), 11, 600);
    testimages::LoadMutations(testimages::AnimatedWebpFile(8, 5, {pixels, pixels}), 12, 400);
}

}  // namespace
}  // namespace kelvandor
