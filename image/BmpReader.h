#pragma once
// Reader for Windows bitmaps: a file with the 14-byte "BM" header, or a bare bitmap-info
// header as bitmap resources store it. Core (12-byte) and info (40 bytes or more) headers;
// 1, 4, 8, 16, 24 and 32 bits per pixel; RLE4 and RLE8; bit-field masks; bottom-up and
// top-down rows; a JPEG or PNG file as pixel data (compression 4 and 5). Palette entries of
// info headers keep their fourth byte as alpha, and 32-bit pixels keep theirs unless all of
// them are 0 (the byte is then unused and the picture opaque). 16-bit pixels and masked
// 32-bit pixels become 24-bit images, or 32-bit ones when a mask gives alpha.

#include "image/ImageReader.h"

namespace kelvandor {

class CBmpReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
