#include "image/BmpReader.h"

#include <algorithm>
#include <functional>

#include "base/LittleEndian.h"
#include "image/ChannelMask.h"
#include "image/ImageErrors.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;
constexpr std::uint32_t kCompressionJpeg = 4;
constexpr std::uint32_t kCompressionPng = 5;
constexpr std::uint32_t kCompressionAlphaBitFields = 6;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;
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
    std::uint32_t imageBytes = 0;  // the info header's image size; 0 when not given
    // Bit fields of 16- and 32-bit pixels: red, green, blue, alpha.
    std::uint32_t masks[4] = {};
    bool hasMasks = false;
};

bool HasBitFields(const BmpHeader& bmp) {
    return bmp.compression == kCompressionBitFields ||
           bmp.compression == kCompressionAlphaBitFields;
}

// OS/2 bitmaps (a 64-byte header) use the same numbers for their own compressions.
bool IsEmbedded(const BmpHeader& bmp) {
    return (bmp.compression == kCompressionJpeg || bmp.compression == kCompressionPng) &&
           bmp.headerSize != kOs2HeaderSize;
}

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
    bmp.imageBytes = Le32(info + 16);
    bmp.coloursUsed = Le32(info + 28);
    // The bit-field masks follow a 40-byte header (three, or four with alpha) and are part of
    // the longer headers (three from 52 bytes on, the alpha mask from 56).
    const std::uint32_t maskCount = size > kInfoHeaderSize
                                        ? std::min<std::uint32_t>((size - kInfoHeaderSize) / 4, 4)
                                    : bmp.compression == kCompressionAlphaBitFields ? 4
                                    : bmp.compression == kCompressionBitFields      ? 3
                                                                                    : 0;
    std::uint8_t masks[16] = {};
    ReadExactly(stream, masks, maskCount * 4);
    if (HasBitFields(bmp)) {
        for (std::uint32_t i = 0; i < maskCount; ++i) {
            bmp.masks[i] = Le32(masks + 4 * i);
        }
        bmp.hasMasks = true;
    }
    if (size > kInfoHeaderSize && !stream.Skip(size - kInfoHeaderSize - maskCount * 4)) {
        throw EBmpFileReadError();
    }
    // Top-down bitmaps (negative height) are ordinary files; they are read row for row.
    if (bmp.height < 0) {
        bmp.height = -bmp.height;
        bmp.topDown = true;
    }
}

