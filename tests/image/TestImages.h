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
