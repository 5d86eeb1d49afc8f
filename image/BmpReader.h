#pragma once
// Reader for Windows bitmaps: a file with the 14-byte "BM" header, or a bare bitmap-info
// header as bitmap resources store it. Core (12-byte) and info (40 bytes or more) headers;
// 1, 4, 8, 24 and 32 bits per pixel; RLE4 and RLE8; bottom-up and top-down rows. Palette
// entries of info headers keep their fourth byte as alpha, and 32-bit pixels keep theirs.

#include "image/ImageReader.h"

namespace kelvandor {

class CBmpReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
