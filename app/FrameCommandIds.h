#pragma once
// Command identifiers of the main frame and the application, the numbers of the menu
// resource. The frame serves them itself; every other id is a game command (game/CommandIds.h)
// that the frame hands to the view.

#include <cstdint>

namespace kelvandor {

enum class FrameCommandId : std::uint32_t {
    // Main frame.
    FullScreen = 32802,     // F10
    StayOnTop = 32771,      // "Fenster fi&xieren"
    FlatToolbar = 32772,    // "&Flache Symbolleiste"
    ViewToolbar = 59392,    // "&Symbolleiste"
    ViewStatusBar = 59393,  // "S&tatusleiste"
    Exit = 57665,           // "&Beenden"
    // The quiz master's window, "&Moderatorfenster"; our own number, clear of the ranges
    // the game and the frame use.
    ModeratorWindow = 34100,

    // Application.
    About = 57664,           // "Inf&o über Kelvandor..."
    KeyHelp = 33042,         // "&Tastenbelegung"
    FileFormatHelp = 33052,  // "Dateiformat"
};

}  // namespace kelvandor
