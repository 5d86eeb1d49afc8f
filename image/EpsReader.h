#pragma once
// Reader for EPS files. PostScript itself is not rendered: a DOS EPS file (the binary header
// C5 D0 D3 C6 that drawing programs write) is shown through its TIFF preview. Plain
// PostScript, and files with only a WMF preview or none, are refused with "Das Format der
// EPS-Datei wird nicht unterstützt !". Failures throw the EEps exceptions.

#include "image/ImageReader.h"

namespace kelvandor {

class CEpsReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;

protected:
    [[noreturn]] void ThrowOpenError() const override;
};

}  // namespace kelvandor
