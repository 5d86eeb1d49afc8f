#include "control/ControlSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kelvandor {
namespace {

using Clock = std::chrono::steady_clock;

std::string ErrorText(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool IsFolder(const char* path) {
    struct stat info {};
    return path != nullptr && path[0] == '/' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The login name, kept to characters that are safe in a file name.
std::string UserName() {
    const uid_t uid = ::getuid();
    std::string name;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        name = found->pw_name;
    }
    if (name.empty()) {
        name = "uid" + std::to_string(uid);
    }
    for (char& c : name) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!safe) {
            c = '_';
        }
    }
    return name;
}

// A socket file at `path` that this user made.
bool IsOwnSocket(const struct stat& info) {
    return S_ISSOCK(info.st_mode) && info.st_uid == ::getuid();
}

class CFd {
public:
    explicit CFd(int fd) : fd_(fd) {}
    ~CFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Waits until `fd` is ready for `events` or the deadline passes; false on time-out.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd pfd{fd, events, 0};
        const int result = ::poll(&pfd, 1, static_cast<int>(left));
        if (result > 0) {
            return true;
        }
        if (result < 0 && errno != EINTR) {
            return true;  // the next call on the socket reports the error
        }
    }
}

ControlExchange Fail(ControlExchange::Status status, std::string error) {
    ControlExchange exchange;
    exchange.status = status;
    exchange.error = std::move(error);
    return exchange;
}

}  // namespace

std::string DefaultControlSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    if (IsFolder(runtime)) {
        folder = runtime;
    } else if (const char* temp = std::getenv("TMPDIR"); IsFolder(temp)) {
        folder = temp;
    } else {
        folder = "/tmp";
    }
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder + "/Kelvandor-" + UserName() + ".socket";
}

std::unique_ptr<CControlSocketClaim> CControlSocketClaim::Claim(const std::string& socketPath,
                                                                Outcome* outcome,
                                                                std::string* error) {
    *outcome = Outcome::Failed;
    const std::string lockPath = socketPath + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        *error = ErrorText(lockPath, errno);
        return nullptr;
    }
    auto claim = std::unique_ptr<CControlSocketClaim>(new CControlSocketClaim(fd));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        *error = lockPath + ": not a lock file of this user";
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            *outcome = Outcome::InUse;
            *error = socketPath + ": another instance answers there";
        } else {
            *error = ErrorText(lockPath, errno);
        }
        return nullptr;
    }
    // Whoever made a socket file here and no longer holds the lock has ended, most likely
    // in a crash: the file is stale.
    if (::lstat(socketPath.c_str(), &info) == 0) {
        if (!IsOwnSocket(info)) {
            *error = socketPath + ": something else than a socket of this user is in the way";
            return nullptr;
        }
        if (::unlink(socketPath.c_str()) != 0 && errno != ENOENT) {
            *error = ErrorText(socketPath, errno);
            return nullptr;
        }
    }
    *outcome = Outcome::Claimed;
    return claim;
}

CControlSocketClaim::~CControlSocketClaim() {
    ::close(lockFd_);
}

ControlExchange ExchangeControlRequest(const std::string& socketPath, const ControlRequest& request,
                                       int timeoutMs) {
    using Status = ControlExchange::Status;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    struct stat info {};
    if (::lstat(socketPath.c_str(), &info) != 0) {
        return Fail(Status::NoServer, ErrorText(socketPath, errno));
    }
    if (!IsOwnSocket(info)) {
        return Fail(Status::Failed, socketPath + ": not a socket of this user");
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        return Fail(Status::Failed, socketPath + ": path too long for a socket");
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);

    const CFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0) {
        return Fail(Status::Failed, ErrorText("socket", errno));
    }
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ECONNREFUSED || errno == ENOENT) {
            return Fail(Status::NoServer, ErrorText(socketPath, errno));
        }
        if (errno != EINPROGRESS && errno != EAGAIN) {
            return Fail(Status::Failed, ErrorText(socketPath, errno));
        }
        if (!WaitFor(fd.Get(), POLLOUT, deadline)) {
            return Fail(Status::TimedOut, socketPath + ": no connection in time");
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            return Fail(error == ECONNREFUSED ? Status::NoServer : Status::Failed,
                        ErrorText(socketPath, error));
        }
    }

    const std::string frame = EncodeControlRequest(request);
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::send(fd.Get(), frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd.Get(), POLLOUT, deadline)) {
                return Fail(Status::TimedOut, socketPath + ": the request was not taken in time");
            }
        } else {
            return Fail(Status::Failed, ErrorText(socketPath, errno));
        }
    }

    std::string received;
    char buffer[4096];
    for (;;) {
        const ParsedFrame<ControlReply> parsed = ParseControlReply(received);
        if (parsed.status == FrameStatus::Complete) {
            ControlExchange exchange;
            exchange.status = Status::Replied;
            exchange.reply = parsed.message;
            return exchange;
        }
        if (parsed.status != FrameStatus::NeedMore) {
            return Fail(Status::Failed, socketPath + ": the reply is not a reply frame");
        }
        const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return Fail(Status::Failed, socketPath + ": closed before a whole reply came");
        } else if (errno == EAGAIN || errno == EINTR) {
            if (!WaitFor(fd.Get(), POLLIN, deadline)) {
                return Fail(Status::TimedOut, socketPath + ": no reply in time");
            }
        } else {
            return Fail(Status::Failed, ErrorText(socketPath, errno));
        }
    }
}

}  // namespace kelvandor
