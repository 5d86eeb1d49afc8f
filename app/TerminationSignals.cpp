#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <QSocketNotifier>

namespace kelvandor {
namespace {

// A signal handler may do almost nothing; it writes one byte into a socket pair whose
// other end the event loop watches.
int g_signalSockets[2] = {-1, -1};
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

void HandleSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

CTerminationSignals::CTerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0) {
        return;  // without the pair the default handlers stay: the program still ends
    }
    ::fcntl(g_signalSockets[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_signalSockets[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);

    struct sigaction action = {};
    action.sa_handler = HandleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
}

CTerminationSignals::~CTerminationSignals() {
    if (m_notifier == nullptr) {
        return;
    }
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    delete m_notifier;
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}

void CTerminationSignals::OnReadable() {
    char buffer[16];
    while (::read(g_signalSockets[1], buffer, sizeof buffer) > 0) {
    }
    if (m_onSignal) {
        m_onSignal();
    }
}

}  // namespace kelvandor
