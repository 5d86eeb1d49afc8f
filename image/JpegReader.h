#pragma once
// Reader for JPEG files, on libjpeg (API version 62). Grey, colour, CMYK and YCCK pictures
// become 24-bit images (grey in all three channels; the inks of CMYK converted to colours,
// inverted as Adobe stores them when the file carries Adobe's marker). Pictures of other
// component counts are not read: they fail with the decoder's message number for missing
// scanlines (67). The Exif orientation is applied after decoding, so a phone photo shows
// upright. Decoder errors, and data that end before the last scanline, give "Fehler <n> beim
// Laden der Jpeg Datei" with the decoder's message number. The comment is the COM markers in
// file order. The reader keeps no state between reads.

#include "image/ImageReader.h"

namespace kelvandor {

class CJpegReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
