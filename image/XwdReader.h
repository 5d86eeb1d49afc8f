#pragma once
// Reader for X window dumps as xwd writes them: version 7, Z-pixmap format, 1, 4, 8, 16, 24 or
// 32 bits per pixel in either byte order (the header itself is big-endian). Pixels of
// colour-map visuals are looked up in the dump's colour map, those of true-colour visuals
// taken apart by the visual's colour masks. Every dump becomes a 24-bit image. Failures throw the
// EXwd exceptions.

#include "image/ImageReader.h"

namespace kelvandor {

class CXwdReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
