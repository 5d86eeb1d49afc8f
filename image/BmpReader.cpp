#include "image/BmpReader.h"

#include <algorithm>
#include <functional>

#include "base/LittleEndian.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int64_t kMaxSide = 32768;

struct BmpHeader {
    std::uint64_t start = 0;        // stream position of the file (or bare header) start
    std::uint32_t pixelOffset = 0;  // from the file header; 0 when unknown
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // always positive here; see topDown
    bool topDown = false;
    std::uint32_t depth = 0;
    std::uint32_t compression = kCompressionNone;
    std::uint32_t coloursUsed = 0;
    std::uint32_t paletteCount = 0;
    std::uint32_t paletteEntrySize = 4;
};

void ReadExactly(CDataStream& stream, void* destination, std::size_t n) {
    if (stream.Read(destination, n) != n) {
        throw EBmpFileReadError();
    }
}

// Step 1: the file header, or the first bytes of a bare info header.
void ReadFileHeader(CDataStream& stream, BmpHeader& bmp) {
    bmp.start = stream.Position();
    std::uint8_t head[14];
    ReadExactly(stream, head, sizeof head);
    if (head[0] == 'B' && head[1] == 'M') {
        bmp.pixelOffset = Le32(head + 10);
        return;
    }
    const auto width = static_cast<std::int32_t>(Le32(head + 4));
    const auto height = static_cast<std::int32_t>(Le32(head + 8));
    if (Le32(head) == kInfoHeaderSize && width <= kMaxSide && height <= kMaxSide) {
        stream.Seek(bmp.start);
        return;
    }
    throw EBmpNotABmpFile();
}

// Step 2: the core or info header.
void ReadInfoHeader(CDataStream& stream, BmpHeader& bmp) {
    std::uint32_t size;
    if (!stream.ReadLe32(size)) {
        throw EBmpFileReadError();
    }
    bmp.headerSize = size;
    if (size == kCoreHeaderSize) {
        std::uint8_t core[8];
        ReadExactly(stream, core, sizeof core);
        bmp.width = Le16(core);
        bmp.height = Le16(core + 2);
        bmp.depth = Le16(core + 6);
        bmp.paletteEntrySize = 3;
        return;
    }
    if (size < kInfoHeaderSize) {
        throw EBmpNotSupported();
    }
    std::uint8_t info[36];
    ReadExactly(stream, info, sizeof info);
    bmp.width = static_cast<std::int32_t>(Le32(info));
    bmp.height = static_cast<std::int32_t>(Le32(info + 4));
    bmp.depth = Le16(info + 10);
    bmp.compression = Le32(info + 12);
    bmp.coloursUsed = Le32(info + 28);
    if (!stream.Skip(size - kInfoHeaderSize)) {
        throw EBmpFileReadError();
    }
    // Top-down bitmaps (negative height) are ordinary files; they are read row for row.
    if (bmp.height < 0) {
        bmp.height = -bmp.height;
        bmp.topDown = true;
    }
    // Without a file header nothing says where the pixels start; bit-field masks that follow
    // a plain 40-byte header would otherwise be taken for pixels.
    if (bmp.compression == kCompressionBitFields && size == kInfoHeaderSize) {
        if (!stream.Skip(12)) {
            throw EBmpFileReadError();
        }
    }
}

// Step 3: the depths and compressions that can be read, and the palette's length.
void CheckFormat(BmpHeader& bmp) {
    bool supported = false;
    switch (bmp.depth) {
        case 1:
            supported = bmp.compression == kCompressionNone;
            break;
        case 4:
            supported = bmp.compression == kCompressionNone || bmp.compression == kCompressionRle4;
            break;
        case 8:
            supported = bmp.compression == kCompressionNone || bmp.compression == kCompressionRle8;
            break;
        case 24:
        case 32:
            supported = true;
            break;
        default:
            break;
    }
    // RLE bitmaps are bottom-up by definition.
    if (!supported || (bmp.topDown && bmp.compression != kCompressionNone && bmp.depth <= 8)) {
        throw EBmpNotSupported();
    }
    bmp.paletteCount = bmp.depth <= 8 ? 1u << bmp.depth : 0;
    if (bmp.coloursUsed != 0) {
        // A palette longer than 256 entries cannot be held; such a file is damaged.
        if (bmp.coloursUsed > 256) {
            throw EBmpCorruptFile();
        }
        bmp.paletteCount = bmp.coloursUsed;
    }
}

bool IsRle(const BmpHeader& bmp) {
    return bmp.depth <= 8 && bmp.compression != kCompressionNone;
}

// Step 4: the image and its palette.
void CreateImageAndPalette(CDataStream& stream, const BmpHeader& bmp, CDibImage& image) {
    if (bmp.width > kMaxSide || bmp.height > kMaxSide || bmp.width < 0) {
        throw EBmpUnknownError();
    }
    const auto width = static_cast<std::uint32_t>(bmp.width);
    const auto height = static_cast<std::uint32_t>(bmp.height);
    // An uncompressed bitmap must hold all its rows: refuse a short file before allocating.
    if (!IsRle(bmp)) {
        const std::uint64_t rowBytes =
            ((static_cast<std::uint64_t>(width) * bmp.depth + 31) / 32) * 4;
        const std::uint64_t needed =
            rowBytes * height + static_cast<std::uint64_t>(bmp.paletteCount) * bmp.paletteEntrySize;
        if (stream.Size() - std::min(stream.Size(), stream.Position()) < needed) {
            throw EBmpFileReadError();
        }
    }
    // RLE pictures may skip pixels, which then show palette entry 0.
    if (!image.Create(bmp.depth, width, height, IsRle(bmp) ? 0 : NoFill)) {
        throw EBmpUnknownError();
    }
    for (std::uint32_t i = 0; i < bmp.paletteCount; ++i) {
        std::uint8_t entry[4];
        ReadExactly(stream, entry, bmp.paletteEntrySize);
        if (bmp.paletteEntrySize == 4) {
            image.SetPaletteRgba(i, entry[2], entry[1], entry[0], entry[3]);
        } else {
            image.SetPaletteRgb(i, entry[2], entry[1], entry[0]);
        }
    }
}

