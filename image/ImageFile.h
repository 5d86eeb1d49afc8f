#pragma once
// Loading of image files and program resources into a CDibImage.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "image/DibImage.h"
#include "image/ForeignFormats.h"
#include "image/ImageReader.h"

namespace kelvandor {

// Result codes of LoadImageFile.
constexpr int kLoadOk = 0;
constexpr int kLoadReaderError = -1;    // a reader failed (message from the reader)
constexpr int kLoadUnknownFormat = -2;  // "Unbekanntes Datei Format."
constexpr int kLoadCannotOpen = -3;     // "Kann Datei nicht öffnen."
constexpr int kLoadPictureTooLarge = -4;
constexpr int kLoadWrongColour = -5;
constexpr int kLoadOutOfMemory = -6;
constexpr int kLoadUnexpected = -7;  // "Unbekannter Fehler"

// The formats that the first 64 bytes of a source can be recognised as.
enum class ImageFormat { None, Bmp, Ico, Tiff, Gif, Png, Tls, Jpeg, Xpm, Eps, Pnm, Xwd, Webp };

// Recognises a format from the first bytes of a source (up to 64 are looked at; a shorter
// header is taken as padded with zero bytes). Later tests win over earlier ones, except that
// a file signature at the start (PNG, JPEG, GIF, BMP, TIFF, RIFF/WEBP, DOS EPS) always wins
// over the text tests that look for "XPM", "char" or "JFIF" anywhere in the header.
ImageFormat RecogniseImageFormat(const std::uint8_t* header, std::size_t length);

// What a load found out, for callers that explain a failure in their own words.
struct ImageLoadResult {
    int code = kLoadOk;                      // as LoadImageFile returns it
    std::string message;                     // as LastImageError() holds it (German, Windows-1252)
    ImageFormat format = ImageFormat::None;  // the recognised format
    ForeignFormat foreign = ForeignFormat::None;  // for kLoadUnknownFormat: what it is instead
    // The reader failed after asking for more bytes than the source has: the file was cut
    // short (copied or downloaded only in part).
    bool cutShort = false;
};

// Loads the picture at path (a file, or a res:// path into the program's resources; see
// image/DataStream.h) into image. Returns 0 on success, else a negative kLoad... code, and
// LastImageError() says why in German (Windows-1252). When a reader fails the image is left
// empty: no partly decoded picture reaches the caller. A source that cannot be opened or is
// not recognised leaves the image untouched. When commentOut is given it is cleared, and
// after a successful read receives the picture's comment. Never throws for bad input.
int LoadImageFile(const std::string& path, CDibImage& image, std::string* commentOut = nullptr);

// LoadImageFile, telling in addition which format was found and how the load failed. A
// picture of more than maxPixels pixels (never more than kMaxPicturePixels, 100 megapixels)
// is refused with kLoadPictureTooLarge, "Das Bild ist zu groß", before it is allocated.
ImageLoadResult LoadImageFileDetailed(const std::string& path, CDibImage& image,
                                      std::string* commentOut = nullptr,
                                      std::uint64_t maxPixels = kMaxPicturePixels);

// LoadImageFile for at most maxPixels pixels: the picture loader that the game and the tool
// hand to LoadPuzzle.
int LoadImageFileWithin(const std::string& path, CDibImage& image, std::uint64_t maxPixels);

// The same load from bytes in memory (which need only live for the call): recognition, the
// reader, the codes and LastImageError() as for a file.
ImageLoadResult LoadImageBytes(std::span<const std::uint8_t> bytes, CDibImage& image,
                               std::string* commentOut = nullptr,
                               std::uint64_t maxPixels = kMaxPicturePixels);

// A new reader for `format`, nullptr for a format that is recognised but has no reader. For
// reading a format directly, without recognition (the fuzz targets).
std::unique_ptr<CImageReader> CreateImageReader(ImageFormat format);

// A picture's width and height in pixels, or the box it is shown in.
struct ImageSize {
    std::uint32_t width = 0, height = 0;

    friend bool operator==(const ImageSize&, const ImageSize&) = default;
};

// LoadImageFile for a picture that is only ever shown fitted into `fit`: the picture may come
// back reduced, never below the size at which it fills the box (and never enlarged). JPEG
// pictures are decoded straight at the smallest of the decoder's scales (1/8 to 8/8) that
// covers the box, so a large photo never exists at full size; a picture of another format
// that is still more than twice that size is reduced by area averaging. `fullSize`, when
// given, receives the picture's size as it is stored (upright), before any reduction; the
// caller lays it out by that size. A fit of 0 x 0 loads at full size. Same result codes as
// LoadImageFile; a picture stored with more than kMaxPicturePixels is refused as
// LoadImageFileDetailed refuses it. Safe to call on several threads at once.
int LoadImageFileToFit(const std::string& path, CDibImage& image, ImageSize fit,
                       ImageSize* fullSize = nullptr);

// The message of the last failed LoadImageFile on this thread; empty after a success.
std::string LastImageError();

// The transparent palette index of the last successful load (GIF only), -1 when none.
std::int32_t LastGifTransparentIndex();

}  // namespace kelvandor
