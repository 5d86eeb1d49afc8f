#pragma once
// The program's menu, accelerator and string resources: the status-bar prompts of every
// command, the frame's own menu texts and keys, and the layout of the menu bar and of the
// toolbar. The game's commands bring their menu texts, keys and check rules from the game's
// command table. The main frame builds its actions, menus and toolbar from both.

#include <cstdint>
#include <span>

#include <QKeySequence>
#include <QList>
#include <QString>

namespace kelvandor {

// The fixed texts of one command.
struct CommandResource {
    std::uint32_t id;
    const char* menuText;  // UTF-8 with "&" mnemonics; nullptr: none, or the game's own text
    const char* keys;      // Qt portable key text, "; " between keys, besides the game's keys
    bool checkable;        // a frame command that shows a check mark (the game's have rules)
    const char* prompt;    // UTF-8 "status-bar prompt\ntooltip"; nullptr for none
};

// One drop-down of the menu bar: its title and item ids in order, 0 for a separator.
struct MenuResource {
    const char* title;
    std::span<const std::uint32_t> items;
};

// Every command that has a menu item, a key, a toolbar button or a prompt, including the
// accelerators that do nothing (they are kept so that those keys reach nothing else).
std::span<const CommandResource> CommandResources();

// The command's resource, or nullptr when the id is unknown.
const CommandResource* FindCommandResource(std::uint32_t id);

// The menu bar, left to right.
std::span<const MenuResource> MenuBarResource();

// The toolbar's buttons, left to right, 0 for a separator.
std::span<const std::uint32_t> ToolbarButtons();

// The menu text: the frame's own, or the one of the game's command table; empty for commands
// without a menu item.
QString CommandMenuText(const CommandResource& command);

// Whether the command's item can show a check mark.
bool IsCheckable(const CommandResource& command);

// The keys of a command: the frame's own and those of the game's accelerator table.
QList<QKeySequence> CommandKeys(const CommandResource& command);

// The status-bar prompt (the text before the line break) and the tooltip (after it).
QString CommandPrompt(const CommandResource& command);
QString CommandTooltip(const CommandResource& command);

// Shown in the status bar's message pane while no prompt is shown.
QString IdlePrompt();

}  // namespace kelvandor
