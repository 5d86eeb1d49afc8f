#pragma once
// Reader for the portable anymaps P1 to P6 (PBM, PGM and PPM in their text and raw forms).
// Bitmaps become 1-bit images whose palette shows 1 as black and 0 as white, as the format
// means them; grey maps 8-bit images with a grey-ramp palette; pixel maps 24-bit images.
// Samples are scaled from the file's maximum value (1 to 65535; raw samples take two bytes,
// most significant first, above 255) to 0..255. Comments may stand anywhere in the header;
// the raw raster starts after the single white-space byte that ends the header.
// Failures throw the PNM exceptions of image/ImageErrors.h.

#include "image/ImageReader.h"

namespace kelvandor {

class CPnmReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
