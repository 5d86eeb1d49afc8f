#include "tests/image/TestImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace kelvandor::testimages {

void PutLe16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLe32(Bytes& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

namespace {

Bytes Headers(int depth, int width, int height, std::uint32_t compression,
              const std::vector<std::uint32_t>& palette, std::size_t pixelBytes,
              bool withFileHeader) {
    Bytes out;
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    if (withFileHeader) {
        out.push_back('B');
        out.push_back('M');
        PutLe32(out, offset + static_cast<std::uint32_t>(pixelBytes));
        PutLe32(out, 0);
        PutLe32(out, offset);
    }
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(width));
    PutLe32(out, static_cast<std::uint32_t>(height));
    PutLe16(out, 1);
    PutLe16(out, static_cast<std::uint32_t>(depth));
    PutLe32(out, compression);
    PutLe32(out, static_cast<std::uint32_t>(pixelBytes));
    PutLe32(out, 2835);
    PutLe32(out, 2835);
    PutLe32(out, static_cast<std::uint32_t>(palette.size()));
    PutLe32(out, 0);
    for (std::uint32_t entry : palette) {
        PutLe32(out, entry);
    }
    return out;
}

}  // namespace

Bytes BmpFile(int depth, int width, int height, const std::vector<std::uint32_t>& palette,
              const std::vector<std::uint32_t>& pixels, bool withFileHeader) {
    const int rows = height < 0 ? -height : height;
    const std::size_t rowBytes = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
    Bytes data(rowBytes * rows, 0);
    for (int fileRow = 0; fileRow < rows; ++fileRow) {
        const int y = height < 0 ? fileRow : rows - 1 - fileRow;
        std::uint8_t* row = data.data() + rowBytes * fileRow;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[static_cast<std::size_t>(y) * width + x];
            switch (depth) {
                case 1:
                    row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<std::uint8_t>(v);
                    break;
                default:
                    for (int b = 0; b < depth / 8; ++b) {
                        row[x * (depth / 8) + b] = static_cast<std::uint8_t>(v >> (8 * b));
                    }
                    break;
            }
        }
    }
    Bytes out = Headers(depth, width, height, 0, palette, data.size(), withFileHeader);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes RleBmpFile(int depth, int width, int height, const std::vector<std::uint32_t>& palette,
                 const Bytes& rle) {
    Bytes out = Headers(depth, width, height, depth == 8 ? 1 : 2, palette, rle.size(), true);
    out.insert(out.end(), rle.begin(), rle.end());
    return out;
}

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
    // Tests run in parallel processes: the test's own name keeps their files apart.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = ::testing::TempDir() + "kelvandor-image-" +
                             (test != nullptr ? std::string(test->name()) + "-" : "") + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace kelvandor::testimages
