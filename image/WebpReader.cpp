#include "image/WebpReader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/LittleEndian.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::size_t kRiffHeaderSize = 12;

// Step 1: the RIFF container and all the bytes it announces.
std::vector<std::uint8_t> ReadContainer(CDataStream& stream) {
    const std::uint64_t start = stream.Position();
    std::uint8_t head[kRiffHeaderSize];
    if (stream.Read(head, sizeof head) != sizeof head) {
        throw EWebpFileReadError();
    }
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WEBP", 4) != 0) {
        throw EWebpNotAWebpFile();
    }
    const std::uint64_t length = std::uint64_t{Le32(head + 4)} + 8;
    if (length < kRiffHeaderSize + 8) {
        throw EWebpCorruptFile();
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadBlock(stream, start, length, bytes)) {
        throw EWebpFileReadError();
    }
    return bytes;
}

[[noreturn]] void FailWith(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_NOT_ENOUGH_DATA:
            throw EWebpFileReadError();
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            throw EWebpNotSupported();
        case VP8_STATUS_OUT_OF_MEMORY:
            throw EGraphicsMemory();
        default:
            throw EWebpCorruptFile();
    }
}

// Step 2a: a still picture, decoded straight into the image's rows. libwebp writes the top
// row first; flipping makes it fill the bottom-up memory from its end.
void DecodeStill(const std::vector<std::uint8_t>& bytes, const WebPBitstreamFeatures& features,
                 CDibImage& image) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        throw EWebpNotSupported();  // a library of another version
    }
    config.options.flip = 1;
    config.output.colorspace = features.has_alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits;
    config.output.u.RGBA.stride = static_cast<int>(image.stride);
    config.output.u.RGBA.size = image.imageSize;
    const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        FailWith(status);
    }
}

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// Step 2b: the first frame of an animation, composed on its canvas.
void DecodeFirstFrame(const std::vector<std::uint8_t>& bytes, CDibImage& image) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) {
        throw EWebpNotSupported();
    }
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(
        WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) ||
        info.canvas_width != image.width || info.canvas_height != image.height) {
        throw EWebpCorruptFile();
    }
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr) {
        throw EWebpCorruptFile();
    }
    const std::size_t rowBytes = std::size_t{image.width} * 4;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(image.Row(y), canvas + rowBytes * y, rowBytes);
    }
}

}  // namespace

void CWebpReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    const std::vector<std::uint8_t> bytes = ReadContainer(stream);
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
    if (status != VP8_STATUS_OK) {
        FailWith(status);
    }
    if (features.width <= 0 || features.height <= 0) {
        throw EWebpCorruptFile();
    }
    const auto width = static_cast<std::uint32_t>(features.width);
    const auto height = static_cast<std::uint32_t>(features.height);
    CheckPictureSize(width, height);  // before libwebp allocates for it
    const bool animated = features.has_animation != 0;
    CreateImage(image, animated || features.has_alpha ? 32 : 24, width, height, NoFill);
    if (animated) {
        DecodeFirstFrame(bytes, image);
    } else {
        DecodeStill(bytes, features, image);
    }
    ReportProgress(100);
}

void CWebpReader::ThrowOpenError() const {
    throw EWebpFileOpenError();
}

}  // namespace kelvandor
