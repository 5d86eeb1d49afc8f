#pragma once
// What the main frame needs of the game view's commands: their enable and check rules and a
// way to run them. The frame serves its own commands (zoom, bars, help, exit) itself and
// hands every other id to this interface.

#include <cstdint>

namespace kelvandor {

class IGameCommands {
public:
    virtual ~IGameCommands() = default;

    // True when the id is one of the game view's commands.
    virtual bool HandlesCommand(std::uint32_t id) const = 0;
    // The command's enable rule; commands without one are enabled.
    virtual bool IsCommandEnabled(std::uint32_t id) = 0;
    // The command's check rule; commands without one are unchecked.
    virtual bool IsCommandChecked(std::uint32_t id) = 0;
    // Runs the command if its enable rule lets it through at this moment; else nothing.
    virtual void RunCommand(std::uint32_t id) = 0;
    // Tells the view the frame's zoom mode (0 normal, 1 zoomed from a normal window, 2
    // zoomed from a maximised one) after every change.
    virtual void SetZoomMode(int mode) = 0;
};

}  // namespace kelvandor
