#pragma once
// Builders for small test pictures, made in the test instead of stored as fixtures.

#include <cstdint>
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
    std::vector<std::uint32_t> palette;  // 0xRRGGBB
    Bytes transparency;                  // tRNS alphas for palette pictures
    std::vector<std::pair<std::string, std::string>> texts;
};
Bytes PngFile(const PngPicture& picture);

// A baseline JPEG written by libjpeg: components 1 (grey), 3 (RGB) or 4 (CMYK); samples top
// row first, interleaved.
Bytes JpegFile(int width, int height, int components, const Bytes& samples, int quality = 95,
               const std::vector<std::string>& comments = {}, bool progressive = false);

}  // namespace kelvandor::testimages
