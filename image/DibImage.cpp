#include "image/DibImage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace kelvandor {

static_assert(std::endian::native == std::endian::little,
              "palette entries and 32-bit pixels are read as little-endian words");

namespace {

// ---- Loads and stores that tolerate unaligned caller memory ----

std::uint16_t Load16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

void Store16(std::uint8_t* p, std::uint16_t v) {
    std::memcpy(p, &v, 2);
}

std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}

// ---- Packing of the true-colour depths below 24 bits ----

std::uint32_t Pack12(std::uint32_t argb) {
    return ((argb >> 12) & 0xF00) | ((argb >> 8) & 0x0F0) | ((argb >> 4) & 0x00F);
}

std::uint32_t Unpack12(std::uint32_t p) {
    return ((p & 0xF00) << 12) | ((p & 0x0F0) << 8) | ((p & 0x00F) << 4);
}

std::uint32_t Pack15(std::uint32_t argb) {
    return ((argb >> 16) & 0x8000) | ((argb >> 9) & 0x7C00) | ((argb >> 6) & 0x03E0) |
           ((argb >> 3) & 0x001F);
}

std::uint32_t Unpack15(std::uint32_t v) {
    return ((v & 0x8000) << 16) | ((v & 0x7C00) << 9) | ((v & 0x03E0) << 6) | ((v & 0x001F) << 3);
}

std::uint32_t Pack16(std::uint32_t argb) {
    return ((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F);
}

std::uint32_t Unpack16(std::uint32_t v) {
    return ((v & 0xF800) << 8) | ((v & 0x07E0) << 5) | ((v & 0x001F) << 3);
}

std::uint32_t Identity(std::uint32_t argb) {
    return argb;
}

// ---- getPixel / putPixel per depth ----

std::uint32_t Get1(const std::uint8_t* row, std::uint32_t x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

void Put1(std::uint8_t* row, std::uint32_t x, std::uint32_t value) {
    const unsigned shift = 7 - (x & 7);
    row[x >> 3] =
        static_cast<std::uint8_t>((row[x >> 3] & ~(1u << shift)) | ((value & 1) << shift));
}

std::uint32_t Get2(const std::uint8_t* row, std::uint32_t x) {
    return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
}

void Put2(std::uint8_t* row, std::uint32_t x, std::uint32_t value) {
    const unsigned shift = 6 - 2 * (x & 3);
    row[x >> 2] =
        static_cast<std::uint8_t>((row[x >> 2] & ~(3u << shift)) | ((value & 3) << shift));
}

std::uint32_t Get4(const std::uint8_t* row, std::uint32_t x) {
    return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
}

void Put4(std::uint8_t* row, std::uint32_t x, std::uint32_t value) {
    std::uint8_t& b = row[x >> 1];
    if (x & 1) {
        b = static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F));
    } else {
        b = static_cast<std::uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
    }
}

std::uint32_t Get8(const std::uint8_t* row, std::uint32_t x) {
    return row[x];
}

void Put8(std::uint8_t* row, std::uint32_t x, std::uint32_t value) {
    row[x] = static_cast<std::uint8_t>(value);
}

// 12 bits: two pixels in three bytes, read as a little-endian 24-bit word whose low 12 bits
// are the even pixel (0xRGB). An even pixel uses bytes 0 and the low nibble of byte 1, an odd
// pixel the high nibble of byte 1 and byte 2, so a pixel never touches its neighbour's unit.
std::uint32_t Get12(const std::uint8_t* row, std::uint32_t x) {
    const std::uint8_t* p = row + 3 * (x >> 1);
    const std::uint32_t packed = (x & 1) ? (p[1] >> 4) | (static_cast<std::uint32_t>(p[2]) << 4)
                                         : p[0] | (static_cast<std::uint32_t>(p[1] & 0x0F) << 8);
    return Unpack12(packed);
}

void Put12(std::uint8_t* row, std::uint32_t x, std::uint32_t argb) {
    std::uint8_t* p = row + 3 * (x >> 1);
    const std::uint32_t packed = Pack12(argb);
    if (x & 1) {
        p[1] = static_cast<std::uint8_t>((p[1] & 0x0F) | ((packed & 0x0F) << 4));
        p[2] = static_cast<std::uint8_t>(packed >> 4);
    } else {
        p[0] = static_cast<std::uint8_t>(packed);
        p[1] = static_cast<std::uint8_t>((p[1] & 0xF0) | (packed >> 8));
    }
}

