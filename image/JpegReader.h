#pragma once
// Reader for JPEG files, on libjpeg (API version 62). Grey and colour pictures become 24-bit
// images (grey in all three channels). Pictures of other component counts (CMYK) are not
// read: they fail with the decoder's message number for missing scanlines (67). Decoder
// errors, and data that end before the last scanline, give "Fehler <n> beim Laden der Jpeg
// Datei" with the decoder's message number. The comment is the COM markers in file order.

#include "image/ImageReader.h"

namespace kelvandor {

class CJpegReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
