#include "game/ViewHost.h"

#include "remote/RemoteButtons.h"

namespace kelvandor {

void PostRemoteButton(IViewHost& host, std::uint32_t code, bool joystickOn) {
    const RemoteAction action = RemoteButtonAction(code, joystickOn);
    switch (action.kind) {
        case RemoteAction::Kind::Judge:
            host.PostJudge(action.value);
            break;
        case RemoteAction::Kind::Command:
            host.PostCommand(static_cast<CommandId>(action.value));
            break;
        case RemoteAction::Kind::Key:
            host.PostKey(static_cast<ArrowKey>(action.value));
            break;
        case RemoteAction::Kind::None:
            break;
    }
}

}  // namespace kelvandor