std::uint32_t Get15(const std::uint8_t* row, std::uint32_t x) {
    return Unpack15(Load16(row + 2 * x));
}

void Put15(std::uint8_t* row, std::uint32_t x, std::uint32_t argb) {
    Store16(row + 2 * x, static_cast<std::uint16_t>(Pack15(argb)));
}

std::uint32_t Get16(const std::uint8_t* row, std::uint32_t x) {
    return Unpack16(Load16(row + 2 * x));
}

void Put16(std::uint8_t* row, std::uint32_t x, std::uint32_t argb) {
    Store16(row + 2 * x, static_cast<std::uint16_t>(Pack16(argb)));
}

std::uint32_t Get24(const std::uint8_t* row, std::uint32_t x) {
    const std::uint8_t* p = row + 3 * x;
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}

void Put24(std::uint8_t* row, std::uint32_t x, std::uint32_t argb) {
    std::uint8_t* p = row + 3 * x;
    p[0] = static_cast<std::uint8_t>(argb);
    p[1] = static_cast<std::uint8_t>(argb >> 8);
    p[2] = static_cast<std::uint8_t>(argb >> 16);
}

std::uint32_t Get32(const std::uint8_t* row, std::uint32_t x) {
    return Load32(row + 4 * x);
}

void Put32(std::uint8_t* row, std::uint32_t x, std::uint32_t argb) {
    Store32(row + 4 * x, argb);
}

// Placeholders for an empty image, which is never drawn on.
std::uint32_t GetNone(const std::uint8_t*, std::uint32_t) {
    return 0;
}
void PutNone(std::uint8_t*, std::uint32_t, std::uint32_t) {}
const std::uint8_t* ConvertNone(const CDibImage&, const std::uint8_t* row) {
    return row;
}

// ---- Row converters ----

std::uint8_t GreyOf(std::uint32_t argb) {
    const std::uint32_t blue = argb & 0xFF;
    const std::uint32_t green = (argb >> 8) & 0xFF;
    const std::uint32_t red = (argb >> 16) & 0xFF;
    return static_cast<std::uint8_t>((29 * blue + 76 * red + 152 * green) >> 8);
}

// Palette indices of 1/2/4 bits, unpacked one per byte.
const std::uint8_t* UnpackIndices(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        out[x] = static_cast<std::uint8_t>(image.getPixel(row, x));
    }
    return out;
}

const std::uint8_t* CopyRow8(const CDibImage& image, const std::uint8_t* row) {
    std::memmove(image.lineBuffer, row, image.width);
    return image.lineBuffer;
}

const std::uint8_t* Row8Itself(const CDibImage&, const std::uint8_t* row) {
    return row;
}

const std::uint8_t* GreyRow(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        out[x] = GreyOf(image.getPixel(row, x));
    }
    return out;
}

const std::uint8_t* PaletteTo24(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        Put24(out, x, image.palette[image.getPixel(row, x) & 0xFF]);
    }
    return out;
}

const std::uint8_t* PaletteTo32(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        Put32(out, x, image.palette[image.getPixel(row, x) & 0xFF]);
    }
    return out;
}

// 12, 15 and 16 bits widened through getPixel.
const std::uint8_t* WidenTo24(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        Put24(out, x, image.getPixel(row, x));
    }
    return out;
}

const std::uint8_t* WidenTo32(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        Put32(out, x, image.getPixel(row, x));
    }
    return out;
}

const std::uint8_t* Row24Itself(const CDibImage&, const std::uint8_t* row) {
    return row;
}

const std::uint8_t* CopyRow24(const CDibImage& image, const std::uint8_t* row) {
    std::memmove(image.lineBuffer, row, static_cast<std::size_t>(image.width) * 3);
    return image.lineBuffer;
}

// A 24-bit row widened to 32 bits gets alpha 0.
const std::uint8_t* Row24To32(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        out[4 * x] = row[3 * x];
        out[4 * x + 1] = row[3 * x + 1];
        out[4 * x + 2] = row[3 * x + 2];
        out[4 * x + 3] = 0;
    }
    return out;
}

