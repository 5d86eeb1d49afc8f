// Each reader directly, without recognition: the first byte picks the reader, the rest is
// its input. Only the readers' own exceptions are expected; anything else is a finding.

#include "FuzzTarget.h"
#include "image/DataStream.h"
#include "image/ImageErrors.h"
#include "image/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvandor;
    if (size == 0) {
        return 0;
    }
    const auto format = static_cast<ImageFormat>(1 + data[0] % static_cast<int>(ImageFormat::Webp));
    const auto reader = CreateImageReader(format);
    if (!reader) {
        return 0;
    }
    reader->SetPixelBudget(kFuzzPixelBudget);
    CDataStream stream;
    stream.OpenMemory(Bytes(data + 1, size - 1));
    CDibImage image;
    try {
        reader->Read(stream, image);
    } catch (const EGraphicsException&) {
    }
    return 0;
}
