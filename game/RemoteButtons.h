#pragma once
// What each button of the remote control does: the one table that maps a button code to its
// action. The view runs it (CKelvandorView::OnRemoteButton) for presses from the Qt shell,
// from `replay` and from the tests alike; `remote-monitor` prints through it.

#include <cstdint>

#include "game/CommandIds.h"

namespace kelvandor {

struct RemoteAction {
    enum class Kind : std::uint8_t {
        None,     // the button does nothing
        Judge,    // the stop button of player `value` (0 left, 1 right), no enable rule
        Command,  // the command `value` (a CommandId), through its enable rule
        Key,      // the arrow key `value` (an ArrowKey)
    };
    Kind kind = Kind::None;
    std::uint32_t value = 0;

    friend bool operator==(const RemoteAction&, const RemoteAction&) = default;
};

// The action of a pressed button with code 0..15 (any other code does nothing). Code 13 is
// the right player's stop button only while the joystick switch is on.
constexpr RemoteAction RemoteButtonAction(std::uint32_t code, bool joystickOn) {
    using K = RemoteAction::Kind;
    auto command = [](CommandId id) { return RemoteAction{K::Command, static_cast<std::uint32_t>(id)}; };
    auto key = [](ArrowKey k) { return RemoteAction{K::Key, static_cast<std::uint32_t>(k)}; };
    switch (code) {
        case 0: return {K::Judge, 0};
        case 1: return {K::Judge, 1};
        case 2: return command(CommandId::NextPuzzle);
        case 3: return command(CommandId::ClearBoard);
        case 4: return command(CommandId::RemoveStarLeft);
        case 5: return command(CommandId::AddStarLeft);
        case 6: return command(CommandId::RemoveStarRight);
        case 7: return command(CommandId::AddStarRight);
        case 8: return key(ArrowKey::Up);
        case 9: return key(ArrowKey::Down);
        case 10: return key(ArrowKey::Left);
        case 11:
        case 12: return key(ArrowKey::Right);
        case 13: return joystickOn ? RemoteAction{K::Judge, 1} : RemoteAction{};
        default: return {};
    }
}

}  // namespace kelvandor
