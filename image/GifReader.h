#pragma once
// Reader for GIF87a and GIF89a files, with its own LZW decoder. A picture becomes an 8-bit
// palette image of the size its image descriptor gives (the offsets on the logical screen are
// not applied): the local colour table laid over the global one, palette alpha 0. A picture
// whose graphic control names a transparent index that its pixels use becomes a 32-bit image
// instead, those pixels with alpha 0 and all others with 255, so that the transparency shows
// where the picture is drawn; TransparentIndex() names the index either way.
//
// Read takes the first picture of the stream; ReadNextPicture the ones after it (the frames
// of an animation). Failures throw the GIF exceptions of image/ImageErrors.h.

#include <memory>

#include "image/ImageReader.h"

namespace kelvandor {

class CGifReader : public CImageReader {
public:
    CGifReader();
    ~CGifReader() override;

    // Reads the header, the global colour table and the first picture.
    void Read(CDataStream& stream, CDibImage& image) override;
    // After Read: whether the stream holds another picture.
    bool HasMorePictures() const;
    // Reads the next picture from the stream that Read was given, which must still be open.
    // Throws EGifNoMoreImages when there is none.
    void ReadNextPicture(CDibImage& image);

    // The transparent index of the picture read last, -1 when it has none.
    std::int32_t TransparentIndex() const override;

protected:
    [[noreturn]] void ThrowOpenError() const override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kelvandor
