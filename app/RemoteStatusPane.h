#pragma once
// A status-bar pane that shows the remote receiver's port and state ("COM1 offen",
// "COM2 geschlossen", the last button for two seconds after a press).

#include <functional>
#include <optional>

#include <QLabel>

#include "remote/RemoteReader.h"

namespace kelvandor {

class CRemoteStatusPane : public QLabel {
    Q_OBJECT

public:
    // `status` is asked twice a second; nullopt (no reader running) shows an empty pane.
    CRemoteStatusPane(std::function<std::optional<RemoteStatus>()> status, QWidget* parent);

    // Reads the status now.
    void Refresh();

private:
    std::function<std::optional<RemoteStatus>()> status_;
};

}  // namespace kelvandor
