#pragma once
// Writes TLS picture sequences (image/TlsFormat.h) that CTlsReader reads back: the rows of
// each picture byte for byte, its block and its tail. The reader folds the block's values
// into the alpha of what it reads, so an 8-bit picture comes back with the sequence's fixed
// palette and a 32-bit picture with bits 28 to 30 of its first 198 pixels replaced.

#include <span>
#include <string>
#include <vector>

#include "image/DibImage.h"
#include "image/TlsFormat.h"

namespace kelvandor {

struct TlsPicture {
    const CDibImage* image = nullptr;  // not owned; must live while the sequence is made
    TlsBlock block{};
    TlsTail tail{};  // stored only when the sequence holds more than one picture
};

// The bytes of a sequence of the pictures, in their order. Empty when they cannot form one:
// none or more than 256 pictures, a missing or empty image, images of different sizes or
// depths, a depth other than 8 or 32 bits, or a side above 4096.
std::vector<std::uint8_t> EncodeTlsSequence(std::span<const TlsPicture> pictures);

// Writes EncodeTlsSequence(pictures) to path. False when the pictures cannot form a sequence
// or the file cannot be written.
bool WriteTlsFile(const std::string& path, std::span<const TlsPicture> pictures);

}  // namespace kelvandor
