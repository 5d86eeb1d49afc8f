#pragma once
// Reader for PNG files, on libpng. Palette and grey pictures of 1, 2, 4 and 8 bits keep their
// depth (grey pictures get a grey-ramp palette), RGB becomes 24 bits and RGBA 32 bits (blue,
// green, red, alpha in memory); grey with alpha becomes a 32-bit image with the grey in all
// three channels. 16-bit samples are rounded to 8 bits. A palette picture whose used entries
// are made transparent by tRNS becomes a 32-bit image; a grey or colour picture with a tRNS
// colour key becomes a 32-bit image in which that colour is transparent. The comment is the
// text chunk keyed "Comment" (the last one), else the first text chunk.

#include "image/ImageReader.h"

namespace kelvandor {

class CPngReader : public CImageReader {
public:
    void Read(CDataStream& stream, CDibImage& image) override;
};

}  // namespace kelvandor
