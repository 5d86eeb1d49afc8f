#pragma once
// Reader for Windows icons and cursors (.ico, .cur). Reads the largest picture of the file
// (the deepest among equally large ones): a PNG entry as the PNG reader reads it, a bitmap
// entry as a 32-bit image whose transparency is the entry's AND mask, unless its own alpha
// bytes vary (32-bit entries with an alpha channel keep that). Failures throw EIconError with
// one of the icon messages.

#include "image/ImageReader.h"

namespace kelvandor {

class CIcoReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
