#pragma once
// The pictures the game screen is composed of, all owned by the renderer: the four state
// tiles and the twelve element images (rendered again for every layout change and every new
// puzzle), the star images and the ten countdown digits (loaded once when the view window is
// created).

#include <array>
#include <cstddef>
#include <cstdint>

#include "game/ScreenLayout.h"
#include "game/TileSprite.h"
#include "image/DibImage.h"
#include "puzzles/PuzzleContent.h"

namespace kelvandor {

// Bitmap resources of the program.
inline constexpr std::uint32_t kLargeStarBitmap = 149;   // 100 x 95, 32-bit with alpha
inline constexpr std::uint32_t kMediumStarBitmap = 150;  // 75 x 71
inline constexpr std::uint32_t kSmallStarBitmap = 151;   // 50 x 47
inline constexpr std::uint32_t kDigitStripBitmap = 152;  // 16 glyphs: 0-9 + - k m . :

struct ScreenImages {
    // One tile per ElementState code, TileWidth x TileHeight, 32-bit with alpha, and the
    // screen scale their border and corners were drawn for.
    std::array<CDibImage, 4> StateTiles;
    ScreenScale StateTileScale;
    // Answer text and picture of element i, TileWidth x TileHeight, 32-bit, transparent
    // elsewhere.
    std::array<CDibImage, kMaxElements> ElementImages;
    // Element i's state tile and image composed for the 24-bit back buffer, and the state
    // code + 1 it was composed for (0: not composed since the tiles were last rendered).
    std::array<CTileSprite, kMaxElements> Sprites;
    std::array<std::uint8_t, kMaxElements> SpriteStates{};
    // Large, medium and small star (bitmaps 149, 150, 151); empty when a bitmap is missing.
    std::array<CDibImage, 3> Stars;
    // The star for the current StarSize at the screen's scale.
    CDibImage CurrentStar;
    // Digits 0 to 9 as cut from the digit strip (40 x 56), 24-bit, white glyph on black, and
    // the same at the screen's scale, as drawn.
    std::array<CDibImage, 10> DigitSources;
    std::array<CDibImage, 10> Digits;

    // Element i's state tile with its image over it, composed again only when the element
    // changed its state (0..3) since it was last composed.
    const CTileSprite& SpriteOf(std::size_t i, std::uint8_t state) {
        if (SpriteStates[i] != state + 1) {
            Sprites[i].Compose(StateTiles[state], ElementImages[i]);
            SpriteStates[i] = static_cast<std::uint8_t>(state + 1);
        }
        return Sprites[i];
    }
};

}  // namespace kelvandor
