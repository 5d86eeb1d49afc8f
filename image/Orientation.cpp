#include "image/Orientation.h"

#include <cstring>

#include "base/LittleEndian.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kExifPrefixLength = 6;  // "Exif\0\0"
constexpr std::size_t kIfdEntrySize = 12;

// Where the pixel (x, y) of the upright picture lies in the stored one.
struct SourcePoint {
    std::uint32_t x;
    std::uint32_t y;
};

SourcePoint SourceOf(int orientation, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                     std::uint32_t height) {
    switch (orientation) {
        case 2:
            return {width - 1 - x, y};
        case 3:
            return {width - 1 - x, height - 1 - y};
        case 4:
            return {x, height - 1 - y};
        case 5:
            return {y, x};
        case 6:
            return {y, height - 1 - x};
        case 7:
            return {width - 1 - y, height - 1 - x};
        case 8:
            return {width - 1 - y, x};
        default:
            return {x, y};
    }
}

}  // namespace

void ApplyOrientation(CDibImage& image, int orientation) {
    if (orientation < 2 || orientation > 8 || image.IsEmpty()) {
        return;
    }
    const bool exchanged = orientation >= 5;
    const std::uint32_t width = image.width;
    const std::uint32_t height = image.height;
    CDibImage turned;
    if (!turned.Create(image.bitsPerPixel, exchanged ? height : width, exchanged ? width : height,
                       NoFill)) {
        throw EGraphicsMemory();
    }
    std::memcpy(turned.palette, image.palette, 256 * sizeof(std::uint32_t));
    // Depths with whole bytes per pixel move bytes; packed depths go through the pixel
    // functions.
    const bool wholeBytes = image.pixelsPerUnitMask == 0 && image.bitsPerPixel != 12;
    const std::uint32_t bytes = image.bytesPerUnit;
    for (std::uint32_t y = 0; y < turned.height; ++y) {
        std::uint8_t* out = turned.Row(y);
        for (std::uint32_t x = 0; x < turned.width; ++x) {
            const SourcePoint from = SourceOf(orientation, x, y, width, height);
            const std::uint8_t* in = image.Row(from.y);
            if (wholeBytes) {
                std::memcpy(out + static_cast<std::size_t>(x) * bytes,
                            in + static_cast<std::size_t>(from.x) * bytes, bytes);
            } else {
                turned.putPixel(out, x, image.getPixel(in, from.x));
            }
        }
    }
    image.SwapPictureWith(turned);
}

int ExifOrientation(std::span<const std::uint8_t> exif) {
    if (exif.size() < kExifPrefixLength + 8 || std::memcmp(exif.data(), "Exif\0\0", 6) != 0) {
        return 1;
    }
    const std::span<const std::uint8_t> tiff = exif.subspan(kExifPrefixLength);
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        little = true;
    } else if (tiff[0] == 'M' && tiff[1] == 'M') {
        little = false;
    } else {
        return 1;
    }
    const auto u16 = [&](std::size_t at) { return little ? Le16(&tiff[at]) : Be16(&tiff[at]); };
    const auto u32 = [&](std::size_t at) { return little ? Le32(&tiff[at]) : Be32(&tiff[at]); };
    if (u16(2) != 42) {
        return 1;
    }
    const std::uint64_t ifd = u32(4);
    if (ifd + 2 > tiff.size()) {
        return 1;
    }
    const std::uint32_t count = u16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t entry = ifd + 2 + static_cast<std::uint64_t>(i) * kIfdEntrySize;
        if (entry + kIfdEntrySize > tiff.size()) {
            return 1;
        }
        if (u16(entry) == kOrientationTag) {
            const int value = u16(entry + 2) == kTypeShort ? u16(entry + 8) : 1;
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

}  // namespace kelvandor
