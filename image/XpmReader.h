#pragma once
// Reader for XPM pictures (the XPM 3 C source form). The quoted strings are taken in order,
// whatever C declaration and comments stand around them: the header "width height colours
// charsPerPixel", the colour lines (image/ColourNames.h), then one string per row. Up to 256
// colours give an 8-bit palette image, more (up to 1024) a 32-bit image; a picture whose
// pixels use a None colour becomes a 32-bit image in which those pixels have alpha 0 and all
// others 255. Failures throw EXpmError with one of its messages.

#include "image/ImageReader.h"

namespace kelvandor {

class CXpmReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
