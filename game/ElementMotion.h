#pragma once
// The board's motion: the step of the tick that moves the answers towards their places. It
// runs before anything is drawn and changes only game state (DrawnColumn, DrawnSlot,
// MovingCount); the renderer then draws what it reports.

#include <array>
#include <cstdint>

#include "game/GameState.h"
#include "game/ScreenLayout.h"

namespace kelvandor {

// Where an element with this column and slot stands, relative to the board origin.
struct BoardOffset {
    std::int32_t x, y;
    bool operator==(const BoardOffset&) const = default;
};
inline BoardOffset OffsetOf(std::uint8_t column, std::uint8_t slot, const ScreenLayout& layout) {
    return {column * layout.ColumnStep, slot * layout.RowStep / 2};
}

// What one motion step left on the way: the elements that did not arrive in this tick.
struct BoardMotion {
    struct Step {
        BoardOffset at;  // where the element is drawn now, relative to the board origin
        bool crossing;   // its path leaves its column: it runs over other tiles
    };
    std::uint32_t movingBefore = 0;  // MovingCount when the step began
    std::uint32_t movingMask = 0;    // bit i: element i is still on its way
    // Valid where movingMask has the bit. Left uninitialised by the motion step: a tick
    // with nothing on its way (most of them) should cost next to nothing.
    std::array<Step, kMaxElements> steps;

    bool Moving(std::int32_t i) const { return (movingMask >> i & 1u) != 0; }
};

// Moves every element along its way from (DrawnColumn, DrawnSlot) to (ElementColumn,
// ElementSlot) for the time since its MoveStartTick: short vertical hops at about 0.2 pixels
// per millisecond, everything else at about 1.5 (on a 1080p screen; a larger screen's board
// moves as much faster as it is larger, so that a move takes the same time). An element that
// arrives takes its target as its drawn place. Sets MovingCount to the number still on their
// way and returns where they are. `layout` is read only.
BoardMotion AdvanceElementMotion(GameState& state, const ScreenLayout& layout, std::uint32_t now);

}  // namespace kelvandor
