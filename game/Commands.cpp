// Command dispatch, the arrow keys, the player and option commands and the dialog commands.

#include <string>

#include "game/CommandTable.h"
#include "game/KelvandorView.h"
#include "game/RemoteButtons.h"
#include "puzzles/LoadPuzzle.h"
#include "settings/DialogInput.h"
#include "settings/GameSettings.h"

namespace kelvandor {

bool CKelvandorView::OnCommand(CommandId id) {
    const ViewCommand* command = FindViewCommand(id);
    if (command == nullptr) {
        return false;
    }
    if (command->isEnabled != nullptr && !command->isEnabled(*this)) {
        return false;
    }
    command->execute(*this);
    return true;
}

bool CKelvandorView::IsCommandEnabled(CommandId id) const {
    const ViewCommand* command = FindViewCommand(id);
    return command != nullptr && (command->isEnabled == nullptr || command->isEnabled(*this));
}

bool CKelvandorView::IsCommandChecked(CommandId id) const {
    const ViewCommand* command = FindViewCommand(id);
    return command != nullptr && command->isChecked != nullptr && command->isChecked(*this);
}

void CKelvandorView::OnKeyDown(std::uint32_t virtualKey) {
    switch (static_cast<ArrowKey>(virtualKey)) {
        case ArrowKey::Left:
            QueueMove(kMoveLeft);
            break;
        case ArrowKey::Right:
            QueueMove(kMoveRight);
            break;
        case ArrowKey::Up:
            QueueMove(kMoveUp);
            break;
        case ArrowKey::Down:
            QueueMove(kMoveDown);
            break;
        default:
            break;  // every other key is ignored
    }
}

void CKelvandorView::OnRemoteButton(std::uint32_t code) {
    const RemoteAction action = RemoteButtonAction(code, state_.JoystickOn != 0);
    switch (action.kind) {
        case RemoteAction::Kind::Judge:
            JudgePlayer(action.value);
            break;
        case RemoteAction::Kind::Command:
            OnCommand(static_cast<CommandId>(action.value));
            break;
        case RemoteAction::Kind::Key:
            OnKeyDown(action.value);
            break;
        case RemoteAction::Kind::None:
            break;
    }
}

void CKelvandorView::SwitchPlayer() {
    state_.ActivePlayer = state_.ActivePlayer == 0 ? 1 : 0;
    state_.PanelColour[0] =
        (state_.Started != 0 && state_.ActivePlayer == 0) ? kPanelLeftActive : kPanelIdle;
    state_.PanelColour[1] =
        (state_.Started != 0 && state_.ActivePlayer == 1) ? kPanelRightActive : kPanelIdle;
}

void CKelvandorView::ToggleLeftPlayer() {
    state_.ActivePlayer = state_.ActivePlayer == 0 ? kNobody : 0;
}

void CKelvandorView::ToggleRightPlayer() {
    state_.ActivePlayer = state_.ActivePlayer == 1 ? kNobody : 1;
    state_.PanelColour[0] = kPanelIdle;
    state_.PanelColour[1] =
        (state_.Started != 0 && state_.ActivePlayer == 1) ? kPanelRightActive : kPanelIdle;
}

void CKelvandorView::SetStarSize(std::uint32_t size) {
    state_.StarSize = size;
    ApplyStarSize(size);
    renderer_.StarGeometryChanged();
    if (renderer_.ComputeLayout()) {
        renderer_.RenderTiles();
    }
    renderer_.MarkQuestionDirty();
    host_.RedrawAll();
}

void CKelvandorView::ToggleAutoStars() {
    state_.AutoStars = state_.AutoStars == 0 ? 1 : 0;
}

void CKelvandorView::ToggleUseFormulas() {
    state_.UseFormulas = state_.UseFormulas == 0 ? 1 : 0;
}

void CKelvandorView::ToggleJoystickOn() {
    state_.JoystickOn = state_.JoystickOn == 0 ? 1 : 0;
}

void CKelvandorView::OnNextGameNumber() {
    const std::optional<std::string> text = host_.NumberInputBox(
        "N\xE4"
        "chstes Spiel",
        "Bitte hier die Spielnummer eingeben :", state_.GameNumber + 1);
    if (!text) {
        return;
    }
    // The box shows the number of the directory to try next; GameNumber is the one before.
    const std::int64_t v = static_cast<std::int64_t>(ParseNumberBoxText(*text)) - 1;
    if (v >= 0 && v < 1000 && v != state_.GameNumber) {
        state_.GameNumber = static_cast<std::int32_t>(v);
    }
}

void CKelvandorView::OnSetPuzzlePath() {
    const std::string& initial =
        state_.PreviousPuzzlePath.empty() ? state_.PuzzlePath : state_.PreviousPuzzlePath;
    const std::optional<std::string> folder = host_.FolderPicker("Pfad mit Texten", initial);
    if (!folder) {
        return;
    }
    state_.PreviousPuzzlePath.clear();
    state_.PuzzlePath = *folder;
    TrimPathSeparator(state_.PuzzlePath);
}

void CKelvandorView::OnSelectComPort() {
    const auto shown = static_cast<std::int32_t>(state_.ComPort.load() + 1);
    const std::optional<std::string> text = host_.TextInputBox(
        "COM-Port", "Bitte hier das COM-Port angeben :", "COM" + std::to_string(shown));
    if (!text) {
        return;
    }
    state_.ComPort.store(ComPortFromText(*text));
}

void CKelvandorView::OnSetTimeout() {
    const std::optional<std::string> text = host_.NumberInputBox(
        "Timeout einstellen", "Nach wievilen Sekunden soll eines Auswahl abgebrochen werden :",
        static_cast<std::int32_t>(state_.Timeout));
    if (!text) {
        return;
    }
    state_.Timeout = TimeoutFromEntry(ParseNumberBoxText(*text), state_.Timeout);
}

}  // namespace kelvandor
