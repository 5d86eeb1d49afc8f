#include "image/ImageFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/LittleEndian.h"
#include "image/BmpReader.h"
#include "image/DataStream.h"
#include "image/EpsReader.h"
#include "image/GifReader.h"
#include "image/IcoReader.h"
#include "image/ImageErrors.h"
#include "image/ImageReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/PnmReader.h"
#include "image/TiffReader.h"
#include "image/TlsReader.h"
#include "image/WebpReader.h"
#include "image/XpmReader.h"
#include "image/XwdReader.h"

namespace kelvandor {

namespace {

constexpr std::size_t kHeaderLength = 64;
constexpr std::size_t kMaxErrorLength = 511;

constexpr const char* kMessageCannotOpen =
    "Kann Datei nicht \xF6"
    "ffnen.";
constexpr const char* kMessageUnknownFormat = "Unbekanntes Datei Format.";
constexpr const char* kMessageUnexpected = "Unbekannter Fehler";

thread_local std::string gLastImageError;
thread_local std::int32_t gLastGifTransparentIndex = -1;

using Header = std::array<std::uint8_t, kHeaderLength>;

bool StartsWith(const Header& h, std::string_view text) {
    return std::memcmp(h.data(), text.data(), text.size()) == 0;
}

bool Contains(const Header& h, std::string_view text) {
    return std::search(h.begin(), h.end(), text.begin(), text.end()) != h.end();
}

// The signature tests on the header with its zero bytes turned into spaces, in the order in
// which they are applied. Every test that matches replaces the format chosen before it.
struct RecognitionTest {
    ImageFormat format;
    bool (*matches)(const Header& h);
};

constexpr RecognitionTest kRecognitionTests[] = {
    {ImageFormat::Tiff, [](const Header& h) { return StartsWith(h, "II"); }},
    {ImageFormat::Tiff, [](const Header& h) { return StartsWith(h, "MM"); }},
    {ImageFormat::Gif, [](const Header& h) { return StartsWith(h, "GIF87a"); }},
    {ImageFormat::Gif, [](const Header& h) { return StartsWith(h, "GIF89a"); }},
    {ImageFormat::Png, [](const Header& h) { return h[0] == 0x89 && StartsWith(h, "\x89PNG"); }},
    {ImageFormat::Bmp, [](const Header& h) { return StartsWith(h, "BM"); }},
    {ImageFormat::Tls, [](const Header& h) { return StartsWith(h, "TLSP"); }},
    {ImageFormat::Jpeg, [](const Header& h) { return Contains(h, "JFIF"); }},
    {ImageFormat::Xpm, [](const Header& h) { return Contains(h, "XPM"); }},
    {ImageFormat::Xpm, [](const Header& h) { return Contains(h, "char"); }},
    {ImageFormat::Jpeg,
     [](const Header& h) { return h[0] == 0xFF && (h[1] == 0xD8 || h[1] == 0xDB); }},
    {ImageFormat::Eps, [](const Header& h) { return h[0] == '%' && h[1] == '!'; }},
    {ImageFormat::Pnm, [](const Header& h) { return h[0] == 'P' && h[1] >= '1' && h[1] <= '6'; }},
    {ImageFormat::Xwd,
     [](const Header& h) {
         return h[4] == ' ' && h[5] == ' ' && h[6] == ' ' && (h[7] == 7 || h[7] == 6);
     }},
};

// File signatures, tested on the raw bytes after the tests above: a file that starts with
// one is that format whatever text its first bytes carry (a PNG's text chunk may well contain
// "char"). The bitmap's "BM" counts only with a known header size behind it.
constexpr RecognitionTest kSignatures[] = {
    {ImageFormat::Png, [](const Header& h) { return StartsWith(h, "\x89PNG\r\n\x1A\n"); }},
    {ImageFormat::Jpeg, [](const Header& h) { return StartsWith(h, "\xFF\xD8\xFF"); }},
    {ImageFormat::Gif, [](const Header& h) { return StartsWith(h, "GIF87a"); }},
    {ImageFormat::Gif, [](const Header& h) { return StartsWith(h, "GIF89a"); }},
    {ImageFormat::Bmp,
     [](const Header& h) {
         const std::uint32_t size = Le32(h.data() + 14);
         return StartsWith(h, "BM") && (size == 12 || size == 40 || size == 52 || size == 56 ||
                                        size == 64 || size == 108 || size == 124);
     }},
    {ImageFormat::Tiff,
     [](const Header& h) { return StartsWith(h, std::string_view("II*\0", 4)); }},
    {ImageFormat::Tiff,
     [](const Header& h) { return StartsWith(h, std::string_view("MM\0*", 4)); }},
    {ImageFormat::Webp,
     [](const Header& h) { return StartsWith(h, "RIFF") && std::memcmp(&h[8], "WEBP", 4) == 0; }},
    {ImageFormat::Eps, [](const Header& h) { return StartsWith(h, "\xC5\xD0\xD3\xC6"); }},
};

// The reader of each format. A format without a reader is recognised but refused with
// "Das Format wird nicht unterstützt".
struct ReaderEntry {
    ImageFormat format;
    std::unique_ptr<CImageReader> (*create)();
};

template <class Reader>
std::unique_ptr<CImageReader> Make() {
    return std::make_unique<Reader>();
}

// One row per line, in the order of recognition.
// clang-format off
constexpr ReaderEntry kReaders[] = {
    {ImageFormat::Bmp, Make<CBmpReader>},
    {ImageFormat::Ico, Make<CIcoReader>},
    {ImageFormat::Tiff, Make<CTiffReader>},
    {ImageFormat::Gif, Make<CGifReader>},  // the first picture of a stream
    {ImageFormat::Png, Make<CPngReader>},
    {ImageFormat::Tls, Make<CTlsReader>},  // picture 0 of a sequence
    {ImageFormat::Jpeg, Make<CJpegReader>},
    {ImageFormat::Xpm, Make<CXpmReader>},
    {ImageFormat::Eps, Make<CEpsReader>},
    {ImageFormat::Pnm, Make<CPnmReader>},
    {ImageFormat::Xwd, Make<CXwdReader>},
    {ImageFormat::Webp, Make<CWebpReader>},
};
// clang-format on

}  // namespace

std::unique_ptr<CImageReader> CreateImageReader(ImageFormat format) {
    for (const ReaderEntry& entry : kReaders) {
        if (entry.format == format) {
            return entry.create();
        }
    }
    return nullptr;
}

namespace {

void SetLastError(std::string_view message) {
    gLastImageError.assign(message.substr(0, kMaxErrorLength));
}

int CodeForException(const EGraphicsException& error) {
    switch (error.Code()) {
        case 4:
            return kLoadPictureTooLarge;
        case 5:
            return kLoadWrongColour;
        case 6:
            return kLoadOutOfMemory;
        default:
            return kLoadReaderError;
    }
}

}  // namespace

ImageFormat RecogniseImageFormat(const std::uint8_t* bytes, std::size_t length) {
    Header h{};
    if (length != 0) {
        std::memcpy(h.data(), bytes, std::min(length, kHeaderLength));
    }
    ImageFormat format = ImageFormat::None;
    // Tests on the raw bytes: a bare bitmap-info header (as bitmap resources hold) with width
    // and height below 65536, or an icon directory.
    if (Le32(h.data()) == 40 && h[6] == 0 && h[7] == 0 && h[10] == 0 && h[11] == 0) {
        format = ImageFormat::Bmp;
    } else if (h[0] == 0 && h[1] == 0 && (h[2] == 1 || h[2] == 2) && h[3] == 0 && h[5] == 0 &&
               h[4] >= 1 && h[4] <= 32) {
        format = ImageFormat::Ico;
    }
    const Header raw = h;
    std::replace(h.begin(), h.end(), std::uint8_t{0}, std::uint8_t{' '});
    for (const RecognitionTest& test : kRecognitionTests) {
        if (test.matches(h)) {
            format = test.format;
        }
    }
    for (const RecognitionTest& signature : kSignatures) {
        if (signature.matches(raw)) {
            return signature.format;
        }
    }
    return format;
}

namespace {

// The size a picture of w x h takes fitted into the box keeping its aspect, rounded up, so
// that a reduction to it still covers whatever the box shows.
ImageSize CoveringSize(std::uint64_t w, std::uint64_t h, ImageSize box) {
    // f = min(box.width / w, box.height / h), compared as box.width * h against box.height * w.
    if (std::uint64_t{box.width} * h <= std::uint64_t{box.height} * w) {
        return {box.width, static_cast<std::uint32_t>((h * box.width + w - 1) / w)};
    }
    return {static_cast<std::uint32_t>((w * box.height + h - 1) / h), box.height};
}

// What the readers are asked for besides the picture.
struct ReadRequest {
    std::uint64_t maxPixels = kMaxPicturePixels;
    ImageSize fit;
    ImageSize* fullSize = nullptr;
};

// Recognises the format of an open stream and reads it with the format's reader.
ImageLoadResult LoadFromStream(CDataStream& stream, CDibImage& image, std::string* commentOut,
                               const ReadRequest& request) {
    ImageLoadResult result;
    const auto finish = [&result](int code) {
        result.code = code;
        result.message = gLastImageError;
        return result;
    };
    // Not more than the source holds: a read past its end would mark it as cut short.
    std::uint8_t header[kForeignHeaderLength];
    const std::size_t got = stream.Read(
        header, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof header, stream.Size())));
    gLastImageError.clear();
    result.format = RecogniseImageFormat(header, std::min(got, kHeaderLength));
    if (result.format == ImageFormat::None) {
        result.foreign = RecogniseForeignFormat(header, got);
        SetLastError(kMessageUnknownFormat);
        return finish(kLoadUnknownFormat);
    }
    // Every failure of a reader leaves the image empty, whichever step it reached: a picture
    // decoded in part (grey rows, a missing palette) must never be shown as if it were whole.
    const auto failed = [&](int code) {
        image.Free();
        result.cutShort = stream.WantedPastEnd();
        return finish(code);
    };
    try {
        if (!stream.Seek(0)) {
            throw EGraphicsException(image_messages::kInternalError);
        }
        std::unique_ptr<CImageReader> reader = CreateImageReader(result.format);
        if (!reader) {
            throw EGraphicsException(image_messages::kFormatNotSupported);
        }
        reader->SetPixelBudget(request.maxPixels);
        reader->SetReduction(request.fit.width, request.fit.height);
        reader->Read(stream, image);
        if (request.fullSize != nullptr) {
            *request.fullSize = reader->StoredWidth() != 0
                                    ? ImageSize{reader->StoredWidth(), reader->StoredHeight()}
                                    : ImageSize{image.width, image.height};
        }
        if (commentOut != nullptr) {
            *commentOut = reader->Comment();
        }
        gLastGifTransparentIndex = reader->TransparentIndex();
        return finish(kLoadOk);
    } catch (const EGraphicsException& error) {
        SetLastError(error.Message());
        return failed(CodeForException(error));
    } catch (...) {
        SetLastError(kMessageUnexpected);
        return failed(kLoadUnexpected);
    }
}

