#include "app/MenuResource.h"

#include <algorithm>
#include <array>

#include "app/FrameCommandIds.h"
#include "app/Windows1252.h"
#include "game/CommandIds.h"
#include "game/CommandTable.h"

namespace kelvandor {
namespace {

constexpr std::uint32_t Id(CommandId id) {
    return static_cast<std::uint32_t>(id);
}

constexpr std::uint32_t Id(FrameCommandId id) {
    return static_cast<std::uint32_t>(id);
}

// Commands that the accelerator table maps but nothing handles: clipboard, undo, save and
// two old edit commands. Ctrl+S reaches the document, which ignores it.
constexpr std::uint32_t kCopy = 57634;
constexpr std::uint32_t kCut = 57635;
constexpr std::uint32_t kPaste = 57637;
constexpr std::uint32_t kUndo = 57643;
constexpr std::uint32_t kSave = 57603;
constexpr std::uint32_t kEditD = 32779;
constexpr std::uint32_t kEditF = 32799;

const std::array kCommands = {
    // "&Datei"
    CommandResource{Id(FrameCommandId::Exit), "&Beenden", "", false,
                    "Beendet das Programm.\nBeenden"},
    // The game's commands: menu texts, keys and check marks come from the game's command
    // table; here are their prompts.
    CommandResource{Id(CommandId::AddStarLeft), nullptr, "", false,
                    "Gibt dem ersten Spieler einen Stern mehr.\nErster Spieler +"},
    CommandResource{Id(CommandId::AddStarRight), nullptr, "", false,
                    "Gibt dem zweiten Spieler einen Stern mehr.\nZweiter Spieler +"},
    CommandResource{Id(CommandId::RemoveStarLeft), nullptr, "", false,
                    "Nimmt dem ersten Spieler einen Stern weg.\nErster Spieler -"},
    CommandResource{Id(CommandId::RemoveStarRight), nullptr, "", false,
                    "Nimmt dem zweiten Spieler einen Stern weg.\nZweiter Spieler -"},
    CommandResource{Id(CommandId::NextPuzzle), nullptr, "", false,
                    "Startet das nächste Rätsel.\nStarte Rätsel"},
    CommandResource{Id(CommandId::ClearBoard), nullptr, "", false,
                    "Macht das aktuelle Rätsel voll sichtbar.\nText aufdecken"},
    CommandResource{Id(CommandId::StopLeft), nullptr, "", false,
                    "Stopt den ersten Timer.\nErsten Timer anhalten"},
    CommandResource{Id(CommandId::StopRight), nullptr, "", false,
                    "Stopt den zweiten Timer.\nZweiten Timer anhalten"},
    CommandResource{Id(CommandId::ToggleLeftPlayer), nullptr, "", false,
                    "Aktiviert den linken Spieler als aktiven Spieler.\nSpieler 1"},
    CommandResource{Id(CommandId::ToggleRightPlayer), nullptr, "", false,
                    "Aktiviert den rechten Spieler als aktiven Spieler.\nSpieler 2"},
    CommandResource{Id(CommandId::AutoStars), nullptr, "", false,
                    "Die automatische Punktevergabe aktivieren.\nAutomatische Punkte"},
    CommandResource{Id(CommandId::UseFormulas), nullptr, "", false,
                    "Formeln erzeugen, wenn keine Rätsel mehr vorhanden sind.\nFormeln benutzen"},
    CommandResource{Id(CommandId::JoystickOn), nullptr, "", false,
                    "Die Joystick Tasten der Fernsteuerung aktivieren.\nJoystick Tasten"},
    CommandResource{
        Id(CommandId::SelectComPort), nullptr, "", false,
        "Hier kann man das COM-Port für die Fernsteuerung auswählen\nCOM-Port auswählen"},
    CommandResource{Id(CommandId::NextGameNumber), nullptr, "", false,
                    "Die Nummer des nächsten Spiels einstellen.\nNächste Spielnummer"},
    CommandResource{Id(CommandId::SetPuzzlePath), nullptr, "", false,
                    "Einstellen des Pfades mit den Rätsel und Bildern.\nRätselpfad"},
    CommandResource{Id(CommandId::SetTimeout), nullptr, "", false,
                    "Das Timeout für eine Auswahl einstellen.\nTimeout"},
    CommandResource{Id(CommandId::StopLeftButton), nullptr, "", false,
                    "Stopt den ersten Timer.\nErsten Timer anhalten"},
    CommandResource{Id(CommandId::StopRightButton), nullptr, "", false,
                    "Stopt den zweiten Timer.\nZweiten Timer anhalten"},
    CommandResource{Id(CommandId::SwitchPlayer), nullptr, "", false,
                    "Wechselt den aktiven Spieler.\nSpieler wechseln"},
    // "&Ansicht"
    CommandResource{Id(FrameCommandId::FlatToolbar), "&Flache Symbolleiste", "", true,
                    "DIe Tasten in der ToolBar flach oder erhaben anzeigen\nFlache Symbolleiste"},
    CommandResource{Id(FrameCommandId::StayOnTop), "Fenster fi&xieren", "", true,
                    "Fixiert das Fenster immer im Vordergrind\nFenster fixieren"},
    CommandResource{Id(FrameCommandId::ViewToolbar), "&Symbolleiste", "", true,
                    "Blendet die Symbolleiste ein oder aus.\nSymbolleiste ein/aus"},
    CommandResource{Id(FrameCommandId::ViewStatusBar), "S&tatusleiste", "", true,
                    "Blendet die Statusleiste ein oder aus.\nStatusleiste ein/aus"},
    CommandResource{Id(FrameCommandId::ModeratorWindow), "&Moderatorfenster", "", true,
                    "Zeigt dem Quizmaster Antworten, Spielstand und das nächste Rätsel in einem "
                    "eigenen Fenster.\nModeratorfenster"},
    CommandResource{Id(CommandId::SmallStars), nullptr, "", false,
                    "Zeigt kleine Sterne an.\nKleine Sterne"},
    CommandResource{Id(CommandId::MediumStars), nullptr, "", false,
                    "Zeigt mittlere Sterne an.\nMittlere Sterne"},
    CommandResource{Id(CommandId::LargeStars), nullptr, "", false,
                    "Zeigt große Sterne an.\nGroße Sterne"},
    CommandResource{Id(CommandId::TwoRowsOfStars), nullptr, "", false,
                    "Zeigt kleine Sterne in zwei Reihen an.\nZwei Reihen"},
    CommandResource{Id(FrameCommandId::FullScreen), nullptr, "F10", false,
                    "Schaltet um in den Vollbildmodus.\nVollbild Ansicht"},
    // "&?"
    CommandResource{Id(FrameCommandId::About), "Inf&o über Kelvandor...", "", false,
                    "Zeigt Programminformationen und die Versionsnummer an.\nInfo"},
    CommandResource{Id(FrameCommandId::KeyHelp), "&Tastenbelegung", "", false,
                    "Zeigt die Belegung der Tasten an.\nTastenbelegung"},
    CommandResource{Id(FrameCommandId::FileFormatHelp), "Dateiformat", "", false,
                    "Beschreibt das Format der Rätseldateien.\nDateiformat"},
    // Keys without an effect.
    CommandResource{kCopy, nullptr, "Ctrl+C; Ctrl+Ins", false, nullptr},
    CommandResource{kCut, nullptr, "Ctrl+X; Shift+Del", false, nullptr},
    CommandResource{kPaste, nullptr, "Ctrl+V; Shift+Ins", false, nullptr},
    CommandResource{kUndo, nullptr, "Ctrl+Z; Alt+Backspace", false, nullptr},
    CommandResource{kSave, nullptr, "Ctrl+S", false, nullptr},
    CommandResource{kEditD, nullptr, "Ctrl+D", false, nullptr},
    CommandResource{kEditF, nullptr, "Ctrl+F", false, nullptr},
};

constexpr std::array<std::uint32_t, 1> kFileMenu = {Id(FrameCommandId::Exit)};

constexpr std::array kEditMenu = {
    Id(CommandId::AddStarLeft),
    Id(CommandId::AddStarRight),
    Id(CommandId::RemoveStarLeft),
    Id(CommandId::RemoveStarRight),
    0u,
    Id(CommandId::NextPuzzle),
    Id(CommandId::ClearBoard),
    Id(CommandId::StopLeft),
    Id(CommandId::StopRight),
    0u,
    Id(CommandId::ToggleLeftPlayer),
    Id(CommandId::ToggleRightPlayer),
    0u,
    Id(CommandId::AutoStars),
    Id(CommandId::UseFormulas),
    Id(CommandId::JoystickOn),
    0u,
    Id(CommandId::SelectComPort),
    Id(CommandId::NextGameNumber),
    Id(CommandId::SetPuzzlePath),
    Id(CommandId::SetTimeout),
};

constexpr std::array kViewMenu = {
    Id(FrameCommandId::FlatToolbar),
    Id(FrameCommandId::StayOnTop),
    Id(FrameCommandId::ViewToolbar),
    Id(FrameCommandId::ViewStatusBar),
    Id(FrameCommandId::ModeratorWindow),
    0u,
    Id(CommandId::SmallStars),
    Id(CommandId::MediumStars),
    Id(CommandId::LargeStars),
    Id(CommandId::TwoRowsOfStars),
};

constexpr std::array kHelpMenu = {
    Id(FrameCommandId::About),
    Id(FrameCommandId::KeyHelp),
    Id(FrameCommandId::FileFormatHelp),
};

const std::array kMenuBar = {
    MenuResource{"&Datei", kFileMenu},
    MenuResource{"&Bearbeiten", kEditMenu},
    MenuResource{"&Ansicht", kViewMenu},
    MenuResource{"&?", kHelpMenu},
};

constexpr std::array kToolbar = {
    Id(FrameCommandId::FullScreen),
    Id(FrameCommandId::StayOnTop),
    0u,
    Id(CommandId::StopLeftButton),
    Id(CommandId::StopRightButton),
    Id(CommandId::NextPuzzle),
    Id(CommandId::ClearBoard),
    0u,
    Id(FrameCommandId::About),
};

// F10 is missing: it is the frame's key, listed with the full-screen command above.
constexpr const char* kAcceleratorNames[] = {"F1", "F2", "F3", "F4",  "F5",    "F6",
                                             "F7", "F8", "F9", "F11", "Ctrl+N"};

QString PromptPart(const CommandResource& command, int part) {
    if (command.prompt == nullptr) {
        return {};
    }
    return QString::fromUtf8(command.prompt).section(QLatin1Char('\n'), part, part);
}

}  // namespace

std::span<const CommandResource> CommandResources() {
    return kCommands;
}

const CommandResource* FindCommandResource(std::uint32_t id) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [id](const CommandResource& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

std::span<const MenuResource> MenuBarResource() {
    return kMenuBar;
}

std::span<const std::uint32_t> ToolbarButtons() {
    return kToolbar;
}

QString CommandMenuText(const CommandResource& command) {
    if (command.menuText != nullptr) {
        return QString::fromUtf8(command.menuText);
    }
    const ViewCommand* game = FindViewCommand(static_cast<CommandId>(command.id));
    return game != nullptr && game->menuText != nullptr ? FromWindows1252(game->menuText)
                                                        : QString();
}

bool IsCheckable(const CommandResource& command) {
    const ViewCommand* game = FindViewCommand(static_cast<CommandId>(command.id));
    return command.checkable || (game != nullptr && game->isChecked != nullptr);
}

QList<QKeySequence> CommandKeys(const CommandResource& command) {
    QList<QKeySequence> keys =
        QKeySequence::listFromString(QString::fromLatin1(command.keys), QKeySequence::PortableText);
    keys.removeAll(QKeySequence());
    // The accelerator table's game keys; their names are also Qt's names for them.
    for (const char* name : kAcceleratorNames) {
        const std::optional<GameKey> key = GameKeyFromName(name);
        const std::optional<CommandId> game = key ? AcceleratorCommand(*key) : std::nullopt;
        if (game && static_cast<std::uint32_t>(*game) == command.id) {
            keys << QKeySequence(QString::fromLatin1(name), QKeySequence::PortableText);
        }
    }
    return keys;
}

QString CommandPrompt(const CommandResource& command) {
    return PromptPart(command, 0);
}

QString CommandTooltip(const CommandResource& command) {
    return PromptPart(command, 1);
}

QString IdlePrompt() {
    return QStringLiteral("Bereit");
}

}  // namespace kelvandor
