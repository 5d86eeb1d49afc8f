#include "image/ImageReader.h"

#include <cstring>

#include "image/ImageErrors.h"

namespace kelvandor {

void CImageReader::ReadFile(const std::string& path, CDibImage& image) {
    CDataStream stream;
    if (!stream.Open(path)) {
        ThrowOpenError();
    }
    Read(stream, image);
}

void CImageReader::ReadBytes(std::span<const std::uint8_t> bytes, CDibImage& image) {
    CDataStream stream;
    stream.OpenMemory(bytes);
    Read(stream, image);
}

void CImageReader::ThrowOpenError() const {
    throw EGraphicsException();
}

bool CImageReader::CancelRequested(int percent) {
    if (progress_ == nullptr) {
        return false;
    }
    bool cancel = false;
    progress_(progressUser_, percent, &cancel);
    return cancel;
}

void CImageReader::ReportProgress(int percent) {
    if (CancelRequested(percent)) {
        throw EGraphicsAbort();
    }
}

void CImageReader::CheckPictureSize(std::uint64_t width, std::uint64_t height) const {
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > pixelBudget_) {
        throw EGraphicsPicSize();
    }
}

void CImageReader::CreateImage(CDibImage& image, std::uint32_t depth, std::uint32_t width,
                               std::uint32_t height, std::uint32_t fill) const {
    CheckPictureSize(width, height);
    if (image.Create(depth, width, height, fill)) {
        return;
    }
    switch (image.lastError) {
        case kCreateErrorTooLarge:
            throw EGraphicsPicSize();
        case kCreateErrorDepth:
            throw EGraphicsWrongColor();
        case kCreateErrorOutOfMemory:
            throw EGraphicsMemory();
        default:
            throw EGraphicsException();
    }
}

bool SourceHolds(CDataStream& stream, std::uint64_t length) {
    const std::uint64_t here = stream.Position();
    const std::uint64_t end = here + length;
    // Seeking to the end proves that the bytes are there.
    return end >= here && stream.Seek(end) && stream.Seek(here);
}

bool ReadBlock(CDataStream& stream, std::uint64_t offset, std::uint64_t length,
               std::vector<std::uint8_t>& block) {
    if (!stream.Seek(offset) || !SourceHolds(stream, length) || length > SIZE_MAX) {
        return false;
    }
    block.resize(static_cast<std::size_t>(length));
    return stream.Read(block.data(), block.size()) == block.size();
}

std::uint64_t CImageReader::ReadEmbedded(CImageReader& inner, std::span<const std::uint8_t> bytes,
                                         CDibImage& image,
                                         const std::function<void()>& throwDamaged) const {
    inner.SetPixelBudget(pixelBudget_);
    CDataStream stream;
    stream.OpenMemory(bytes);
    try {
        inner.Read(stream, image);
    } catch (const EGraphicsException& error) {
        if (error.Code() != 0) {
            throw;
        }
        throwDamaged();
        throw;
    }
    return stream.Position();
}

void CImageReader::ExpandPaletteToArgb(CDibImage& image) {
    CDibImage converted;
    if (!converted.Create(32, image.width, image.height, NoFill)) {
        throw EGraphicsMemory();
    }
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(converted.Row(y), image.rowTo32(image, image.Row(y)),
                    static_cast<std::size_t>(image.width) * 4);
    }
    // Only the picture changes hands: the text state and the user words belong to the
    // caller's object.
    image.SwapPictureWith(converted);
}

}  // namespace kelvandor
