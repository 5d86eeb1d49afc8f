#include "image/ImageReader.h"

#include "image/ImageErrors.h"

namespace kelvandor {

void CImageReader::ReadFile(const std::string& path, CDibImage& image) {
    CDataStream stream;
    if (!stream.Open(path)) {
        ThrowOpenError();
    }
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

void CImageReader::CreateImage(CDibImage& image, std::uint32_t depth, std::uint32_t width,
                               std::uint32_t height, std::uint32_t fill) {
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

}  // namespace kelvandor
