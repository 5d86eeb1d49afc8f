#pragma once
// Reader for TLS picture sequences (image/TlsFormat.h). Any picture of a sequence can be
// read; the others are read past, because the CRC covers the whole file and is checked
// before the picture is handed over. An 8-bit picture gets the sequence's fixed palette
// (red, green and blue from bits 6, 5 and 4 of the index) with the block's 3-bit values in
// the alpha of the first 176 entries; a 32-bit picture gets them in bits 28 to 30 of its
// first 176 pixels, and positions 176 to 197 get their position's low three bits there.
// Failures throw the TLS exceptions of image/ImageErrors.h.

#include "image/ImageReader.h"
#include "image/TlsFormat.h"

namespace kelvandor {

class CTlsReader : public CImageReader {
public:
    // pictureIndex: the picture that Read and ReadFile read.
    explicit CTlsReader(std::uint32_t pictureIndex = 0) : pictureIndex_(pictureIndex) {}

    void Read(CDataStream& stream, CDibImage& image) override;
    // Reads picture `index` (0 is the first) of the sequence that starts at the stream's
    // position. ETlsNotFound when the sequence has no such picture.
    void ReadPicture(CDataStream& stream, CDibImage& image, std::uint32_t index);
    // Opens path and reads picture `index`; ETlsFileOpenError when it cannot be opened.
    void ReadPictureFile(const std::string& path, CDibImage& image, std::uint32_t index);

    // After a read: the number of pictures in the sequence, and the block and the tail of
    // the picture read (the tail is zero in a sequence of one picture).
    std::uint32_t PictureCount() const { return pictureCount_; }
    const TlsBlock& Block() const { return block_; }
    const TlsTail& Tail() const { return tail_; }

protected:
    [[noreturn]] void ThrowOpenError() const override;

private:
    std::uint32_t pictureIndex_;
    std::uint32_t pictureCount_ = 0;
    TlsBlock block_{};
    TlsTail tail_{};
};

}  // namespace kelvandor
