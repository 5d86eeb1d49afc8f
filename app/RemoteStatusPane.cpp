#include "app/RemoteStatusPane.h"

#include <QTimer>

#include "app/Windows1252.h"

namespace kelvandor {

CRemoteStatusPane::CRemoteStatusPane(std::function<std::optional<RemoteStatus>()> status,
                                     QWidget* parent)
    : QLabel(parent), status_(std::move(status)) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CRemoteStatusPane::Refresh);
    timer->start(500);
    Refresh();
}

void CRemoteStatusPane::Refresh() {
    const std::optional<RemoteStatus> status = status_ ? status_() : std::nullopt;
    const QString text =
        status ? FromWindows1252(RemoteStatusText(*status, SteadyTickCount())) : QString();
    if (text != this->text()) {
        setText(text);
        setToolTip(status && !status->open ? FromWindows1252(status->error) : QString());
    }
}

}  // namespace kelvandor
