#include "image/ForeignFormats.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/LittleEndian.h"

namespace kelvandor {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// An XML text whose first element, or its document type, is an SVG drawing.
bool IsSvg(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] != '<') {
        return false;
    }
    return Contains(text, "<svg") || Contains(text, "<!DOCTYPE svg");
}

// ISO base media files (HEIF, AVIF) start with a file-type box: its major brand and the
// compatible brands after it say what the file holds.
ForeignFormat FromFileTypeBox(std::string_view text) {
    if (text.size() < 16 || text.substr(4, 4) != "ftyp") {
        return ForeignFormat::None;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t boxEnd = std::min<std::size_t>(Be32(bytes), text.size());
    std::string_view brands = text.substr(8, 4);
    if (boxEnd > 16) {
        brands = text.substr(8, boxEnd - 8);
    }
    const auto hasBrand = [&](std::string_view brand) {
        // Brands are 4-byte fields: the major brand, a version, then the compatible ones.
        for (std::size_t at = 0; at + 4 <= brands.size(); at += 4) {
            if (at != 4 && brands.substr(at, 4) == brand) {
                return true;
            }
        }
        return false;
    };
    if (hasBrand("avif") || hasBrand("avis")) {
        return ForeignFormat::Avif;
    }
    for (const std::string_view brand :
         {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1"}) {
        if (hasBrand(brand)) {
            return ForeignFormat::Heif;
        }
    }
    return ForeignFormat::None;
}

}  // namespace

ForeignFormat RecogniseForeignFormat(const std::uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0) {
        return ForeignFormat::None;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes),
                                std::min(length, kForeignHeaderLength));
    if (text.starts_with(std::string_view("\0\0\0\x0CjP  \r\n\x87\n", 12)) ||
        text.starts_with("\xFF\x4F\xFF\x51")) {
        return ForeignFormat::Jpeg2000;
    }
    if (text.starts_with("%PDF-")) {
        return ForeignFormat::Pdf;
    }
    if (const ForeignFormat iso = FromFileTypeBox(text); iso != ForeignFormat::None) {
        return iso;
    }
    return IsSvg(text) ? ForeignFormat::Svg : ForeignFormat::None;
}

}  // namespace kelvandor
