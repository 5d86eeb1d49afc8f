#include "app/ControlServer.h"

#include <sys/stat.h>

#include <string_view>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include "control/ControlSocket.h"

namespace kelvandor {
namespace {

// The largest request frame: its length word, three words and the most data.
constexpr qint64 kMaxFrameBytes = 4 + 12 + static_cast<qint64>(kMaxControlData);
// Replies a client has not read yet; a client that sends on without reading is cut off
// before they pile up.
constexpr qint64 kMaxUnreadReplyBytes = 4 * kMaxFrameBytes;

const char* const kClosingProperty = "kelvandorClosing";

void SendReply(QLocalSocket* socket, const ControlReply& reply) {
    const std::string frame = EncodeControlReply(reply);
    socket->write(frame.data(), static_cast<qint64>(frame.size()));
    socket->flush();
}

}  // namespace

CControlServer::CControlServer(IControlTarget& target, QObject* parent)
    : QObject(parent), handler_(target), server_(new QLocalServer(this)) {
    server_->setMaxPendingConnections(kMaxConnections);
    connect(server_, &QLocalServer::newConnection, this, &CControlServer::OnNewConnection);
}

CControlServer::~CControlServer() {
    // Closing removes the socket file; the claim goes after it.
    server_->close();
}

bool CControlServer::Listen(const std::string& path) {
    CControlSocketClaim::Outcome outcome{};
    std::string error;
    claim_ = CControlSocketClaim::Claim(path, &outcome, &error);
    if (!claim_) {
        error_ = QString::fromStdString(error);
        return false;
    }
    if (!server_->listen(QFile::decodeName(path.c_str()))) {
        error_ = QFile::decodeName(path.c_str()) + QStringLiteral(": ") + server_->errorString();
        claim_.reset();
        return false;
    }
    // Only the user may talk to the game, also where the socket lies in a shared folder.
    ::chmod(path.c_str(), 0600);
    return true;
}

void CControlServer::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (connections_ >= kMaxConnections) {
            socket->abort();
            continue;
        }
        ++connections_;
        connect(socket, &QObject::destroyed, this, [this] { --connections_; });
        // Bytes beyond one frame are not taken in before the frame is answered.
        socket->setReadBufferSize(kMaxFrameBytes);
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [this, socket] { AnswerAndClose(socket, 0); });
        deadline->start(requestTimeoutMs_);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        OnReadable(socket);
    }
}

void CControlServer::OnReadable(QLocalSocket* socket) {
    while (!socket->property(kClosingProperty).toBool()) {
        const QByteArray bytes = socket->peek(kMaxFrameBytes);
        const ParsedFrame<ControlRequest> parsed =
            ParseControlRequest(std::string_view(bytes.constData(), bytes.size()));
        switch (parsed.status) {
            case FrameStatus::NeedMore:
                return;
            case FrameStatus::Malformed:
            case FrameStatus::Oversized:
                AnswerAndClose(socket, 0);
                return;
            case FrameStatus::Complete:
                if (socket->bytesToWrite() > kMaxUnreadReplyBytes) {
                    socket->abort();
                    return;
                }
                socket->skip(static_cast<qint64>(parsed.consumed));
                SendReply(socket, handler_.Handle(parsed.message));
                if (auto* deadline = socket->findChild<QTimer*>()) {
                    deadline->start(requestTimeoutMs_);
                }
                break;
        }
    }
}

void CControlServer::AnswerAndClose(QLocalSocket* socket, std::uint32_t result) {
    if (socket->property(kClosingProperty).toBool()) {
        return;
    }
    socket->setProperty(kClosingProperty, true);
    if (auto* deadline = socket->findChild<QTimer*>()) {
        deadline->stop();
    }
    SendReply(socket, {result, std::nullopt});
    // Waits for the reply to be written, then closes.
    socket->disconnectFromServer();
}

}  // namespace kelvandor
