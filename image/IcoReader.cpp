#include "image/IcoReader.h"

#include <cstring>
#include <vector>

#include "base/LittleEndian.h"
#include "image/BmpReader.h"
#include "image/ImageErrors.h"
#include "image/PngReader.h"

namespace kelvandor {

namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint32_t kInfoHeaderSize = 40;
// The largest icon entry read: a 256 x 256 bitmap with its mask needs about 270 KB, and PNG
// entries are smaller still; anything near this limit is not an icon.
constexpr std::uint32_t kMaxEntryBytes = 16u << 20;

struct IconEntry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t bytes = 0;
    std::uint32_t offset = 0;
};

[[noreturn]] void Fail(const char* message) {
    throw EIconError(message);
}

// Step 1: the directory, and the entry to show.
IconEntry ChooseEntry(CDataStream& stream) {
    std::uint8_t head[kDirectoryHeaderSize];
    if (stream.Read(head, sizeof head) != sizeof head) {
        Fail(icon_messages::kFileReadError);
    }
    const std::uint16_t type = Le16(head + 2);
    if (Le16(head) != 0 || (type != 1 && type != 2)) {
        Fail(icon_messages::kBadFileFormat);
    }
    const std::uint16_t count = Le16(head + 4);
    if (count == 0) {
        Fail(icon_messages::kIconNotFound);
    }
    std::vector<std::uint8_t> directory(std::size_t{count} * kEntrySize);
    if (stream.Read(directory.data(), directory.size()) != directory.size()) {
        Fail(icon_messages::kReadErrorLower);
    }
    IconEntry best;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = directory.data() + i * kEntrySize;
        IconEntry entry;
        entry.width = e[0] == 0 ? 256 : e[0];  // 0 stands for 256
        entry.height = e[1] == 0 ? 256 : e[1];
        entry.bitCount = Le16(e + 6);
        entry.bytes = Le32(e + 8);
        entry.offset = Le32(e + 12);
        const std::uint64_t area = std::uint64_t{entry.width} * entry.height;
        const std::uint64_t bestArea = std::uint64_t{best.width} * best.height;
        if (area > bestArea || (area == bestArea && entry.bitCount > best.bitCount)) {
            best = entry;
        }
    }
    return best;
}

// Step 3 for bitmap entries: the AND mask (one bit per pixel, rows bottom-up and padded to 4
// bytes, 1 for transparent) follows the colour pixels. A 32-bit entry whose alpha varies
// keeps its alpha; every other entry becomes a 32-bit image with the mask as alpha. A mask
// cut off leaves the picture opaque.
void ApplyMask(std::span<const std::uint8_t> mask, CDibImage& image) {
    const bool ownAlpha = image.bitsPerPixel == 32 && image.AlphaKind() == 2;
    if (ownAlpha) {
        return;
    }
    CDibImage masked;
    if (!masked.Create(32, image.width, image.height, NoFill)) {
        throw EGraphicsMemory();
    }
    const std::size_t maskRow = ((std::size_t{image.width} + 31) / 32) * 4;
    const bool haveMask = mask.size() >= maskRow * image.height;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::uint8_t* out = masked.Row(y);
        std::memcpy(out, image.rowTo32(image, image.Row(y)), std::size_t{image.width} * 4);
        const std::uint8_t* bits = haveMask ? &mask[maskRow * (image.height - 1 - y)] : nullptr;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const bool transparent = bits != nullptr && ((bits[x / 8] >> (7 - x % 8)) & 1) != 0;
            out[std::size_t{x} * 4 + 3] = transparent ? 0 : 255;
        }
    }
    image.SwapPictureWith(masked);
}

// Step 2 for bitmap entries: the entry is a bitmap-info header whose height counts the colour
// rows and the mask rows together, then palette, colour pixels and mask. With the height
// halved it is a bare bitmap that the bitmap reader reads up to the mask.
void ReadBitmapEntry(const CImageReader& outer, std::vector<std::uint8_t>& block,
                     CDibImage& image) {
    if (block.size() < kInfoHeaderSize || Le32(block.data()) != kInfoHeaderSize) {
        Fail(icon_messages::kBadFileFormat);
    }
    const auto doubleHeight = static_cast<std::int32_t>(Le32(block.data() + 8));
    const std::uint16_t bitCount = Le16(block.data() + 14);
    const std::uint32_t compression = Le32(block.data() + 16);
    if (compression != 0) {
        Fail(icon_messages::kCompressedNotSupported);
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
        Fail(icon_messages::kColourFormatNotSupported);
    }
    if (doubleHeight < 2) {
        Fail(icon_messages::kBadFileFormat);
    }
    StoreLe32(block.data() + 8, static_cast<std::uint32_t>(doubleHeight / 2));
    CBmpReader bitmap;
    const std::uint64_t used =
        outer.ReadEmbedded(bitmap, block, image, []() { Fail(icon_messages::kBadFileFormat); });
    ApplyMask(std::span(block).subspan(static_cast<std::size_t>(used)), image);
}

}  // namespace

void CIcoReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    const std::uint64_t start = stream.Position();
    const IconEntry entry = ChooseEntry(stream);
    if (entry.bytes > kMaxEntryBytes) {
        Fail(icon_messages::kBlockTooLarge);
    }
    std::vector<std::uint8_t> block;
    if (!ReadBlock(stream, start + entry.offset, entry.bytes, block)) {
        Fail(icon_messages::kReadError);
    }
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (block.size() >= sizeof kPngSignature &&
        std::memcmp(block.data(), kPngSignature, sizeof kPngSignature) == 0) {
        CPngReader png;
        ReadEmbedded(png, block, image, []() { Fail(icon_messages::kBadFileFormat); });
    } else {
        ReadBitmapEntry(*this, block, image);
    }
    ReportProgress(100);
}

void CIcoReader::ThrowOpenError() const {
    throw EIconError(icon_messages::kOpenError);
}

}  // namespace kelvandor