ImageLoadResult LoadFile(const std::string& path, CDibImage& image, std::string* commentOut,
                         const ReadRequest& request) {
    if (commentOut != nullptr) {
        commentOut->clear();
    }
    CDataStream stream;
    if (!stream.Open(path)) {
        SetLastError(kMessageCannotOpen);
        ImageLoadResult result;
        result.code = kLoadCannotOpen;
        result.message = gLastImageError;
        return result;
    }
    return LoadFromStream(stream, image, commentOut, request);
}

}  // namespace

int LoadImageFile(const std::string& path, CDibImage& image, std::string* commentOut) {
    return LoadFile(path, image, commentOut, {}).code;
}

ImageLoadResult LoadImageFileDetailed(const std::string& path, CDibImage& image,
                                      std::string* commentOut, std::uint64_t maxPixels) {
    return LoadFile(path, image, commentOut,
                    {.maxPixels = maxPixels, .fit = {}, .fullSize = nullptr});
}

int LoadImageFileWithin(const std::string& path, CDibImage& image, std::uint64_t maxPixels) {
    return LoadImageFileDetailed(path, image, nullptr, maxPixels).code;
}

ImageLoadResult LoadImageBytes(std::span<const std::uint8_t> bytes, CDibImage& image,
                               std::string* commentOut, std::uint64_t maxPixels) {
    if (commentOut != nullptr) {
        commentOut->clear();
    }
    CDataStream stream;
    stream.OpenMemory(bytes);
    return LoadFromStream(stream, image, commentOut,
                          {.maxPixels = maxPixels, .fit = {}, .fullSize = nullptr});
}