const std::uint8_t* Row32To24(const CDibImage& image, const std::uint8_t* row) {
    std::uint8_t* out = image.lineBuffer;
    for (std::uint32_t x = 0; x < image.width; ++x) {
        out[3 * x] = row[4 * x];
        out[3 * x + 1] = row[4 * x + 1];
        out[3 * x + 2] = row[4 * x + 2];
    }
    return out;
}

const std::uint8_t* Row32Itself(const CDibImage&, const std::uint8_t* row) {
    return row;
}

const std::uint8_t* CopyRow32(const CDibImage& image, const std::uint8_t* row) {
    std::memmove(image.lineBuffer, row, static_cast<std::size_t>(image.width) * 4);
    return image.lineBuffer;
}

// Everything that differs between the depths, in one row per depth.
struct DepthTraits {
    std::uint32_t depth;
    std::uint32_t paletteSize;
    std::uint32_t colourMask;
    std::uint32_t pixelsPerUnitMask;
    std::uint32_t bytesPerUnit;
    std::uint32_t unitShift;
    GetPixelFunction get;
    PutPixelFunction put;
    FromRgbFunction fromRgb;
    RowConverter to8, to24, to32, copyTo8, copyTo24, copyTo32;
};

constexpr DepthTraits kDepths[] = {
    {1, 2, 0xFFFFFF, 7, 1, 3, Get1, Put1, Identity, UnpackIndices, PaletteTo24, PaletteTo32,
     UnpackIndices, PaletteTo24, PaletteTo32},
    {2, 4, 0xFFFFFF, 3, 1, 2, Get2, Put2, Identity, UnpackIndices, PaletteTo24, PaletteTo32,
     UnpackIndices, PaletteTo24, PaletteTo32},
    {4, 16, 0xFFFFFF, 1, 1, 1, Get4, Put4, Identity, UnpackIndices, PaletteTo24, PaletteTo32,
     UnpackIndices, PaletteTo24, PaletteTo32},
    {8, 256, 0xFFFFFF, 0, 1, 0, Get8, Put8, Identity, Row8Itself, PaletteTo24, PaletteTo32,
     CopyRow8, PaletteTo24, PaletteTo32},
    {12, 0, 0xF0F0F0, 1, 3, 1, Get12, Put12, Pack12, GreyRow, WidenTo24, WidenTo32, GreyRow,
     WidenTo24, WidenTo32},
    {15, 0, 0xF8F8F8, 0, 2, 0, Get15, Put15, Pack15, GreyRow, WidenTo24, WidenTo32, GreyRow,
     WidenTo24, WidenTo32},
    {16, 0, 0xF8FCF8, 0, 2, 0, Get16, Put16, Pack16, GreyRow, WidenTo24, WidenTo32, GreyRow,
     WidenTo24, WidenTo32},
    {24, 0, 0xFFFFFF, 0, 3, 0, Get24, Put24, Identity, GreyRow, Row24Itself, Row24To32, GreyRow,
     CopyRow24, Row24To32},
    {32, 0, 0xFFFFFF, 0, 4, 0, Get32, Put32, Identity, GreyRow, Row32To24, Row32Itself, GreyRow,
     Row32To24, CopyRow32},
};

const DepthTraits* FindDepth(std::uint32_t depth) {
    for (const DepthTraits& traits : kDepths) {
        if (traits.depth == depth) {
            return &traits;
        }
    }
    return nullptr;
}

// Bytes per row, each row padded to a multiple of 4 bytes (32 bits: exactly 4 per pixel).
std::uint32_t StrideFor(std::uint32_t depth, std::uint32_t width) {
    switch (depth) {
        case 1:
        case 2:
        case 4:
        case 8:
            return ((depth * width + 7) / 8 + 3) & ~3u;
        case 12:
            return ((3 * width + 1) / 2 + 3) & ~3u;
        case 15:
        case 16:
            return (2 * width + 3) & ~3u;
        case 24:
            return (3 * width + 3) & ~3u;
        default:
            return 4 * width;
    }
}

