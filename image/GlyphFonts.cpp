#include "image/GlyphFonts.h"

#include <array>
#include <cstddef>

#include "resources/ResourceTable.h"

namespace kelvandor {

namespace {

const std::uint8_t* FindFont(const char* name) {
    const auto bytes = FindResource(ResourceId::Name("GLYPHFONT"), ResourceId::Name(name));
    return bytes.empty() ? nullptr : bytes.data();
}

constexpr std::size_t kFontCount = std::size(kGlyphFontCellHeights);

// The fonts in the order of kGlyphFontCellHeights.
const std::array<const std::uint8_t*, kFontCount>& AllFonts() {
    static const std::array<const std::uint8_t*, kFontCount> fonts = {
        FindFont("FONTTINY"), FindFont("FONTSMALL"), FindFont("FONT32"), FindFont("FONTMEDIUM"),
        FindFont("FONT48"),   FindFont("FONTLARGE"), FindFont("FONT72"), FindFont("FONT110"),
    };
    return fonts;
}

}  // namespace

const std::uint8_t* FontLarge() {
    return AllFonts()[5];
}

const std::uint8_t* FontMedium() {
    return AllFonts()[3];
}

const std::uint8_t* FontSmall() {
    return AllFonts()[1];
}

const std::uint8_t* FontTiny() {
    return AllFonts()[0];
}

const std::uint8_t* FontForCellHeight(std::int32_t cellHeight) {
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < kFontCount; ++i) {
        if (kGlyphFontCellHeights[i] <= cellHeight) {
            chosen = i;
        }
    }
    return AllFonts()[chosen];
}

std::int32_t CellHeightOf(const std::uint8_t* font) {
    if (font == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < kFontCount; ++i) {
        if (AllFonts()[i] == font) {
            return kGlyphFontCellHeights[i];
        }
    }
    return 0;
}

}  // namespace kelvandor
