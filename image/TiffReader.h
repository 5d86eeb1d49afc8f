#pragma once
// Reader for TIFF files, on libtiff. Reads the first page in any compression, colour model
// and bit depth that libtiff's RGBA interface converts (bilevel, grey, palette, RGB, CMYK,
// YCbCr, 1 to 16 bits per sample). Pictures with an alpha channel become 32-bit images with
// straight (not premultiplied) alpha, all others 24-bit ones. The orientation tag is applied
// after decoding. Failures throw ETiffError with one of the TIFF messages; libtiff's own
// allocations are capped, and pictures of more than the picture budget (kMaxPicturePixels) are refused as too
// large before anything is decoded.

#include "image/ImageReader.h"

namespace kelvandor {

class CTiffReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
