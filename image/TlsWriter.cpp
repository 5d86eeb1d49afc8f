#include "image/TlsWriter.h"

#include <fstream>

#include "base/LittleEndian.h"

namespace kelvandor {

namespace {

constexpr std::size_t kMostPictures = 256;

bool CanFormSequence(std::span<const TlsPicture> pictures) {
    if (pictures.empty() || pictures.size() > kMostPictures) {
        return false;
    }
    const CDibImage* first = pictures[0].image;
    if (first == nullptr || first->IsEmpty() || first->width == 0 || first->height == 0 ||
        first->width > kTlsMaxSide || first->height > kTlsMaxSide ||
        (first->bitsPerPixel != 8 && first->bitsPerPixel != 32)) {
        return false;
    }
    for (const TlsPicture& picture : pictures) {
        const CDibImage* image = picture.image;
        if (image == nullptr || image->width != first->width || image->height != first->height ||
            image->bitsPerPixel != first->bitsPerPixel) {
            return false;
        }
    }
    return true;
}

void Append(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t n) {
    out.insert(out.end(), bytes, bytes + n);
}

}  // namespace

std::vector<std::uint8_t> EncodeTlsSequence(std::span<const TlsPicture> pictures) {
    std::vector<std::uint8_t> out;
    if (!CanFormSequence(pictures)) {
        return out;
    }
    const CDibImage& first = *pictures[0].image;
    std::uint8_t header[kTlsHeaderSize] = {'T', 'L', 'S', 'P'};
    StoreLe16(header + 4, static_cast<std::uint16_t>(first.width));
    StoreLe16(header + 6, static_cast<std::uint16_t>(first.height));
    header[8] = first.bitsPerPixel == 8 ? kTlsFormat8 : kTlsFormat32;
    header[9] = static_cast<std::uint8_t>(pictures.size() - 1);
    Append(out, header, sizeof header);
    for (const TlsPicture& picture : pictures) {
        std::uint8_t block[kTlsBlockSize];
        for (std::size_t i = 0; i < picture.block.size(); ++i) {
            StoreLe32(block + 4 * i, picture.block[i]);
        }
        Append(out, block, sizeof block);
        // A CDibImage row is exactly as long as a row of the sequence.
        for (std::uint32_t y = 0; y < first.height; ++y) {
            Append(out, picture.image->Row(y), picture.image->stride);
        }
        if (pictures.size() > 1) {
            std::uint8_t tail[kTlsTailSize];
            StoreLe16(tail, picture.tail[0]);
            StoreLe16(tail + 2, picture.tail[1]);
            Append(out, tail, sizeof tail);
        }
    }
    StoreLe16(out.data() + kTlsCrcOffset, UpdateTlsCrc(0, out));
    return out;
}

bool WriteTlsFile(const std::string& path, std::span<const TlsPicture> pictures) {
    const std::vector<std::uint8_t> bytes = EncodeTlsSequence(pictures);
    if (bytes.empty()) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace kelvandor
