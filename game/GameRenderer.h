#pragma once
// CGameRenderer: draws the game screen into the host's 24-bit back buffer and owns the
// screen's own state: the pictures it is composed of, the layout numbers, the star cell
// cache, the panel colours last drawn and the dirty flags. It reads the game state through a
// const reference and never changes it; the view tells it what changed on the board
// (MarkDirty and friends) and calls RepaintTick once per tick, after the motion step.

#include <array>
#include <cstdint>

#include "game/ElementMotion.h"
#include "game/GameState.h"
#include "game/ScreenImages.h"
#include "game/TextFit.h"
#include "game/ViewHost.h"

namespace kelvandor {

// DirtyMask: bit i = element i, bit 31 = the whole play area.
inline constexpr std::uint32_t kAllDirty = 0xFFFFFFFFu;
inline constexpr std::uint32_t kFullRedrawBit = 0x80000000u;

// The screen's state besides its pictures: the layout and what must be drawn again.
struct ScreenState : ScreenLayout {
    std::uint32_t DirtyMask = 0;
    std::uint32_t QuestionDirty = 0;
    std::uint32_t BevelDirty = 0;
    std::uint32_t ShownCountdownDigit = 0;  // the CountdownDigit value last drawn
    std::array<std::uint8_t, 2> LastPanelColour{};
    // Per player and star cell: 1 drawn with a star, 0 empty, 0xFF not drawn yet.
    std::array<std::array<std::uint8_t, 32>, 2> StarCellCache{};
    // Where each element stands on the back buffer (relative to the board origin) since it
    // was last drawn, for the elements whose bit is set in ShownMask: a partial redraw
    // clears what an element left there before drawing it at its next place.
    std::array<BoardOffset, kMaxElements> ShownAt{};
    std::uint32_t ShownMask = 0;
};

class CGameRenderer {
public:
    // `host` gives the back buffer and takes the invalidated areas; `state` is the game state
    // drawn. Both must outlive the renderer.
    CGameRenderer(IViewHost& host, const GameState& state);
    CGameRenderer(const CGameRenderer&) = delete;
    CGameRenderer& operator=(const CGameRenderer&) = delete;

    // --- Pictures made ahead of the ticks (RenderTiles.cpp) ---
    // Loads the star images and makes the ten countdown digits from the digit strip; a
    // missing picture leaves its image empty, which draws nothing.
    void LoadScreenImages();
    // The current star becomes the star that StarSize `size` shows, at the screen's scale.
    void UseStarImage(std::uint32_t size);
    // The picture of answer `element` scaled to exactly width x height (both positive), with
    // area averaging (alpha-aware where the picture has varying alpha), into `out`: 32 bits
    // with the picture's alpha when it has some, else an opaque picture. Returns false and
    // leaves `out` empty when the answer has no picture or it cannot be scaled. Every answer
    // picture on the board is made here.
    bool AnswerPicture(std::size_t element, std::uint32_t width, std::uint32_t height,
                       CDibImage& out) const;
    // Renders the four state tiles (kept when their size did not change) and the element
    // images of the current puzzle for the current tile size, and marks the whole board and
    // the question for redrawing.
    void RenderTiles();
    // As RenderTiles, but makes the state tiles anew too, as a change of the tile size does.
    void RenderAllTiles();

    // --- Layout and what must be drawn again ---
    // The view took the size cx x cy (both positive): the display and its back buffer follow,
    // the buffer is cleared, everything is drawn again and the layout is recomputed (with the
    // tiles when their size changed).
    void Resize(std::int32_t cx, std::int32_t cy);
    // Recomputes the board geometry from the view size, the element count and the star panel
    // width (ScreenLayout.h). Returns true when the tile size, the play area or the screen's
    // scale changed; the tiles are then out of date and the caller renders them.
    bool ComputeLayout();
    // The star geometry changed: every star cell and both bevels are drawn again.
    void StarGeometryChanged();
    // Elements (bit i) or the whole play area (kFullRedrawBit) must be drawn again.
    void MarkDirty(std::uint32_t bits) { screen_.DirtyMask |= bits; }
    void MarkQuestionDirty() { screen_.QuestionDirty = 1; }

    // --- Drawing (Repaint.cpp) ---
    // Brings the back buffer up to date with the game state after the tick's motion step
    // and names what changed to the host: star cells whose star or panel colour changed, the
    // bevels, the question band, and the board's dirty elements at the places `motion` gives.
    void RepaintTick(const BoardMotion& motion);

    const ScreenState& Screen() const { return screen_; }
    const ScreenImages& Images() const { return images_; }

private:
    struct ElementRepaint;
    ElementRepaint PlanElements(const BoardMotion& motion);
    void RepaintStarPanel(CDibImage& back, std::size_t player);
    void RepaintBevels(CDibImage& back);
    void RepaintQuestionBand(CDibImage& back);
    void RepaintElements(CDibImage& back, const BoardMotion& motion);
    void RedrawPlayArea(CDibImage& back, const ElementRepaint& r);
    void RedrawElementFrames(CDibImage& back, const ElementRepaint& r);
    void DrawSolutionTexts(CDibImage& back);
    void ClearPlayArea(CDibImage& back, const ElementRepaint& r);
    void ForgetStarCells();
    // Scales the star and the countdown digits to the screen's scale.
    void ScaleScreenImages();
    void RenderElementImage(std::int32_t index, const AnswerRoom& room, const FittedTexts& texts);

    IViewHost& host_;
    const GameState& state_;
    ScreenState screen_;
    ScreenImages images_;
    std::uint32_t starSize_ = 0;  // the StarSize whose star CurrentStar shows
};

}  // namespace kelvandor
