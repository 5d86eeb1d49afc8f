#pragma once
// Builders for small test pictures, made in the test instead of stored as fixtures.

#include <png.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvandor::testimages {

using Bytes = std::vector<std::uint8_t>;

// A Windows bitmap file. pixels are given top row first: palette indices for depths up to 8,
// else 0xAARRGGBB. A negative height writes a top-down bitmap. withFileHeader false leaves
// out the 14-byte "BM" header, as bitmap resources are stored.
Bytes BmpFile(int depth, int width, int height, const std::vector<std::uint32_t>& palette,
              const std::vector<std::uint32_t>& pixels, bool withFileHeader = true);

// A bitmap file with RLE8 (depth 8) or RLE4 (depth 4) data given as raw bytes.
Bytes RleBmpFile(int depth, int width, int height, const std::vector<std::uint32_t>& palette,
                 const Bytes& rle);

// Loads rounds of damaged variants of original (bytes changed, the end cut off) and checks
// that every load ends with a code, and a success with a whole picture.
void LoadMutations(const Bytes& original, std::uint32_t seed, int rounds);

// Writes bytes into the test's temporary folder and returns the path.
std::string WriteTempFile(const std::string& name, const Bytes& bytes);

void PutLe16(Bytes& out, std::uint32_t v);
void PutLe32(Bytes& out, std::uint32_t v);

}  // namespace kelvandor::testimages

namespace kelvandor::testimages {

// A PNG written by libpng. rows are the raw rows as PNG stores them (top row first, samples
// in file order, packed for depths below 8).
struct PngPicture {
    int width = 1;
    int height = 1;
    int colourType = 2;  // PNG_COLOR_TYPE_...
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<Bytes> rows;
    std::vector<std::uint32_t> palette;     // 0xRRGGBB
    Bytes transparency;                     // tRNS alphas for palette pictures
    std::optional<png_color_16> colourKey;  // tRNS colour key for grey and RGB pictures
    std::vector<std::pair<std::string, std::string>> texts;
};
Bytes PngFile(const PngPicture& picture);

// A baseline JPEG written by libjpeg: components 1 (grey), 3 (RGB) or 4 (CMYK); samples top
// row first, interleaved.
Bytes JpegFile(int width, int height, int components, const Bytes& samples, int quality = 95,
               const std::vector<std::string>& comments = {}, bool progressive = false);

// What else a JPEG may carry: an Exif block with an orientation (0: none), and for CMYK
// whether Adobe's marker (which says the inks are stored inverted) is written and whether the
// inks are coded as YCCK.
struct JpegExtras {
    int orientation = 0;
    bool bigEndianExif = false;
    bool adobeMarker = true;
    bool ycck = false;  // CMYK stored as YCCK, as print workflows do
};
Bytes JpegFileWith(int width, int height, int components, const Bytes& samples,
                   const JpegExtras& extras, int quality = 100);

// A TIFF written by libtiff. rows hold the samples as TIFF stores them (top row first,
// contiguous samples, 16-bit samples in the machine's order).
struct TiffPicture {
    int width = 1;
    int height = 1;
    int samplesPerPixel = 3;
    int bitsPerSample = 8;
    int photometric = 2;   // PHOTOMETRIC_RGB
    int compression = 1;   // COMPRESSION_NONE
    int extraSamples = 0;  // 0 none, 2 unassociated alpha (the last sample)
    int orientation = 1;
    std::vector<Bytes> rows;
    std::vector<std::uint16_t> colourMap;  // red, then green, then blue entries
    int pages = 1;                         // later pages repeat the first one inverted
};
Bytes TiffFile(const TiffPicture& picture);

// A WebP written by libwebp from 0xAARRGGBB pixels, top row first: lossless, or lossy at
// quality 100; alpha is written when withAlpha.
Bytes WebpFile(int width, int height, const std::vector<std::uint32_t>& argb, bool lossless,
               bool withAlpha);
// An animated WebP of the frames given (each width x height, 0xAARRGGBB).
Bytes AnimatedWebpFile(int width, int height,
                       const std::vector<std::vector<std::uint32_t>>& frames);

}  // namespace kelvandor::testimages

namespace kelvandor::testimages {

// A picture of a GIF stream written by GifFile.
struct GifPicture {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    bool interlaced = false;                // indices are still given top row first
    std::vector<std::uint32_t> localTable;  // 0xRRGGBB; empty: none
    int transparent = -1;                   // >= 0: a graphic control extension names it
    Bytes indices;                          // width * height, top row first
    int minCodeSize = 0;                    // 0: the smallest that holds every index
    bool clearWhenFull = true;              // false: the dictionary fills and stays full
    Bytes data;  // when not empty: the picture's data as stored (code size and sub-blocks)
};

struct GifStream {
    std::string signature = "GIF89a";
    int screenWidth = 0;  // 0: the first picture's right / bottom edge
    int screenHeight = 0;
    std::vector<std::uint32_t> globalTable;  // 0xRRGGBB; empty: none
    Bytes beforePictures;                    // raw blocks (extensions) after the header
    std::vector<GifPicture> pictures;
    bool trailer = true;
};

// A GIF file with our own test encoder (LZW with the usual code widths).
Bytes GifFile(const GifStream& gif);

// The LZW data of a picture as GIF stores it: the minimum code size, the codes in
// length-prefixed sub-blocks and the empty block that ends them.
Bytes GifLzwData(const Bytes& indices, int minCodeSize, bool clearWhenFull = true);

// Codes of the given widths packed as GIF packs them (from the low bits up), in sub-blocks
// after the minimum code size: for data that no encoder would write.
Bytes GifCodes(int minCodeSize, const std::vector<std::pair<std::uint32_t, int>>& codes);

}  // namespace kelvandor::testimages
