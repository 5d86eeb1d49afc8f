// The motion step of the tick: where each answer stands on its way in this tick and which are
// still moving. Nothing here draws.

#include "game/ElementMotion.h"

#include <cstdlib>

namespace kelvandor {

namespace {

// Speeds in pixels per 1024 ms: short vertical hops are slow enough to follow with the eye,
// everything else crosses the board quickly.
constexpr std::uint64_t kShortHopSpeed = 200;
constexpr std::uint64_t kCrossingSpeed = 1500;

}  // namespace

BoardMotion AdvanceElementMotion(GameState& state, const ScreenLayout& layout, std::uint32_t now) {
    BoardMotion motion;
    motion.movingBefore = state.MovingCount;
    // Most ticks nothing is on its way, which one comparison of the whole arrays tells.
    if (state.DrawnColumn == state.ElementColumn && state.DrawnSlot == state.ElementSlot) {
        state.MovingCount = 0;
        return motion;
    }
    std::uint32_t moving = 0;
    for (std::int32_t i = 0; i < state.ElementCount(); ++i) {
        if (state.DrawnColumn[i] == state.ElementColumn[i] &&
            state.DrawnSlot[i] == state.ElementSlot[i]) {
            continue;  // at rest
        }
        const BoardOffset from = OffsetOf(state.DrawnColumn[i], state.DrawnSlot[i], layout);
        const BoardOffset to = OffsetOf(state.ElementColumn[i], state.ElementSlot[i], layout);
        if (from != to) {
            const std::int32_t dx = std::abs(to.x - from.x);
            const std::int32_t dy = std::abs(to.y - from.y);
            const auto distance = static_cast<std::uint64_t>(dx + dy);
            // 64 bits: an element that waited long to be drawn (a minimised window) must not
            // wrap around and jump back to the start of its path.
            const std::uint64_t dt = static_cast<std::uint32_t>(now - state.MoveStartTick[i]);
            const std::uint64_t speed =
                (dx == 0 && dy < 3 * layout.TileHeight) ? kShortHopSpeed : kCrossingSpeed;
            const std::uint64_t travelled =
                (dt * speed * static_cast<std::uint64_t>(layout.Scale.num) /
                 static_cast<std::uint64_t>(layout.Scale.den)) >>
                10;
            if (travelled < distance) {
                const auto f = static_cast<std::int64_t>(travelled * 4096 / distance);
                const auto offsetX = static_cast<std::int32_t>((to.x - from.x) * f / 4096);
                const auto offsetY = static_cast<std::int32_t>((to.y - from.y) * f / 4096);
                BoardMotion::Step& step = motion.steps[static_cast<std::size_t>(i)];
                step.at = {from.x + offsetX, from.y + offsetY};
                step.crossing = offsetX != 0;
                motion.movingMask |= 1u << i;
                ++moving;
                continue;
            }
        }
        state.DrawnColumn[i] = state.ElementColumn[i];
        state.DrawnSlot[i] = state.ElementSlot[i];
    }
    state.MovingCount = moving;
    return motion;
}

}  // namespace kelvandor