// Step 3: the depths and compressions that can be read, and the palette's length.
void CheckFormat(BmpHeader& bmp) {
    if (IsEmbedded(bmp)) {
        return;  // a JPEG or PNG file inside; its own reader judges it
    }
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
        case 16:
        case 32:
            supported = bmp.compression == kCompressionNone || HasBitFields(bmp);
            break;
        case 24:
            supported = bmp.compression == kCompressionNone;
            break;
        default:
            break;
    }
    if (bmp.depth == 16 && !bmp.hasMasks) {
        // Without masks a 16-bit bitmap holds 5 bits per colour.
        bmp.masks[0] = 0x7C00;
        bmp.masks[1] = 0x03E0;
        bmp.masks[2] = 0x001F;
        bmp.hasMasks = true;
    }
    for (const std::uint32_t mask : bmp.masks) {
        if (bmp.hasMasks &&
            (!CChannelMask(mask).IsContiguous() || (bmp.depth == 16 && mask > 0xFFFF))) {
            throw EBmpCorruptFile();
        }
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

// Masked pixels become 32 bits when they carry alpha, else 24.
std::uint32_t ImageDepth(const BmpHeader& bmp) {
    if (!bmp.hasMasks) {
        return bmp.depth;
    }
    return bmp.depth == 32 || bmp.masks[3] != 0 ? 32 : 24;
}

// RLE data move the position at most 255 rows up for every four bytes (the delta escape) and
// one row for two (the end of a line), so a bitmap with more rows than its data can reach is
// refused before it is allocated: a header of 64 bytes must not cost a gigabyte.
void CheckRleReach(CDataStream& stream, const BmpHeader& bmp) {
    const std::uint64_t start = bmp.pixelOffset != 0 ? bmp.start + bmp.pixelOffset
                                                     : stream.Position() + std::uint64_t{bmp.paletteCount} *
                                                                               bmp.paletteEntrySize;
    const std::uint64_t data = stream.Size() - std::min(stream.Size(), start);
    if (static_cast<std::uint64_t>(bmp.height) > data / 4 * 255 + data % 4 / 2 + 1) {
        throw EBmpCorruptFile();
    }
}

// Step 4: the image and its palette.
void CreateImageAndPalette(const CImageReader& reader, CDataStream& stream, const BmpHeader& bmp,
                           CDibImage& image) {
    if (bmp.width > kMaxSide || bmp.height > kMaxSide || bmp.width < 0) {
        throw EBmpUnknownError();
    }
    const auto width = static_cast<std::uint32_t>(bmp.width);
    const auto height = static_cast<std::uint32_t>(bmp.height);
    reader.CheckPictureSize(width, height);
    if (IsRle(bmp)) {
        CheckRleReach(stream, bmp);
    } else {
        // An uncompressed bitmap must hold all its rows: refuse a short file before allocating.
        const std::uint64_t rowBytes =
            ((static_cast<std::uint64_t>(width) * bmp.depth + 31) / 32) * 4;
        const std::uint64_t needed =
            rowBytes * height + static_cast<std::uint64_t>(bmp.paletteCount) * bmp.paletteEntrySize;
        if (!SourceHolds(stream, needed)) {
            throw EBmpFileReadError();
        }
    }
    // RLE pictures may skip pixels, which then show palette entry 0.
    if (!image.Create(ImageDepth(bmp), width, height, IsRle(bmp) ? 0 : NoFill)) {
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

    // Uncompressed rows: the file's row size equals the image's stride at every depth read
    // as it is.
    void ReadRows() {
        for (std::uint32_t line = 0; line < image_.height; ++line) {
            progress_(static_cast<int>(line * 100ull / image_.height));
            ReadExactly(stream_, RowOfLine(bmp_, image_, line), image_.stride);
        }
    }

    // 16- and 32-bit pixels whose channels the masks give; without an alpha mask the
    // picture is opaque.
    void ReadMaskedRows() {
        const CChannelMask red(bmp_.masks[0]), green(bmp_.masks[1]), blue(bmp_.masks[2]),
            alpha(bmp_.masks[3]);
        const std::uint32_t bytesPerPixel = bmp_.depth / 8;
        const std::uint32_t outBytes = image_.bitsPerPixel / 8;
        std::vector<std::uint8_t> row(((std::size_t{image_.width} * bmp_.depth + 31) / 32) * 4);
        for (std::uint32_t line = 0; line < image_.height; ++line) {
            progress_(static_cast<int>(line * 100ull / image_.height));
            ReadExactly(stream_, row.data(), row.size());
            std::uint8_t* out = RowOfLine(bmp_, image_, line);
            for (std::uint32_t x = 0; x < image_.width; ++x, out += outBytes) {
                const std::uint8_t* in = row.data() + std::size_t{x} * bytesPerPixel;
                const std::uint32_t pixel = bytesPerPixel == 2 ? Le16(in) : Le32(in);
                out[0] = blue.Extract(pixel);
                out[1] = green.Extract(pixel);
                out[2] = red.Extract(pixel);
                if (outBytes == 4) {
                    out[3] = alpha.IsEmpty() ? 255 : alpha.Extract(pixel);
                }
            }
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
                for (std::uint32_t i = 0; i < count; ++i, ++x) {
                    const std::uint32_t index =
                        fourBits ? ((i & 1) ? value & 0x0F : value >> 4) : value;
                    PutInside(row, x, index);
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
                    for (std::uint32_t i = 0; i < value; ++i, ++x) {
                        const std::uint32_t index =
                            fourBits ? ((i & 1) ? literal[i / 2] & 0x0F : literal[i / 2] >> 4)
                                     : literal[i];
                        PutInside(row, x, index);
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

    // A run must lie inside the image and must not pass the right edge. Some encoders
    // (ImageMagick among them) encode each row with its padding, as many pixels as the
    // row's 4-byte aligned length holds: the pixels beyond the width are padding.
    void CheckRun(std::uint32_t x, std::uint32_t line, std::uint32_t count) const {
        const std::uint32_t limit = image_.stride * 8 / image_.bitsPerPixel;
        if (line >= image_.height || x + count > limit) {
            throw EBmpFileReadError();
        }
    }

    void PutInside(std::uint8_t* row, std::uint32_t x, std::uint32_t index) const {
        if (x < image_.width) {
            image_.putPixel(row, x, index);
        }
    }

    CDataStream& stream_;
    const BmpHeader& bmp_;
    CDibImage& image_;
    const std::function<void(int)>& progress_;
};

// 32-bit pixels whose alpha bytes are all 0 come from programs that leave the fourth byte
// unused (screenshots are saved so): such a picture is opaque, not invisible.
void MakeOpaqueWhenAlphaIsUnused(CDibImage& image) {
    if (image.bitsPerPixel != 32 || image.HasAlpha()) {
        return;
    }
    for (std::size_t i = 3; i < image.imageSize; i += 4) {
        image.bits[i] = 255;
    }
}

// Compression 4 and 5: the pixel data are a whole JPEG or PNG file, image size bytes long
// (or up to the end when the header leaves the size 0).
void ReadEmbeddedPicture(const CImageReader& outer, CDataStream& stream, const BmpHeader& bmp,
                         CDibImage& image) {
    const std::uint64_t start =
        bmp.pixelOffset != 0 ? bmp.start + bmp.pixelOffset : stream.Position();
    const std::uint64_t length =
        bmp.imageBytes != 0 ? bmp.imageBytes : stream.Size() - std::min(stream.Size(), start);
    std::vector<std::uint8_t> block;
    if (length == 0 || !ReadBlock(stream, start, length, block)) {
        throw EBmpFileReadError();
    }
    const auto damaged = []() { throw EBmpCorruptFile(); };
    if (bmp.compression == kCompressionJpeg) {
        CJpegReader reader;
        outer.ReadEmbedded(reader, block, image, damaged);
    } else {
        CPngReader reader;
        outer.ReadEmbedded(reader, block, image, damaged);
    }
}

}  // namespace

void CBmpReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    BmpHeader bmp;
    ReadFileHeader(stream, bmp);
    ReadInfoHeader(stream, bmp);
    CheckFormat(bmp);
    if (IsEmbedded(bmp)) {
        ReadEmbeddedPicture(*this, stream, bmp, image);
        ReportProgress(100);
        return;
    }
    CreateImageAndPalette(*this, stream, bmp, image);
    SeekToPixels(stream, bmp);
    const std::function<void(int)> progress = [this](int percent) { ReportProgress(percent); };
    CBmpPixelReader pixels(stream, bmp, image, progress);
    if (bmp.depth == 8 && bmp.compression == kCompressionRle8) {
        pixels.ReadRle(false);
    } else if (bmp.depth == 4 && bmp.compression == kCompressionRle4) {
        pixels.ReadRle(true);
    } else if (bmp.hasMasks) {
        pixels.ReadMaskedRows();
    } else {
        pixels.ReadRows();
    }
    MakeOpaqueWhenAlphaIsUnused(image);
    ReportProgress(100);
}

void CBmpReader::ThrowOpenError() const {
    throw EBmpFileOpenError();
}

}  // namespace kelvandor