constexpr std::uint32_t kStandardColours[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

void PutLe16(std::uint8_t* p, std::uint16_t v) {
    Store16(p, v);
}
void PutLe32(std::uint8_t* p, std::uint32_t v) {
    Store32(p, v);
}

constexpr std::uint32_t kPixelsPerMetre = 4705;

// Uninitialised memory (NoFill leaves it so), or null when it cannot be had.
std::unique_ptr<std::uint8_t[]> Allocate(std::uint64_t bytes) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow)
                                               std::uint8_t[static_cast<std::size_t>(bytes)]);
}

// The pixel part of an empty image: nothing allocated and inert pixel functions, since an
// empty image is never drawn on.
DibPixels EmptyPixels() {
    DibPixels pixels;
    pixels.getPixel = GetNone;
    pixels.putPixel = PutNone;
    pixels.fromRgb = Identity;
    pixels.rowTo8 = pixels.rowTo24 = pixels.rowTo32 = ConvertNone;
    pixels.rowCopyTo8 = pixels.rowCopyTo24 = pixels.rowCopyTo32 = ConvertNone;
    return pixels;
}

template <typename Part>
void SwapPart(CDibImage& a, CDibImage& b) noexcept {
    std::swap(static_cast<Part&>(a), static_cast<Part&>(b));
}

}  // namespace

CDibImage::CDibImage() {
    bitmapInfo.reset(new std::uint8_t[kBitmapInfoSize]());
    palette = reinterpret_cast<std::uint32_t*>(bitmapInfo.get() + 40);
    Reset();
}

CDibImage::CDibImage(const CDibImage& other) : CDibImage() {
    Assign(other);
}

CDibImage::CDibImage(CDibImage&& other) noexcept : CDibImage() {
    SwapWith(other);
}

CDibImage& CDibImage::operator=(CDibImage&& other) noexcept {
    if (this != &other) {
        CDibImage empty;
        empty.SwapWith(other);  // other becomes empty, its contents move to `empty`
        SwapWith(empty);        // our old contents are destroyed with `empty`
    }
    return *this;
}

CDibImage::~CDibImage() = default;

void CDibImage::Reset() {
    // The old pixel part, and with it the memory it owns, is released by the assignment.
    static_cast<DibPixels&>(*this) = EmptyPixels();
    std::memset(bitmapInfo.get(), 0, kBitmapInfoSize);
}

void CDibImage::InstallDepth(std::uint32_t depth) {
    const DepthTraits& traits = *FindDepth(depth);
    bitsPerPixel = depth;
    paletteSize = traits.paletteSize;
    colourMask = traits.colourMask;
    pixelsPerUnitMask = traits.pixelsPerUnitMask;
    bytesPerUnit = traits.bytesPerUnit;
    unitShift = traits.unitShift;
    valueMask = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    depthBit = 1u << (depth - 1);
    trueColour = depth >= 12 ? 1 : 0;
    getPixel = traits.get;
    putPixel = traits.put;
    fromRgb = traits.fromRgb;
    rowTo8 = traits.to8;
    rowTo24 = traits.to24;
    rowTo32 = traits.to32;
    rowCopyTo8 = traits.copyTo8;
    rowCopyTo24 = traits.copyTo24;
    rowCopyTo32 = traits.copyTo32;
}

