#pragma once
// The commands of the game view in one table: handler, enable rule and check rule per command
// id, with the German menu text. The Qt shell builds its menus, toolbar and accelerators from
// it; the view runs every command through it, so that a disabled command does nothing however
// it arrives (menu, key, toolbar, remote control or posted message).

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "game/CommandIds.h"

namespace kelvandor {

class CKelvandorView;

struct ViewCommand {
    CommandId id;
    const char* menuText;  // Windows-1252, without the key name; nullptr: no menu item
    void (*execute)(CKelvandorView& view);
    bool (*isEnabled)(const CKelvandorView& view);  // nullptr: always enabled
    bool (*isChecked)(const CKelvandorView& view);  // nullptr: never shows a check mark
};

// Every command that the game view handles, in menu order.
std::span<const ViewCommand> ViewCommands();

// The table entry of `id`, or nullptr when the view does not handle that command.
const ViewCommand* FindViewCommand(CommandId id);

// The function keys of the accelerator table and Ctrl+N. All but F10 issue game commands;
// F10 issues the frame's full-screen command, which the view does not handle.
enum class GameKey : std::uint8_t { F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, CtrlN };

// The game command an accelerator key issues; nullopt for F10.
std::optional<CommandId> AcceleratorCommand(GameKey key);

// Parses "F1" ... "F11" and "Ctrl+N" (exact spelling); nullopt for anything else.
std::optional<GameKey> GameKeyFromName(std::string_view name);

// The arrow key with this name ("Left", "Right", "Up", "Down"), or nullopt.
std::optional<ArrowKey> ArrowKeyFromName(std::string_view name);

// The name of an arrow key, as ArrowKeyFromName reads it.
std::string_view ArrowKeyName(ArrowKey key);

}  // namespace kelvandor
