#include "game/CommandTable.h"

#include <array>

#include "game/KelvandorView.h"

namespace kelvandor {

namespace {

using V = CKelvandorView;
using C = CommandId;

bool AnyLatched(const V& v) {
    return v.State().Latched[0] != 0 || v.State().Latched[1] != 0;
}

// A hex escape swallows every hex digit after it, hence the split literals.
const ViewCommand kCommands[] = {
    {C::AddStarLeft, "Erster Spieler +", [](V& v) { v.AddStar(0); }, nullptr, nullptr},
    {C::AddStarRight, "Zweiter Spieler +", [](V& v) { v.AddStar(1); }, nullptr, nullptr},
    {C::RemoveStarLeft, "Erster Spieler -", [](V& v) { v.RemoveStar(0); }, nullptr, nullptr},
    {C::RemoveStarRight, "Zweiter Spieler -", [](V& v) { v.RemoveStar(1); }, nullptr, nullptr},
    {C::NextPuzzle,
     "Starte n\xE4"
     "chstes R\xE4tsel",
     [](V& v) { v.StartNextPuzzle(); }, [](const V& v) { return v.State().Started == 0; }, nullptr},
    {C::ClearBoard, "Text aufdecken", [](V& v) { v.ClearBoard(); }, AnyLatched, nullptr},
    {C::StopLeft, "Ersten Timer anhalten", [](V& v) { v.JudgePlayer(0); },
     [](const V& v) { return v.State().Started != 0 && v.State().Latched[0] == 0; }, nullptr},
    {C::StopRight, "Zweiten Timer anhalten", [](V& v) { v.JudgePlayer(1); },
     [](const V& v) { return v.State().Started != 0 && v.State().Latched[1] == 0; }, nullptr},
    {C::StopLeftButton, nullptr, [](V& v) { v.JudgePlayer(0); },
     [](const V& v) { return v.State().Started != 0 && !AnyLatched(v); }, nullptr},
    {C::StopRightButton, nullptr, [](V& v) { v.JudgePlayer(1); },
     [](const V& v) { return v.State().Started != 0 && !AnyLatched(v); }, nullptr},
    {C::SwitchPlayer, nullptr, [](V& v) { v.SwitchPlayer(); }, nullptr, nullptr},
    {C::ToggleLeftPlayer, "Spieler 1 (links)", [](V& v) { v.ToggleLeftPlayer(); }, nullptr,
     [](const V& v) { return v.State().ActivePlayer == 0; }},
    {C::ToggleRightPlayer, "Spieler 2 (rechts)", [](V& v) { v.ToggleRightPlayer(); }, nullptr,
     [](const V& v) { return v.State().ActivePlayer == 1; }},
    {C::AutoStars, "Automatische Punkte", [](V& v) { v.ToggleAutoStars(); }, nullptr,
     [](const V& v) { return v.State().AutoStars != 0; }},
    {C::UseFormulas, "Formeln benutzen", [](V& v) { v.ToggleUseFormulas(); }, nullptr,
     [](const V& v) { return v.State().UseFormulas != 0; }},
    {C::JoystickOn, "Joystick Tasten akivieren", [](V& v) { v.ToggleJoystickOn(); }, nullptr,
     [](const V& v) { return v.State().JoystickOn != 0; }},
    {C::SmallStars, "Kleine Sterne", [](V& v) { v.SetStarSize(2); }, nullptr,
     [](const V& v) { return v.State().StarSize == 2; }},
    {C::MediumStars, "Mittlere Sterne", [](V& v) { v.SetStarSize(1); }, nullptr,
     [](const V& v) { return v.State().StarSize == 1; }},
    {C::LargeStars,
     "Gro\xDF"
     "e Sterne",
     [](V& v) { v.SetStarSize(0); }, nullptr, [](const V& v) { return v.State().StarSize == 0; }},
    {C::TwoRowsOfStars, "Zwei Reihen", [](V& v) { v.SetStarSize(3); }, nullptr,
     [](const V& v) { return v.State().StarSize == 3; }},
    {C::SelectComPort, "COM-Port ausw\xE4hlen", [](V& v) { v.OnSelectComPort(); }, nullptr,
     nullptr},
    {C::NextGameNumber,
     "N\xE4"
     "chste Spielnummer",
     [](V& v) { v.OnNextGameNumber(); }, nullptr, nullptr},
    {C::SetPuzzlePath, "R\xE4tselpfad einstellen", [](V& v) { v.OnSetPuzzlePath(); }, nullptr,
     nullptr},
    {C::SetTimeout, "Timeout einstellen", [](V& v) { v.OnSetTimeout(); }, nullptr, nullptr},
};

struct KeyName {
    std::string_view name;
    GameKey key;
    std::optional<CommandId> command;  // nullopt: a key of the frame
};

constexpr KeyName kKeys[] = {
    {"F1", GameKey::F1, C::AddStarLeft},    {"F2", GameKey::F2, C::AddStarRight},
    {"F3", GameKey::F3, C::RemoveStarLeft}, {"F4", GameKey::F4, C::RemoveStarRight},
    {"F5", GameKey::F5, C::NextPuzzle},     {"F6", GameKey::F6, C::ClearBoard},
    {"F7", GameKey::F7, C::StopLeft},       {"F8", GameKey::F8, C::StopRight},
    {"F9", GameKey::F9, C::ClearBoard},     {"F10", GameKey::F10, std::nullopt},
    {"F11", GameKey::F11, C::SwitchPlayer}, {"Ctrl+N", GameKey::CtrlN, C::NextGameNumber},
};

struct ArrowName {
    std::string_view name;
    ArrowKey key;
};

constexpr ArrowName kArrows[] = {
    {"Left", ArrowKey::Left},
    {"Right", ArrowKey::Right},
    {"Up", ArrowKey::Up},
    {"Down", ArrowKey::Down},
};

}  // namespace

std::span<const ViewCommand> ViewCommands() {
    return kCommands;
}

const ViewCommand* FindViewCommand(CommandId id) {
    for (const ViewCommand& command : kCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

std::optional<CommandId> AcceleratorCommand(GameKey key) {
    for (const KeyName& k : kKeys) {
        if (k.key == key) {
            return k.command;
        }
    }
    return std::nullopt;
}

std::optional<GameKey> GameKeyFromName(std::string_view name) {
    for (const KeyName& k : kKeys) {
        if (k.name == name) {
            return k.key;
        }
    }
    return std::nullopt;
}

std::optional<ArrowKey> ArrowKeyFromName(std::string_view name) {
    for (const ArrowName& a : kArrows) {
        if (a.name == name) {
            return a.key;
        }
    }
    return std::nullopt;
}

std::string_view ArrowKeyName(ArrowKey key) {
    for (const ArrowName& a : kArrows) {
        if (a.key == key) {
            return a.name;
        }
    }
    return "?";
}

}  // namespace kelvandor
