#include "image/ImageFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/LittleEndian.h"
#include "image/BmpReader.h"
#include "image/DataStream.h"
#include "image/GifReader.h"
#include "image/ImageErrors.h"
#include "image/ImageReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/PnmReader.h"
#include "image/TlsReader.h"
#include "image/XpmReader.h"

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

constexpr ReaderEntry kReaders[] = {
    {ImageFormat::Bmp, Make<CBmpReader>},
    {ImageFormat::Png, Make<CPngReader>},
    {ImageFormat::Jpeg, Make<CJpegReader>},
    {ImageFormat::Gif, Make<CGifReader>},  // the first picture of a stream
    {ImageFormat::Tls, Make<CTlsReader>},  // picture 0 of a sequence
    {ImageFormat::Xpm, Make<CXpmReader>},
    {ImageFormat::Pnm, Make<CPnmReader>},
};

std::unique_ptr<CImageReader> CreateReader(ImageFormat format) {
    for (const ReaderEntry& entry : kReaders) {
        if (entry.format == format) {
            return entry.create();
        }
    }
    return nullptr;
}

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
    std::replace(h.begin(), h.end(), std::uint8_t{0}, std::uint8_t{' '});
    for (const RecognitionTest& test : kRecognitionTests) {
        if (test.matches(h)) {
            format = test.format;
        }
    }
    return format;
}

int LoadImageFile(const std::string& path, CDibImage& image, std::string* commentOut) {
    if (commentOut != nullptr) {
        commentOut->clear();
    }
    CDataStream stream;
    if (!stream.Open(path)) {
        SetLastError(kMessageCannotOpen);
        return kLoadCannotOpen;
    }
    std::uint8_t header[kHeaderLength];
    const std::size_t got = stream.Read(header, sizeof header);
    gLastImageError.clear();
    const ImageFormat format = RecogniseImageFormat(header, got);
    if (format == ImageFormat::None) {
        SetLastError(kMessageUnknownFormat);
        return kLoadUnknownFormat;
    }
    try {
        if (!stream.Seek(0)) {
            throw EGraphicsException(image_messages::kInternalError);
        }
        std::unique_ptr<CImageReader> reader = CreateReader(format);
        if (!reader) {
            throw EGraphicsException(image_messages::kFormatNotSupported);
        }
        reader->Read(stream, image);
        if (commentOut != nullptr) {
            *commentOut = reader->Comment();
        }
        gLastGifTransparentIndex = reader->TransparentIndex();
        return kLoadOk;
    } catch (const EGraphicsException& error) {
        SetLastError(error.Message());
        return CodeForException(error);
    } catch (...) {
        SetLastError(kMessageUnexpected);
        return kLoadUnexpected;
    }
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
