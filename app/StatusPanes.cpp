#include "app/StatusPanes.h"

#include <QFile>
#include <QPointer>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/ViewWindow.h"
#include "app/Windows1252.h"
#include "base/SteadyTick.h"
#include "game/KelvandorView.h"

namespace kelvandor {
namespace {

constexpr int kRefreshMs = 500;

}  // namespace

CPolledPane::CPolledPane(std::function<Content()> content, QWidget* parent)
    : QLabel(parent), content_(std::move(content)) {
    setTextFormat(Qt::PlainText);  // a folder name may contain "<"
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CPolledPane::Refresh);
    timer->start(kRefreshMs);
    Refresh();
}

void CPolledPane::Refresh() {
    const Content content = content_ ? content_() : Content{};
    if (content.text != text()) {
        setText(content.text);
    }
    if (content.toolTip != toolTip()) {
        setToolTip(content.toolTip);
    }
}

QString PuzzlePaneText(const QString& root, int nextNumber, int maxPathChars) {
    if (root.isEmpty()) {
        return QStringLiteral("Rätsel: kein Pfad");
    }
    QString path = root;
    if (path.size() > maxPathChars) {
        const int keep = (maxPathChars - 1) / 2;
        path = path.left(keep) + QChar(0x2026) + path.right(maxPathChars - 1 - keep);
    }
    // The folder names have at least three digits, as on disk.
    return QStringLiteral("Rätsel: %1 – weiter ab Game%2")
        .arg(path)
        .arg(nextNumber, 3, 10, QLatin1Char('0'));
}

void AddShowPanes(CMainFrame& frame, CViewWindow& view) {
    const QPointer<CViewWindow> window = &view;
    auto* puzzle = new CPolledPane(
        [window]() -> CPolledPane::Content {
            if (!window) {
                return {};
            }
            const GameState& state = window->View().State();
            const QString root = QFile::decodeName(state.PuzzlePath.c_str());
            // F5 tries the folder after the last one played first.
            return {PuzzlePaneText(root, state.GameNumber + 1), root};
        },
        &frame);
    puzzle->setObjectName(QStringLiteral("PuzzlePane"));

    auto remoteStatus = [window]() -> std::optional<RemoteStatus> {
        return window ? window->RemoteReaderStatus() : std::nullopt;
    };
    auto* remote = new CPolledPane(
        [remoteStatus]() -> CPolledPane::Content {
            const std::optional<RemoteStatus> status = remoteStatus();
            if (!status) {
                return {};
            }
            return {FromWindows1252(RemoteStatusText(*status, SteadyTickCount())),
                    status->open ? QString() : FromWindows1252(status->error)};
        },
        &frame);
    remote->setObjectName(QStringLiteral("RemotePane"));

    auto* receiver = new CPolledPane(
        [remoteStatus]() -> CPolledPane::Content {
            const std::optional<RemoteStatus> status = remoteStatus();
            if (!status) {
                return {};
            }
            return {FromWindows1252(ReceiverStatusText(*status, SteadyTickCount())),
                    QStringLiteral("Wann zuletzt ein Signal des Empfängers ankam")};
        },
        &frame);
    receiver->setObjectName(QStringLiteral("ReceiverPane"));

    // Left to right after the message pane: puzzle, remote port, receiver.
    frame.AddStatusPane(receiver);
    frame.AddStatusPane(remote);
    frame.AddStatusPane(puzzle);
}

}  // namespace kelvandor
