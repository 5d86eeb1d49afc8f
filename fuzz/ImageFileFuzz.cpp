// Arbitrary bytes through format recognition and the recognised format's reader, as the game
// loads a picture file.

#include <string>

#include "FuzzTarget.h"
#include "image/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvandor::CDibImage image;
    std::string comment;
    kelvandor::LoadImageBytes(Bytes(data, size), image, &comment, kFuzzPixelBudget);
    return 0;
}
