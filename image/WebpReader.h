#pragma once
// Reader for WebP files, on libwebp: lossy, lossless, with or without alpha, and the first
// frame of an animation. Pictures with alpha become 32-bit images (straight alpha), others
// 24-bit ones. The RIFF container's size says how much to read; a source shorter than that
// is cut short. libwebp cannot be given a memory budget, so pictures of more than
// the picture budget (kMaxPicturePixels) are refused as too large before they are decoded.

#include "image/ImageReader.h"

namespace kelvandor {

class CWebpReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