bool CDibImage::Create(std::uint32_t depth, std::uint32_t newWidth, std::uint32_t newHeight,
                       std::uint32_t fill, std::uintptr_t external) {
    Reset();
    if (newWidth > kMaxImageSide || newHeight > kMaxImageSide) {
        lastError = kCreateErrorTooLarge;
        return false;
    }
    if (FindDepth(depth) == nullptr) {
        lastError = kCreateErrorDepth;
        return false;
    }
    InstallDepth(depth);
    width = newWidth;
    height = newHeight;
    stride = StrideFor(depth, newWidth);
    imageSize = static_cast<std::size_t>(static_cast<std::uint64_t>(stride) * newHeight);
    if (paletteSize != 0) {
        SetDefaultPalette();
    }

    // The line buffer must hold a row of the image and a row widened to 32 bits.
    const std::uint64_t lineBytes = std::max<std::uint64_t>(stride, 4ull * newWidth) + 8;
    if (external == 0) {
        // Pixels, one spare row, then the line buffer, in one allocation.
        const std::uint64_t total = static_cast<std::uint64_t>(imageSize) + stride + lineBytes + 4;
        if (total > std::numeric_limits<std::size_t>::max()) {
            Reset();
            lastError = kCreateErrorOutOfMemory;
            return false;
        }
        ownedMemory = Allocate(total);
        if (ownedMemory == nullptr) {
            Reset();
            lastError = kCreateErrorOutOfMemory;
            return false;
        }
        allocation = ownedMemory.get();
        const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(allocation);
        bits = allocation + ((4 - (start & 3)) & 3);
        lineBuffer = bits + imageSize + stride;
    } else {
        externalBits = external;
        ownedMemory = Allocate(lineBytes);
        if (ownedMemory == nullptr) {
            Reset();
            lastError = kCreateErrorOutOfMemory;
            return false;
        }
        lineBuffer = ownedMemory.get();
        if (external == 1) {
            // Stand-in for a display-side bitmap: ordinary memory owned by the image.
            platformBitmap = Allocate(std::max<std::size_t>(imageSize, 4));
            if (platformBitmap == nullptr) {
                Reset();
                lastError = kCreateErrorOutOfMemory;
                return false;
            }
            allocation = platformBitmap.get();
        } else {
            allocation = reinterpret_cast<std::uint8_t*>(external);
        }
        bits = allocation;
    }
    topRow = newHeight == 0 ? bits : bits + static_cast<std::size_t>(newHeight - 1) * stride;

    WriteHeader();

    if (fill == 0 || (fill != NoFill && depth == 8)) {
        std::memset(bits, static_cast<std::uint8_t>(fill), imageSize);
    } else if (fill != NoFill) {
        FillRect(0, 0, static_cast<int>(width), static_cast<int>(height), fill);
    }
    return true;
}

void CDibImage::WriteHeader() {
    std::uint8_t* h = bitmapInfo.get();
    const std::uint32_t announced = bitsPerPixel == 15 ? 16 : bitsPerPixel;
    PutLe32(h + 0, 40);
    PutLe32(h + 4, width);
    PutLe32(h + 8, height);
    PutLe16(h + 12, 1);
    PutLe16(h + 14, static_cast<std::uint16_t>(announced));
    PutLe32(h + 16, 0);
    // A size that does not fit the 32-bit field is given as 0, which readers of uncompressed
    // bitmaps accept and compute themselves.
    PutLe32(h + 20, imageSize <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(imageSize) : 0);
    PutLe32(h + 24, kPixelsPerMetre);
    PutLe32(h + 28, kPixelsPerMetre);
    PutLe32(h + 32, paletteSize);
    PutLe32(h + 36, paletteSize);
    if (announced == 16) {
        // Bit fields, so that a display shows 5:5:5 and 5:6:5 pixels as they are packed.
        PutLe32(h + 16, 3);
        if (bitsPerPixel == 15) {
            palette[0] = 0x7C00;
            palette[1] = 0x03E0;
            palette[2] = 0x001F;
        } else {
            palette[0] = 0xF800;
            palette[1] = 0x07E0;
            palette[2] = 0x001F;
        }
        palette[3] = 0;
    }
}

void CDibImage::SetDefaultPalette() {
    switch (bitsPerPixel) {
        case 1:
            palette[0] = 0x000000;
            palette[1] = 0xFFFFFF;
            break;
        case 2:
            palette[0] = 0x000000;
            palette[1] = 0x008000;
            palette[2] = 0x800000;
            palette[3] = 0xFFFFFF;
            break;
        case 4:
            std::copy(std::begin(kStandardColours), std::end(kStandardColours), palette);
            break;
        case 8:
            std::copy(std::begin(kStandardColours), std::end(kStandardColours), palette);
            // Three passes, each overwriting part of the previous one; 248-255 keep the first.
            for (std::uint32_t i = 128; i < 256; ++i) {
                const std::uint32_t red = ((i >> 5) & 3) * 64 + 32;
                const std::uint32_t green = ((i >> 2) & 7) * 32 + 16;
                const std::uint32_t blue = (i & 3) * 64 + 32;
                palette[i] = (red << 16) | (green << 8) | blue;
            }
            for (std::uint32_t i = 16; i < 32; ++i) {
                const std::uint32_t grey = (i * 16) % 256;
                palette[i] = (grey << 16) | (grey << 8) | grey;
            }
            for (std::uint32_t i = 32; i < 248; ++i) {
                const std::uint32_t red = ((i / 36) % 6) * 43 + 20;
                const std::uint32_t green = ((i / 6) % 6) * 43 + 20;
                const std::uint32_t blue = (i % 6) * 43 + 20;
                palette[i] = (red << 16) | (green << 8) | blue;
            }
            break;
        default:
            break;
    }
}

