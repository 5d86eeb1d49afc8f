#include "image/TlsReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/LittleEndian.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kHighestIndex = 256;  // larger requested indices are taken as this
constexpr std::uint32_t kFoldedPositions = 176;
constexpr std::uint32_t kNumberedPositions = 198;

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        }
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();

struct TlsHeader {
    std::uint8_t bytes[kTlsHeaderSize] = {};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;
    std::uint32_t pictureCount = 0;
    std::uint16_t storedCrc = 0;

    std::uint32_t RowBytes() const { return ((width * depth + 31) / 32) * 4; }
    // The bytes that follow the first picture's block, to the end of the sequence.
    std::uint64_t BytesAfterFirstBlock() const {
        const std::uint64_t picture = std::uint64_t{height} * RowBytes();
        const std::uint64_t tails = pictureCount > 1 ? kTlsTailSize * pictureCount : 0;
        return picture * pictureCount + kTlsBlockSize * (pictureCount - 1) + tails;
    }
};

// The 3-bit value of position p: eleven values in each of the sixteen words.
std::uint32_t FoldValue(const TlsBlock& block, std::uint32_t p) {
    return (block[p % 16] >> (3 * (p / 16))) & 7;
}

void ReadExactly(CDataStream& stream, std::uint8_t* out, std::size_t n, std::uint16_t& crc) {
    if (stream.Read(out, n) != n) {
        throw ETlsCorruptFile();
    }
    crc = UpdateTlsCrc(crc, {out, n});
}

TlsBlock BlockFromBytes(const std::uint8_t* bytes) {
    TlsBlock block;
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = Le32(bytes + 4 * i);
    }
    return block;
}

// Step 1: the header, checked.
TlsHeader ReadHeader(CDataStream& stream, std::uint32_t index) {
    TlsHeader header;
    if (stream.Read(header.bytes, kTlsHeaderSize) != kTlsHeaderSize) {
        throw ETlsFileReadError();
    }
    if (std::memcmp(header.bytes, "TLSP", 4) != 0) {
        throw ETlsNotATlsFile();
    }
    header.width = Le16(header.bytes + 4);
    header.height = Le16(header.bytes + 6);
    const std::uint8_t format = header.bytes[8];
    header.pictureCount = header.bytes[9] + 1u;
    if ((format != kTlsFormat8 && format != kTlsFormat32) || header.width == 0 ||
        header.height == 0 || header.width > kTlsMaxSide || header.height > kTlsMaxSide) {
        throw ETlsCorruptFile();
    }
    header.depth = format == kTlsFormat8 ? 8 : 32;
    if (index >= header.pictureCount) {
        throw ETlsNotFound();
    }
    // The CRC is computed with its own field taken as zero.
    header.storedCrc = Le16(header.bytes + kTlsCrcOffset);
    StoreLe16(header.bytes + kTlsCrcOffset, 0);
    return header;
}

// Step 5: the 3-bit values into the palette (8 bits) or the pixels' bits 28 to 30 (32 bits).
void FoldValues(const TlsBlock& block, CDibImage& image) {
    if (image.bitsPerPixel == 8) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            const std::uint8_t red = (i & 0x40) ? 255 : 0;
            const std::uint8_t green = (i & 0x20) ? 255 : 0;
            const std::uint8_t blue = (i & 0x10) ? 255 : 0;
            const std::uint32_t folded = i < kFoldedPositions ? FoldValue(block, i) << 4 : 0;
            image.SetPaletteRgba(i, red, green, blue,
                                 static_cast<std::uint8_t>((i & 0x8F) | folded));
        }
        return;
    }
    const std::uint64_t pixels = std::uint64_t{image.width} * image.height;
    for (std::uint32_t p = 0; p < kNumberedPositions && p < pixels; ++p) {
        const std::uint32_t value = p < kFoldedPositions ? FoldValue(block, p) : p & 7;
        std::uint8_t* row = image.Row(p / image.width);
        const std::uint32_t x = p % image.width;
        image.putPixel(row, x, (image.getPixel(row, x) & ~0x70000000u) | (value << 28));
    }
}

}  // namespace

std::uint16_t UpdateTlsCrc(std::uint16_t crc, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>(kCrcTable[byte ^ (crc >> 8)] ^ (crc << 8));
    }
    return crc;
}

void CTlsReader::Read(CDataStream& stream, CDibImage& image) {
    ReadPicture(stream, image, pictureIndex_);
}

void CTlsReader::ReadPicture(CDataStream& stream, CDibImage& image, std::uint32_t index) {
    index = std::min(index, kHighestIndex);
    pictureCount_ = 0;
    block_ = {};
    tail_ = {};
    TlsHeader header = ReadHeader(stream, index);
    pictureCount_ = header.pictureCount;
    std::uint16_t crc = UpdateTlsCrc(0, header.bytes);
    std::uint8_t block[kTlsBlockSize];
    ReadExactly(stream, block, sizeof block, crc);
    ReportProgress(0);
    // A sequence whose header promises more rows than the data hold is refused before the
    // picture is allocated.
    if (stream.Size() != UINT64_MAX && stream.Size() - std::min(stream.Size(), stream.Position()) <
                                           header.BytesAfterFirstBlock()) {
        throw ETlsCorruptFile();
    }
    CheckPictureSize(header.width, header.height);
    if (!image.Create(header.depth, header.width, header.height, NoFill)) {
        throw ETlsUnknownError();
    }
    if (index == 0) {
        block_ = BlockFromBytes(block);
    }
    // Every row of every picture passes through the CRC; only the requested picture's rows
    // stay.
    std::vector<std::uint8_t> scratch(header.RowBytes());
    const std::uint64_t totalRows = std::uint64_t{header.pictureCount} * header.height;
    std::uint64_t rowNumber = 0;
    for (std::uint32_t picture = 0; picture < header.pictureCount; ++picture) {
        if (picture > 0) {
            ReadExactly(stream, block, sizeof block, crc);
            if (picture == index) {
                block_ = BlockFromBytes(block);
            }
        }
        for (std::uint32_t y = 0; y < header.height; ++y, ++rowNumber) {
            ReportProgress(static_cast<int>(rowNumber * 100 / totalRows));
            std::uint8_t* row = picture == index ? image.Row(y) : scratch.data();
            ReadExactly(stream, row, header.RowBytes(), crc);
        }
        if (header.pictureCount > 1) {
            std::uint8_t tail[kTlsTailSize];
            ReadExactly(stream, tail, sizeof tail, crc);
            if (picture == index) {
                tail_ = {Le16(tail), Le16(tail + 2)};
            }
        }
    }
    if (crc != header.storedCrc) {
        throw ETlsCrcError();
    }
    ReportProgress(100);
    FoldValues(block_, image);
}

void CTlsReader::ReadPictureFile(const std::string& path, CDibImage& image, std::uint32_t index) {
    CDataStream stream;
    if (!stream.Open(path)) {
        ThrowOpenError();
    }
    ReadPicture(stream, image, index);
}

void CTlsReader::ThrowOpenError() const {
    throw ETlsFileOpenError();
}

}  // namespace kelvandor
