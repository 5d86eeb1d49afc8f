#include "image/EpsReader.h"

#include <cstring>
#include <span>
#include <vector>

#include "base/LittleEndian.h"
#include "image/ImageErrors.h"
#include "image/TiffReader.h"

namespace kelvandor {

namespace {

constexpr std::size_t kDosHeaderSize = 30;
constexpr std::uint8_t kDosSignature[4] = {0xC5, 0xD0, 0xD3, 0xC6};

}  // namespace

void CEpsReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    const std::uint64_t start = stream.Position();
    // Looked at, not read: a short PostScript file is not one that was cut short.
    const std::span<const std::uint8_t> signature = stream.Peek(sizeof kDosSignature);
    if (signature.size() >= 2 && signature[0] == '%' && signature[1] == '!') {
        throw EEpsNotSupported();  // PostScript without a preview
    }
    if (signature.size() < sizeof kDosSignature ||
        std::memcmp(signature.data(), kDosSignature, sizeof kDosSignature) != 0) {
        throw EEpsNotAEpsFile();
    }
    std::uint8_t header[kDosHeaderSize];
    if (stream.Read(header, sizeof header) != sizeof header) {
        throw EEpsFileReadError();
    }
    // The header names three sections: PostScript, a WMF preview and a TIFF preview.
    const std::uint32_t tiffOffset = Le32(header + 20);
    const std::uint32_t tiffLength = Le32(header + 24);
    if (tiffOffset == 0 || tiffLength == 0) {
        throw EEpsNotSupported();
    }
    std::vector<std::uint8_t> preview;
    if (!ReadBlock(stream, start + tiffOffset, tiffLength, preview)) {
        throw EEpsFileReadError();
    }
    CTiffReader tiff;
    ReadEmbedded(tiff, preview, image, []() { throw EEpsCorruptFile(); });
    ReportProgress(100);
}

void CEpsReader::ThrowOpenError() const {
    throw EEpsFileOpenError();
}

}  // namespace kelvandor