int LoadImageFileToFit(const std::string& path, CDibImage& image, ImageSize fit,
                       ImageSize* fullSize) {
    if (fullSize != nullptr) {
        *fullSize = {};
    }
    const int code = LoadFile(path, image, nullptr,
                              {.maxPixels = kMaxPicturePixels, .fit = fit, .fullSize = fullSize})
                         .code;
    if (code != kLoadOk || fit.width == 0 || fit.height == 0 || image.width == 0 ||
        image.height == 0) {
        return code;
    }
    // A picture the reader could not reduce is reduced now when that saves much: only the
    // reduced copy is kept.
    const ImageSize needed = CoveringSize(image.width, image.height, fit);
    if (image.width > 2 * std::uint64_t{needed.width} &&
        image.height > 2 * std::uint64_t{needed.height}) {
        const std::uint32_t flags =
            CDibImage::kScaleSmooth | (image.AlphaKind() == 2 ? CDibImage::kScaleForce32 : 0);
        CDibImage reduced;
        if (reduced.Scale(image, needed.width, needed.height, flags)) {
            image.SwapPictureWith(reduced);
        }
    }
    return code;
}

std::string LastImageError() {
    return gLastImageError;
}

std::int32_t LastGifTransparentIndex() {
    return gLastGifTransparentIndex;
}

bool CDibImage::LoadBitmapResource(std::uint32_t id) {
    Free();
    const std::span<const std::uint8_t> bytes =
        FindResource(ResourceId::Number(kResourceTypeBitmap), ResourceId::Number(id));
    if (bytes.empty()) {
        return false;
    }
    CDataStream stream;
    stream.OpenMemory(bytes);
    try {
        CBmpReader reader;
        reader.Read(stream, *this);
        return true;
    } catch (...) {
        Free();
        return false;
    }
}

}  // namespace kelvandor
