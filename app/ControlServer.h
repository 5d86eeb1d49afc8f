#pragma once
// The control socket's server: a QLocalServer at the current user's socket path that reads
// request frames, hands them to the control handler and writes the replies. Every request is
// bounded in size and time; a malformed, oversized or late one is answered with 0 and its
// connection closed.

#include <memory>
#include <string>

#include <QObject>
#include <QString>

#include "control/ControlHandler.h"

class QLocalServer;
class QLocalSocket;

namespace kelvandor {

class CControlSocketClaim;

class CControlServer : public QObject {
    Q_OBJECT

public:
    // The time a client has for each request, from its connection or its previous reply.
    static constexpr int kDefaultRequestTimeoutMs = 2000;
    // Clients served at once; further ones are closed at once.
    static constexpr int kMaxConnections = 8;

    // `target` must outlive the server.
    CControlServer(IControlTarget& target, QObject* parent = nullptr);
    ~CControlServer() override;

    // Starts serving at `path`. Fails, and serves nothing, when another running instance
    // serves there (its socket is left alone) or the socket cannot be made; ErrorText() then
    // says why. A socket file left by a crashed instance is replaced.
    bool Listen(const std::string& path);

    QString ErrorText() const { return error_; }
    // Changes the time a client has for each request, for the connections to come.
    void SetRequestTimeout(int ms) { requestTimeoutMs_ = ms; }
    const CControlHandler& Handler() const { return handler_; }

private:
    void OnNewConnection();
    void OnReadable(QLocalSocket* socket);
    void AnswerAndClose(QLocalSocket* socket, std::uint32_t result);

    CControlHandler handler_;
    QLocalServer* server_ = nullptr;
    std::unique_ptr<CControlSocketClaim> claim_;
    QString error_;
    int connections_ = 0;
    int requestTimeoutMs_ = kDefaultRequestTimeoutMs;
};

}  // namespace kelvandor
