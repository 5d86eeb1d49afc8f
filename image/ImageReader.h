#pragma once
// CImageReader: the base of the per-format image readers. A reader lives for one load: it is
// created after the format has been recognised, reads one picture from a stream into a
// CDibImage and is destroyed. Readers report every problem by throwing an exception of the
// EGraphicsException family (image/ImageErrors.h); the image is then left as far as the
// reader got (empty when it could not be created), and LoadImageFile empties it.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "image/DataStream.h"
#include "image/DibImage.h"

namespace kelvandor {

// The most pixels one picture may have: 100 megapixels (400 MB at 32 bits). A file of a few
// bytes can claim a picture of gigabytes; a claim above this is refused with
// EGraphicsPicSize ("Das Bild ist zu groß") before anything is allocated for it. Phone
// photos (48 megapixels, 8000 x 6000) stay well below it.
constexpr std::uint64_t kMaxPicturePixels = 100'000'000;

class CImageReader {
public:
    // Called with a percentage while reading; setting *cancel stops the read with
    // EGraphicsAbort (or the reader's own abort exception).
    using ProgressCallback = void (*)(void* user, int percent, bool* cancel);

    CImageReader() = default;
    CImageReader(const CImageReader&) = delete;
    CImageReader& operator=(const CImageReader&) = delete;
    virtual ~CImageReader() = default;

    // Reads one picture from the stream's current position. Throws on failure.
    virtual void Read(CDataStream& stream, CDibImage& image) = 0;

    // Opens path (a file or a res:// path), reads it and closes it. Throws the reader's open
    // error when the path cannot be opened.
    void ReadFile(const std::string& path, CDibImage& image);
    // Reads a picture from bytes in memory (which need only live for the call); the same as
    // Read on a memory stream. Throws on failure.
    void ReadBytes(std::span<const std::uint8_t> bytes, CDibImage& image);

    // The picture's comment text (bytes as stored); empty when it has none.
    const std::string& Comment() const { return comment_; }
    // The transparent palette index of the picture read, -1 when there is none.
    virtual std::int32_t TransparentIndex() const { return -1; }

    // Turns a palette image into a 32-bit image in which every pixel has the colour and the
    // alpha of its palette entry; the caller's text state and user words stay. Throws
    // EGraphicsMemory when the new image cannot be made. Readers use it for pictures whose
    // palette marks colours transparent, so that the transparency shows wherever the picture
    // is drawn with its alpha.
    static void ExpandPaletteToArgb(CDibImage& image);

    // Asks for a picture no larger than it takes to fill a box of width x height keeping its
    // aspect (0 x 0: full size). Readers whose decoder can produce a smaller picture
    // directly do so; the others read at full size.
    void SetReduction(std::uint32_t width, std::uint32_t height) {
        reduceToWidth_ = width;
        reduceToHeight_ = height;
    }
    // The size of the picture as stored (upright) when the reader reduced it; 0 x 0 when it
    // read it at full size.
    std::uint32_t StoredWidth() const { return storedWidth_; }
    std::uint32_t StoredHeight() const { return storedHeight_; }

    void SetProgressCallback(ProgressCallback callback, void* user) {
        progress_ = callback;
        progressUser_ = user;
    }

    // The most pixels the picture read may have; never more than kMaxPicturePixels. The
    // puzzle loader lowers it to what is left of a puzzle's budget.
    void SetPixelBudget(std::uint64_t pixels) { pixelBudget_ = std::min(pixels, kMaxPicturePixels); }
    std::uint64_t PixelBudget() const { return pixelBudget_; }

    // Throws EGraphicsPicSize when a picture of width x height pixels is over the budget (or
    // a side over kMaxImageSide). Readers ask this before they allocate for a picture.
    void CheckPictureSize(std::uint64_t width, std::uint64_t height) const;
    // Reads a picture that another file carries inside it (the PNG of an icon, the JPEG of a
    // bitmap, the TIFF preview of an EPS file) with inner, which gets this reader's budget.
    // When the inner picture is damaged or unreadable, throwDamaged throws the outer format's
    // exception; the exceptions with a code of their own (size, colour format, memory,
    // abort) pass as they are. Returns how many of the bytes the inner reader read.
    std::uint64_t ReadEmbedded(CImageReader& inner, std::span<const std::uint8_t> bytes,
                               CDibImage& image, const std::function<void()>& throwDamaged) const;

protected:
    // Throws the exception that says the source could not be opened.
    [[noreturn]] virtual void ThrowOpenError() const;
    // Tells the callback how far the read is; throws EGraphicsAbort when it cancels.
    void ReportProgress(int percent);
    bool CancelRequested(int percent);
    // Create within the budget that throws by the image's lastError: EGraphicsPicSize,
    // EGraphicsWrongColor, EGraphicsMemory, or EGraphicsException "Unknown error".
    void CreateImage(CDibImage& image, std::uint32_t depth, std::uint32_t width,
                     std::uint32_t height, std::uint32_t fill = NoFill) const;

    std::string comment_;
    std::uint32_t reduceToWidth_ = 0, reduceToHeight_ = 0;
    std::uint32_t storedWidth_ = 0, storedHeight_ = 0;

private:
    ProgressCallback progress_ = nullptr;
    void* progressUser_ = nullptr;
    std::uint64_t pixelBudget_ = kMaxPicturePixels;
};

// True when length bytes follow the stream's position, which stays where it is. Readers ask
// before they allocate for data that a header announces; when the bytes are not there the
// stream remembers that more was wanted than it has.
bool SourceHolds(CDataStream& stream, std::uint64_t length);

// Reads length bytes at the absolute position offset into block. False, with nothing
// allocated, when the source does not hold them all (the stream then remembers that more was
// wanted than it has).
bool ReadBlock(CDataStream& stream, std::uint64_t offset, std::uint64_t length,
               std::vector<std::uint8_t>& block);

}  // namespace kelvandor