// Step 5: to the pixel data.
void SeekToPixels(CDataStream& stream, const BmpHeader& bmp) {
    if (bmp.pixelOffset == 0) {
        return;
    }
    const std::uint64_t target = bmp.start + bmp.pixelOffset;
    if (stream.Position() > target) {
        throw EBmpCorruptFile();
    }
    if (!stream.Seek(target)) {
        throw EBmpFileReadError();
    }
}

// The image row of the n-th row stored in the file.
std::uint8_t* RowOfLine(const BmpHeader& bmp, CDibImage& image, std::uint32_t line) {
    const std::uint32_t y = bmp.topDown ? line : image.height - 1 - line;
    return image.topRow - static_cast<std::size_t>(y) * image.stride;
}

class CBmpPixelReader {
public:
    CBmpPixelReader(CDataStream& stream, const BmpHeader& bmp, CDibImage& image,
                    const std::function<void(int)>& progress)
        : stream_(stream), bmp_(bmp), image_(image), progress_(progress) {}

    // Uncompressed rows: the file's row size equals the image's stride at every depth read.
    void ReadRows() {
        for (std::uint32_t line = 0; line < image_.height; ++line) {
            progress_(static_cast<int>(line * 100ull / image_.height));
            ReadExactly(stream_, RowOfLine(bmp_, image_, line), image_.stride);
        }
    }

    // Run-length encoded rows: count/value pairs, or an escape (count 0) that ends the line
    // (0), ends the bitmap (1), moves the position (2) or starts a literal run (3 and more).
    void ReadRle(bool fourBits) {
        std::uint32_t x = 0;
        std::uint32_t line = 0;
        for (;;) {
            const std::uint8_t count = Byte();
            const std::uint8_t value = Byte();
            if (count != 0) {
                CheckRun(x, line, count);
                std::uint8_t* row = RowOfLine(bmp_, image_, line);
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint32_t index =
                        fourBits ? ((i & 1) ? value & 0x0F : value >> 4) : value;
                    image_.putPixel(row, x++, index);
                }
                continue;
            }
            switch (value) {
                case 0:
                    x = 0;
                    ++line;
                    progress_(static_cast<int>(std::min<std::uint64_t>(line, image_.height) *
                                               100ull / std::max(image_.height, 1u)));
                    break;
                case 1:
                    return;
                case 2: {
                    const std::uint8_t dx = Byte();
                    const std::uint8_t dy = Byte();
                    x += dx;
                    line += dy;
                    if (x > image_.width || line > image_.height) {
                        throw EBmpFileReadError();
                    }
                    break;
                }
                default: {
                    CheckRun(x, line, value);
                    std::uint8_t* row = RowOfLine(bmp_, image_, line);
                    const std::uint32_t bytes = fourBits ? (value + 1u) / 2 : value;
                    std::uint8_t literal[256];
                    // Literal runs are padded to an even number of bytes.
                    ReadExactly(stream_, literal, bytes + (bytes & 1));
                    for (std::uint32_t i = 0; i < value; ++i) {
                        const std::uint32_t index =
                            fourBits ? ((i & 1) ? literal[i / 2] & 0x0F : literal[i / 2] >> 4)
                                     : literal[i];
                        image_.putPixel(row, x++, index);
                    }
                    break;
                }
            }
        }
    }

private:
    std::uint8_t Byte() {
        std::uint8_t b;
        if (!stream_.ReadByte(b)) {
            throw EBmpFileReadError();  // the data ended before the end-of-bitmap escape
        }
        return b;
    }

    // A run must lie inside the image and must not pass the right edge.
    void CheckRun(std::uint32_t x, std::uint32_t line, std::uint32_t count) const {
        if (line >= image_.height || x + count > image_.width) {
            throw EBmpFileReadError();
        }
    }

    CDataStream& stream_;
    const BmpHeader& bmp_;
    CDibImage& image_;
    const std::function<void(int)>& progress_;
};

}  // namespace

void CBmpReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    BmpHeader bmp;
    ReadFileHeader(stream, bmp);
    ReadInfoHeader(stream, bmp);
    CheckFormat(bmp);
    CreateImageAndPalette(stream, bmp, image);
    SeekToPixels(stream, bmp);
    const std::function<void(int)> progress = [this](int percent) { ReportProgress(percent); };
    CBmpPixelReader pixels(stream, bmp, image, progress);
    if (bmp.depth == 8 && bmp.compression == kCompressionRle8) {
        pixels.ReadRle(false);
    } else if (bmp.depth == 4 && bmp.compression == kCompressionRle4) {
        pixels.ReadRle(true);
    } else {
        pixels.ReadRows();
    }
    ReportProgress(100);
}

void CBmpReader::ThrowOpenError() const {
    throw EBmpFileOpenError();
}

}  // namespace kelvandor
