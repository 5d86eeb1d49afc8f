#include "image/GlyphFonts.h"

#include "resources/ResourceTable.h"

namespace kelvandor {

namespace {

const std::uint8_t* FindFont(const char* name) {
    const auto bytes = FindResource(ResourceId::Name("GLYPHFONT"), ResourceId::Name(name));
    return bytes.empty() ? nullptr : bytes.data();
}

}  // namespace

const std::uint8_t* FontLarge() {
    static const std::uint8_t* const font = FindFont("FONTLARGE");
    return font;
}

const std::uint8_t* FontMedium() {
    static const std::uint8_t* const font = FindFont("FONTMEDIUM");
    return font;
}

const std::uint8_t* FontSmall() {
    static const std::uint8_t* const font = FindFont("FONTSMALL");
    return font;
}

const std::uint8_t* FontTiny() {
    static const std::uint8_t* const font = FindFont("FONTTINY");
    return font;
}

}  // namespace kelvandor