bool CDibImage::Free() {
    const bool had = bits != nullptr && imageSize != 0;
    Reset();
    return had;
}

CDibImage& CDibImage::Assign(const CDibImage& source) {
    if (&source == this) {
        return *this;
    }
    Reset();
    user1 = source.user1;
    user2 = source.user2;
    if (source.IsEmpty()) {
        return *this;
    }
    if (!Create(source.bitsPerPixel, source.width, source.height, NoFill)) {
        return *this;
    }
    std::memcpy(bitmapInfo.get(), source.bitmapInfo.get(), kBitmapInfoSize);
    if (imageSize != 0) {
        std::memcpy(bits, source.bits, imageSize);
    }
    return *this;
}

void CDibImage::SwapWith(CDibImage& other) noexcept {
    if (this == &other) {
        return;
    }
    SwapPart<DibTextState>(*this, other);
    SwapPart<DibOwnerWords>(*this, other);
    SwapPictureWith(other);
}

void CDibImage::SwapPictureWith(CDibImage& other) noexcept {
    if (this == &other) {
        return;
    }
    // The pointers into the pixel memory and the palette pointer move with their buffers.
    SwapPart<DibPixels>(*this, other);
    SwapPart<DibPalette>(*this, other);
}

void CDibImage::SetPaletteEntry(std::uint32_t index, std::uint32_t value) {
    palette[index & 0xFF] = value;
}

void CDibImage::SetPaletteRgb(std::uint32_t index, std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue) {
    std::uint8_t* entry = reinterpret_cast<std::uint8_t*>(palette + (index & 0xFF));
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
}

void CDibImage::SetPaletteRgba(std::uint32_t index, std::uint8_t red, std::uint8_t green,
                               std::uint8_t blue, std::uint8_t alpha) {
    palette[index & 0xFF] = (static_cast<std::uint32_t>(alpha) << 24) |
                            (static_cast<std::uint32_t>(red) << 16) |
                            (static_cast<std::uint32_t>(green) << 8) | blue;
}

std::uint32_t CDibImage::GetPaletteRgb(std::uint32_t index, std::uint8_t* red, std::uint8_t* green,
                                       std::uint8_t* blue) const {
    const std::uint32_t entry = palette[index & 0xFF];
    if (red != nullptr) {
        *red = static_cast<std::uint8_t>(entry >> 16);
    }
    if (green != nullptr) {
        *green = static_cast<std::uint8_t>(entry >> 8);
    }
    if (blue != nullptr) {
        *blue = static_cast<std::uint8_t>(entry);
    }
    return entry;
}

void CDibImage::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t value) {
    const auto ux = static_cast<std::uint32_t>(x);
    const auto uy = static_cast<std::uint32_t>(y);
    if (ux < width && uy < height) {
        putPixel(topRow - static_cast<std::size_t>(uy) * stride, ux, value);
    }
}

bool CDibImage::HasAlpha() const {
    if (bitsPerPixel != 32 || imageSize == 0) {
        return false;
    }
    // From the end backwards: pictures with alpha usually show it soon.
    for (std::size_t i = imageSize; i >= 4; i -= 4) {
        if (bits[i - 1] != 0) {
            return true;
        }
    }
    return false;
}

int CDibImage::AlphaKind() const {
    const std::uint8_t* first = nullptr;
    std::size_t count = 0;
    if (bitsPerPixel == 32) {
        first = bits + 3;
        count = imageSize / 4;
    } else if (paletteSize != 0) {
        first = reinterpret_cast<const std::uint8_t*>(palette) + 3;
        count = paletteSize;
    }
    if (count == 0) {
        return 0;
    }
    const std::uint8_t last = first[4 * (count - 1)];
    if (last != 0 && last != 255) {
        return 2;
    }
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (first[4 * i] != last) {
            return 2;
        }
    }
    return last == 255 ? 1 : 0;
}

}  // namespace kelvandor
