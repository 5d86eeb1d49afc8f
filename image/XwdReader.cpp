#include "image/XwdReader.h"

#include <array>
#include <vector>

#include "base/LittleEndian.h"
#include "image/ChannelMask.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kHeaderFields = 25;
constexpr std::uint32_t kHeaderSize = kHeaderFields * 4;
constexpr std::uint32_t kMaxWindowName = 4096;
constexpr std::uint32_t kFileVersion = 7;
constexpr std::uint32_t kZPixmap = 2;
constexpr std::uint32_t kMsbFirst = 1;
constexpr std::uint32_t kTrueColour = 4;  // and 5, DirectColor: pixels hold the channels
constexpr std::uint32_t kMaxColours = 65536;
constexpr std::size_t kColourSize = 12;

// The header fields that the reader uses (XWDFileHeader, all 32-bit big-endian).
struct XwdHeader {
    std::uint32_t headerSize = 0;
    std::uint32_t version = 0;
    std::uint32_t format = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t byteOrder = 0;
    std::uint32_t bitmapBitOrder = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t bytesPerLine = 0;
    std::uint32_t visualClass = 0;
    std::uint32_t masks[3] = {};  // red, green, blue
    std::uint32_t colourCount = 0;
};

// Step 1: the header and the window name after it.
XwdHeader ReadHeader(CDataStream& stream) {
    std::uint8_t bytes[kHeaderSize];
    if (stream.Read(bytes, sizeof bytes) != sizeof bytes) {
        throw EXwdFileReadError();
    }
    const auto field = [&](int i) { return Be32(bytes + 4 * i); };
    XwdHeader xwd;
    xwd.headerSize = field(0);
    xwd.version = field(1);
    xwd.format = field(2);
    xwd.width = field(4);
    xwd.height = field(5);
    xwd.byteOrder = field(7);
    xwd.bitmapBitOrder = field(9);
    xwd.bitsPerPixel = field(11);
    xwd.bytesPerLine = field(12);
    xwd.visualClass = field(13);
    xwd.masks[0] = field(14);
    xwd.masks[1] = field(15);
    xwd.masks[2] = field(16);
    xwd.colourCount = field(19);
    if (xwd.version != kFileVersion || xwd.headerSize < kHeaderSize ||
        xwd.headerSize > kHeaderSize + kMaxWindowName) {
        throw EXwdNotAXwdFile();
    }
    if (!stream.Skip(xwd.headerSize - kHeaderSize)) {
        throw EXwdFileReadError();
    }
    return xwd;
}

// Step 2: what can be read, and whether the file holds all of its rows.
void CheckFormat(CDataStream& stream, const XwdHeader& xwd) {
    const std::uint32_t bpp = xwd.bitsPerPixel;
    if (xwd.format != kZPixmap ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)) {
        throw EGraphicsException(image_messages::kFormatNotSupported);
    }
    if (xwd.width == 0 || xwd.height == 0 || xwd.colourCount > kMaxColours ||
        std::uint64_t{xwd.bytesPerLine} * 8 < std::uint64_t{xwd.width} * bpp) {
        throw EXwdNotAXwdFile();
    }
    if (xwd.width > kMaxImageSide || xwd.height > kMaxImageSide) {
        throw EGraphicsPicSize();
    }
    if (bpp > 8 && xwd.visualClass < kTrueColour) {
        throw EGraphicsException(
            image_messages::kFormatNotSupported);  // a colour map of more than 256
    }
    if (xwd.visualClass >= kTrueColour) {
        for (const std::uint32_t mask : xwd.masks) {
            if (mask == 0 || !CChannelMask(mask).IsContiguous()) {
                throw EGraphicsException(image_messages::kFormatNotSupported);
            }
        }
    }
    // Nothing is allocated for rows that are not there.
    if (!SourceHolds(stream, std::uint64_t{xwd.colourCount} * kColourSize +
                                 std::uint64_t{xwd.bytesPerLine} * xwd.height)) {
        throw EXwdFileReadError();
    }
}

// Step 3: the colour map, by pixel value (entries carry their pixel, which need not be their
// index). Pixels without an entry are black.
std::array<std::uint32_t, 256> ReadColourMap(CDataStream& stream, const XwdHeader& xwd) {
    std::array<std::uint32_t, 256> colours{};
    std::uint8_t entry[kColourSize];
    for (std::uint32_t i = 0; i < xwd.colourCount; ++i) {
        if (stream.Read(entry, sizeof entry) != sizeof entry) {
            throw EXwdFileReadError();
        }
        const std::uint32_t pixel = Be32(entry);
        if (pixel < colours.size()) {
            colours[pixel] = (std::uint32_t{entry[4]} << 16) | (std::uint32_t{entry[6]} << 8) |
                             entry[8];  // the high bytes of the 16-bit channels
        }
    }
    return colours;
}

// The x-th pixel value of a stored row.
std::uint32_t PixelAt(const XwdHeader& xwd, const std::uint8_t* row, std::uint32_t x) {
    const bool msb = xwd.byteOrder == kMsbFirst;
    switch (xwd.bitsPerPixel) {
        case 1: {
            const std::uint8_t byte = row[x / 8];
            return xwd.bitmapBitOrder == kMsbFirst ? (byte >> (7 - x % 8)) & 1
                                                   : (byte >> (x % 8)) & 1;
        }
        case 4: {
            const std::uint8_t byte = row[x / 2];
            const bool high = (x % 2 == 0) == msb;
            return high ? byte >> 4 : byte & 0x0F;
        }
        case 8:
            return row[x];
        case 16: {
            const std::uint8_t* p = row + std::size_t{x} * 2;
            return msb ? Be16(p) : Le16(p);
        }
        case 24: {
            const std::uint8_t* p = row + std::size_t{x} * 3;
            return msb ? (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]
                       : (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        default: {
            const std::uint8_t* p = row + std::size_t{x} * 4;
            return msb ? Be32(p) : Le32(p);
        }
    }
}

}  // namespace

void CXwdReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    const XwdHeader xwd = ReadHeader(stream);
    CheckFormat(stream, xwd);
    const std::array<std::uint32_t, 256> colours = ReadColourMap(stream, xwd);
    CreateImage(image, 24, xwd.width, xwd.height, NoFill);
    const CChannelMask red(xwd.masks[0]), green(xwd.masks[1]), blue(xwd.masks[2]);
    std::vector<std::uint8_t> row(xwd.bytesPerLine);
    for (std::uint32_t y = 0; y < xwd.height; ++y) {
        ReportProgress(static_cast<int>(y * 100ull / xwd.height));
        if (stream.Read(row.data(), row.size()) != row.size()) {
            throw EXwdFileReadError();
        }
        std::uint8_t* out = image.Row(y);
        for (std::uint32_t x = 0; x < xwd.width; ++x, out += 3) {
            const std::uint32_t pixel = PixelAt(xwd, row.data(), x);
            if (xwd.visualClass < kTrueColour) {
                const std::uint32_t colour = colours[pixel];
                out[0] = static_cast<std::uint8_t>(colour);
                out[1] = static_cast<std::uint8_t>(colour >> 8);
                out[2] = static_cast<std::uint8_t>(colour >> 16);
            } else {
                out[0] = blue.Extract(pixel);
                out[1] = green.Extract(pixel);
                out[2] = red.Extract(pixel);
            }
        }
    }
    ReportProgress(100);
}

void CXwdReader::ThrowOpenError() const {
    throw EXwdFileOpenError();
}

}  // namespace kelvandor
