#pragma once
// The control socket's place in the file system, the claim that keeps a second instance from
// taking it over, and the client's side of one request. The server itself is the shell's
// (a QLocalServer at the same path).

#include <memory>
#include <string>

#include "control/ControlProtocol.h"

namespace kelvandor {

// Where the current user's game listens: "Kelvandor-<user>.socket" in $XDG_RUNTIME_DIR when
// that names a folder, else in the temporary folder ($TMPDIR when it names a folder, else
// /tmp). The user's name keeps two users apart in a shared temporary folder.
std::string DefaultControlSocketPath();

// The right to serve at a socket path: an exclusive lock on "<path>.lock" that the serving
// process holds for as long as it lives (the system drops it when the process dies, also in
// a crash). Holding it, any socket file at the path is a crashed instance's and is removed.
class CControlSocketClaim {
public:
    enum class Outcome {
        Claimed,  // the path is free for this process to listen at
        InUse,    // another running instance serves there: leave its socket alone
        Failed,   // the lock file cannot be made, or the path holds something not ours
    };

    // Tries to claim `socketPath`; `*outcome` says how it went, `*error` why it failed.
    // Returns the claim when Claimed, else nullptr.
    static std::unique_ptr<CControlSocketClaim> Claim(const std::string& socketPath,
                                                      Outcome* outcome, std::string* error);

    // Releases the lock; the lock file stays (removing it could break another's claim).
    ~CControlSocketClaim();
    CControlSocketClaim(const CControlSocketClaim&) = delete;
    CControlSocketClaim& operator=(const CControlSocketClaim&) = delete;

private:
    explicit CControlSocketClaim(int lockFd) : lockFd_(lockFd) {}
    int lockFd_;
};

struct ControlExchange {
    enum class Status {
        Replied,   // `reply` holds the reply
        NoServer,  // nothing listens at the path
        TimedOut,  // no whole reply within the time
        Failed,    // the connection broke, the reply was not a frame, or the path is unsafe
    };
    Status status = Status::Failed;
    ControlReply reply;
    std::string error;  // why, in one line, when not Replied
};

// Sends `request` to the socket at `socketPath` and waits for its reply, `timeoutMs` in all.
// The socket must belong to the current user: a socket someone else made is not trusted.
ControlExchange ExchangeControlRequest(const std::string& socketPath, const ControlRequest& request,
                                       int timeoutMs);

}  // namespace kelvandor
