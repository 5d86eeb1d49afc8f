#pragma once
// Command identifiers of the game view. They are the numbers of the menu resource: menus, the
// toolbar, accelerators and the remote control all issue the same commands. The frame's own
// commands (full screen, bars, help, exit) are the shell's (app/FrameCommandIds.h).

#include <cstdint>

namespace kelvandor {

enum class CommandId : std::uint32_t {
    AddStarLeft = 33034,        // "Erster Spieler +", F1
    AddStarRight = 33035,       // "Zweiter Spieler +", F2
    RemoveStarLeft = 33036,     // "Erster Spieler -", F3
    RemoveStarRight = 33037,    // "Zweiter Spieler -", F4
    NextPuzzle = 32809,         // "Starte nächstes Rätsel", F5
    ClearBoard = 32813,         // "Text aufdecken", F6 and F9
    StopLeft = 32810,           // "Ersten Timer anhalten", F7
    StopRight = 32811,          // "Zweiten Timer anhalten", F8
    StopLeftButton = 33049,     // toolbar: stop left timer
    StopRightButton = 33050,    // toolbar: stop right timer
    SwitchPlayer = 33056,       // F11
    ToggleLeftPlayer = 33054,   // "Spieler 1 (links)"
    ToggleRightPlayer = 33055,  // "Spieler 2 (rechts)"
    AutoStars = 33053,          // "Automatische Punkte"
    UseFormulas = 33059,        // "Formeln benutzen"
    JoystickOn = 33058,         // "Joystick Tasten akivieren"
    SmallStars = 32815,         // "Kleine Sterne"
    MediumStars = 32816,        // "Mittlere Sterne"
    LargeStars = 32817,         // "Große Sterne"
    TwoRowsOfStars = 33051,     // "Zwei Reihen"
    SelectComPort = 32818,      // "COM-Port auswählen"
    NextGameNumber = 33039,     // "Nächste Spielnummer", Ctrl+N
    SetPuzzlePath = 33038,      // "Rätselpfad einstellen"
    SetTimeout = 33057,         // "Timeout einstellen"
};

// Virtual-key codes of the arrow keys, as the remote and the key handler pass them.
enum class ArrowKey : std::uint32_t {
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
};

}  // namespace kelvandor
