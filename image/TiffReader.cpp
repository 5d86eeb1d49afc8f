#include "image/TiffReader.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/ImageErrors.h"
#include "image/Orientation.h"

namespace kelvandor {

namespace {

// The most that libtiff may allocate at once (a strip or tile buffer, a tag array): enough for
// any real picture's strips, far below what a lying header could ask for.
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t{256} << 20;
constexpr std::uint16_t kMaxSamplesPerPixel = 16;

// libtiff reads through these callbacks from our stream; it never writes.
tmsize_t OnRead(thandle_t handle, void* buffer, tmsize_t size) {
    auto* stream = static_cast<CDataStream*>(handle);
    return size <= 0 ? 0
                     : static_cast<tmsize_t>(stream->Read(buffer, static_cast<std::size_t>(size)));
}

tmsize_t OnWrite(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t OnSeek(thandle_t handle, toff_t offset, int whence) {
    auto* stream = static_cast<CDataStream*>(handle);
    std::uint64_t target = offset;
    if (whence == SEEK_CUR) {
        target = stream->Position() + offset;
    } else if (whence == SEEK_END) {
        target = stream->Size() + offset;
    }
    return stream->Seek(target) ? target : static_cast<toff_t>(-1);
}

int OnClose(thandle_t) {
    return 0;
}

toff_t OnSize(thandle_t handle) {
    return static_cast<CDataStream*>(handle)->Size();
}

int OnMap(thandle_t, void**, toff_t*) {
    return 0;
}

void OnUnmap(thandle_t, void*, toff_t) {}

// libtiff's messages are not printed; the reader reports with its own.
int OnMessage(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFreer {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct RgbaEnder {
    void operator()(TIFFRGBAImage* rgba) const { TIFFRGBAImageEnd(rgba); }
};

[[noreturn]] void Fail(const char* message) {
    throw ETiffError(message);
}

// Step 1: the first page's directory, read when the file is opened.
std::unique_ptr<TIFF, TiffCloser> OpenFirstPage(CDataStream& stream) {
    std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    if (!options) {
        throw EGraphicsMemory();
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxLibraryAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnMessage, nullptr);
    // "m": no memory mapping, every byte comes through OnRead.
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("picture", "rm", &stream, OnRead,
                                                             OnWrite, OnSeek, OnClose, OnSize,
                                                             OnMap, OnUnmap, options.get()));
    if (!tiff) {
        Fail(tiff_messages::kBadHeader);
    }
    return tiff;
}

// Step 2: the colour model must be one that the RGBA interface converts.
void CheckMode(TIFF* tiff, TIFFRGBAImage& rgba) {
    // No picture needs more than a few samples a pixel (CMYK with alpha has five); libtiff
    // sizes its strip buffers by them, and a 275-byte file claiming 8701 samples a pixel
    // cost 200 MB and seconds before it failed.
    std::uint16_t samples = 0;
    if (TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples) == 1 &&
        samples > kMaxSamplesPerPixel) {
        Fail(tiff_messages::kModeNotSupported);
    }
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message)) {
        Fail(tiff_messages::kModeNotSupported);
    }
    if (!TIFFRGBAImageBegin(&rgba, tiff, 1, message)) {
        Fail(tiff_messages::kBadEntry);
    }
}

// libtiff hands out alpha premultiplied; the image keeps it straight.
void UnpremultiplyAndSwap(CDibImage& image) {
    for (std::size_t i = 0; i + 3 < image.imageSize; i += 4) {
        std::uint8_t* p = image.bits + i;
        const std::uint32_t a = p[3];
        std::uint32_t r = p[0], g = p[1], b = p[2];
        if (a != 255 && a != 0) {
            r = std::min<std::uint32_t>(255, (r * 255 + a / 2) / a);
            g = std::min<std::uint32_t>(255, (g * 255 + a / 2) / a);
            b = std::min<std::uint32_t>(255, (b * 255 + a / 2) / a);
        }
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
    }
}

// An opaque picture is handed on as 24 bits, as the other readers do.
void DropAlpha(CDibImage& image) {
    CDibImage opaque;
    if (!opaque.Create(24, image.width, image.height, NoFill)) {
        throw EGraphicsMemory();
    }
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(opaque.Row(y), image.rowTo24(image, image.Row(y)),
                    std::size_t{image.width} * 3);
    }
    image.SwapPictureWith(opaque);
}

}  // namespace

void CTiffReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    const std::unique_ptr<TIFF, TiffCloser> tiff = OpenFirstPage(stream);
    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0) {
        Fail(tiff_messages::kBadEntry);
    }
    CheckPictureSize(width, height);  // before libtiff allocates for it
    TIFFRGBAImage rgba{};
    CheckMode(tiff.get(), rgba);
    const std::unique_ptr<TIFFRGBAImage, RgbaEnder> ender(&rgba);
    const int orientation = rgba.orientation;
    const bool hasAlpha = rgba.alpha != 0;
    // The rows are wanted as stored, the bottom one first: that is the image's own memory
    // order, so libtiff writes straight into the pixels. The orientation follows as a step
    // of its own.
    rgba.orientation = ORIENTATION_TOPLEFT;
    rgba.req_orientation = ORIENTATION_BOTLEFT;
    CreateImage(image, 32, width, height, NoFill);
    if (!TIFFRGBAImageGet(&rgba, reinterpret_cast<std::uint32_t*>(image.bits), width, height)) {
        Fail(tiff_messages::kReadError);
    }
    UnpremultiplyAndSwap(image);
    if (!hasAlpha) {
        DropAlpha(image);
    }
    ApplyOrientation(image, orientation);
    ReportProgress(100);
}

void CTiffReader::ThrowOpenError() const {
    throw ETiffError(tiff_messages::kOpenError);
}

}  // namespace kelvandor
