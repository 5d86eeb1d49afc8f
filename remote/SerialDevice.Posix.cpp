// The serial device over POSIX termios.

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include "remote/SerialDevice.h"

namespace kelvandor::serial {
namespace {

struct BaudEntry {
    std::uint32_t rate;
    speed_t speed;
};

const BaudEntry kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool FindSpeed(std::uint32_t rate, speed_t* speed) {
    for (const BaudEntry& entry : kBaudRates) {
        if (entry.rate == rate) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

std::string ErrnoText(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

bool SetLine(int fd, const LineSettings& line, std::string* error) {
    speed_t speed = B0;
    if (!FindSpeed(line.baudRate, &speed)) {
        *error = "unsupported baud rate " + std::to_string(line.baudRate);
        return false;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        *error = ErrnoText("not a serial device", errno);
        return false;
    }
    // Raw bytes both ways: no line editing, no echo, no translation of CR or LF, no
    // end-of-file character, no software flow control.
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // The receiver has no carrier line; without CLOCAL a read could wait for one forever.
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
    switch (line.parityCode) {
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
        case 3:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        case 4:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        default:
            break;
    }
    if (line.parityCode != 0) {
        tio.c_iflag |= INPCK;
    }
    if (line.twoStopBits) {
        tio.c_cflag |= CSTOPB;
    }
    // termios knows one hardware handshake, RTS/CTS; there is none for DTR/DSR, so a DTR
    // handshake only raises the line.
    if (line.rtsHandshake) {
        tio.c_cflag |= CRTSCTS;
    }
    // A read returns at once with whatever has arrived.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        *error = ErrnoText("cannot set the line", errno);
        return false;
    }
    // Modem lines. A pseudo-terminal has none and refuses these calls; that is no reason to
    // fail, since the receiver's data arrives either way.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    const bool dtrUp = line.dtrOn || line.dtrHandshake;
    (void)ioctl(fd, dtrUp ? TIOCMBIS : TIOCMBIC, &dtr);
    if (!line.rtsHandshake) {
        (void)ioctl(fd, line.rtsOn ? TIOCMBIS : TIOCMBIC, &rts);
    }
    return true;
}

}  // namespace

int OpenDevice(const std::string& path, const LineSettings& line, std::string* error) {
    // O_NONBLOCK: a serial device may otherwise wait in open() for a carrier; reads never
    // block either. O_NOCTTY: the port must never become this process's terminal.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = ErrnoText("cannot open", errno);
        return -1;
    }
    // Exclusive use: flock keeps out every program that locks the port too (and any second
    // open in this process); TIOCEXCL keeps out every other open by unprivileged users.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        close(fd);
        *error = lockError == EWOULDBLOCK ? std::string("in use by another program")
                                          : ErrnoText("cannot lock", lockError);
        return -1;
    }
    if (!SetLine(fd, line, error)) {
        close(fd);
        return -1;
    }
    (void)ioctl(fd, TIOCEXCL);
    error->clear();
    return fd;
}

bool CloseDevice(int handle) {
    // The exclusive flag belongs to the terminal, not to this handle: clear it so that the
    // port can be opened again while someone else still holds it open.
    (void)ioctl(handle, TIOCNXCL);
    // Linux releases the descriptor even when close() reports an error; never retry.
    return close(handle) == 0;
}

bool QueryDevice(int handle, std::uint32_t* rxCount) {
    termios tio{};
    int waiting = 0;
    if (tcgetattr(handle, &tio) != 0 || ioctl(handle, FIONREAD, &waiting) != 0) {
        *rxCount = 0;
        return false;
    }
    pollfd pfd{handle, 0, 0};
    if (poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        *rxCount = 0;
        return false;
    }
    *rxCount = waiting > 0 ? static_cast<std::uint32_t>(waiting) : 0;
    return true;
}

int MakeWakeSignal() {
    return eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

void RaiseWakeSignal(int signal) {
    if (signal >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(signal, &one, sizeof one);
    }
}

void CloseWakeSignal(int signal) {
    if (signal >= 0) {
        close(signal);
    }
}

WaitResult WaitDevice(int handle, std::uint32_t timeoutMs, int wake) {
    pollfd pfd[2] = {{handle, POLLIN, 0}, {wake, POLLIN, 0}};
    const int result = poll(pfd, wake >= 0 ? 2 : 1, static_cast<int>(timeoutMs));
    if (result == 0) {
        return WaitResult::TimedOut;
    }
    if (result < 0) {
        return errno == EINTR ? WaitResult::TimedOut : WaitResult::Gone;
    }
    if ((pfd[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return WaitResult::Gone;
    }
    if ((pfd[0].revents & POLLIN) == 0 && wake >= 0 && (pfd[1].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t taken = read(wake, &count, sizeof count);
        return WaitResult::Woken;
    }
    return WaitResult::Ready;
}

int ReadDevice(int handle, void* buffer, std::uint32_t count) {
    const ssize_t got = read(handle, buffer, count);
    if (got > 0) {
        return static_cast<int>(got);
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return 0;
    }
    if (got < 0) {
        return -1;
    }
    // With no bytes waiting a raw terminal returns 0, as it does once it has hung up; the
    // status query tells the two apart.
    std::uint32_t waiting = 0;
    return QueryDevice(handle, &waiting) ? 0 : -1;
}

}  // namespace kelvandor::serial
