#include "remote/RemoteReader.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "remote/SerialPort.h"

namespace kelvandor {
namespace {

// The receiver's line: 9600 baud, 8 data bits, no parity, one stop bit, DTR and RTS off.
constexpr std::uint32_t kBaudRate = 9600;
constexpr int kDataBits = 8;

// Pause between attempts to open a port that is absent or busy.
constexpr std::uint32_t kReopenDelayMs = 200;

// The longest wait for bytes in one pass; it bounds how long a port change waits (a stop cuts
// the wait short).
constexpr std::uint32_t kReceiveWaitMs = 100;

// A press of the same button within this time after its last accepted press is a bounce.
constexpr std::int32_t kBounceMs = 100;

// How long the status text shows the last button.
constexpr std::uint32_t kShowPressMs = 2000;

constexpr std::uint32_t kButtonCount = 16;

// "Empfänger" and "gehört" in Windows-1252.
const char kReceiver[] = "Empf\xE4nger: ";

}  // namespace

std::string ReceiverStatusText(const RemoteStatus& status, std::uint32_t now) {
    if (status.portIndex < 0) {
        return {};
    }
    if (!status.heardFrame) {
        return std::string(kReceiver) + "nie geh\xF6rt";
    }
    const std::uint32_t seconds = (now - status.lastFrameTime) / 1000;
    if (seconds < 60) {
        return std::string(kReceiver) + "vor " + std::to_string(seconds) + " s";
    }
    if (seconds < 3600) {
        return std::string(kReceiver) + "vor " + std::to_string(seconds / 60) + " min";
    }
    return std::string(kReceiver) + "vor " + std::to_string(seconds / 3600) + " h";
}

std::string RemoteStatusText(const RemoteStatus& status, std::uint32_t now) {
    if (status.portIndex < 0) {
        return {};
    }
    std::string text = ComPortName(status.portIndex) + (status.open ? " offen" : " geschlossen");
    if (status.hasPress && now - status.lastTime < kShowPressMs) {
        text += " - Taste " + std::to_string(status.lastCode);
    }
    return text;
}

CRemoteReader::CRemoteReader(CComPorts& ports, IRemoteTarget& target, RemoteClock clock)
    : ports_(ports),
      target_(target),
      clock_(clock ? std::move(clock) : RemoteClock(SteadyTickCount)) {}

CRemoteReader::~CRemoteReader() {
    Stop();
}

void CRemoteReader::Start() {
    if (thread_.joinable()) {
        return;
    }
    stopRequest_ = false;
    thread_ = std::thread([this] { Run(); });
}

void CRemoteReader::RequestStop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(sleepMutex_);
        stopRequest_ = true;
    }
    sleepWake_.notify_all();
    // A wait for the receiver's bytes ends at once too, so the thread ends without delay.
    ports_.CancelWait();
}

void CRemoteReader::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    RequestStop();
    thread_.join();
}

RemoteStatus CRemoteReader::Status() const {
    std::lock_guard lock(statusMutex_);
    return status_;
}

void CRemoteReader::SleepUnlessStopped(std::uint32_t ms) {
    std::unique_lock lock(sleepMutex_);
    sleepWake_.wait_for(lock, std::chrono::milliseconds(ms),
                        [this] { return stopRequest_.load(); });
}

void CRemoteReader::Run() {
    while (!stopRequest_) {
        KeepPortOpen();
        if (slot_ < 0) {
            SleepUnlessStopped(kReopenDelayMs);
            continue;
        }
        CRemoteFramer::Frame frame;
        CRemoteFramer::Step step = framer_.BeginPass(&frame);
        // Frames already received are all handled before the reader waits again.
        while (step == CRemoteFramer::Step::HaveFrame) {
            Handle(frame);
            step = framer_.FinishFrame(&frame);
        }
        if (step == CRemoteFramer::Step::Receive) {
            Receive();
        }
    }
    if (slot_ >= 0) {
        ports_.Close(slot_);
        slot_ = -1;
    }
    openIndex_ = -1;
    std::lock_guard lock(statusMutex_);
    status_.open = false;
}

void CRemoteReader::KeepPortOpen() {
    const int wanted = target_.RemotePortIndex();
    if (openIndex_ == wanted && ports_.IsAlive(slot_)) {
        return;
    }
    if (slot_ >= 0) {
        ports_.Close(slot_);
    }
    // Bytes already held stay: they may complete with what the new port sends.
    openIndex_ = wanted;
    slot_ = ports_.Open(wanted, kBaudRate, 0, 0, kDataBits, 0);
    std::lock_guard lock(statusMutex_);
    if (status_.portIndex != wanted) {
        status_.heardFrame = false;  // what the old port heard says nothing of the new one
    }
    status_.portIndex = wanted;
    status_.open = slot_ >= 0;
    status_.device = ports_.LastOpenDevice();
    status_.error = slot_ >= 0 ? std::string() : ports_.LastOpenError();
}

void CRemoteReader::Receive() {
    ports_.WaitRx(slot_, kReceiveWaitMs);
    const std::uint32_t waiting = ports_.RxCount(slot_);
    if (waiting == 0) {
        return;
    }
    const std::uint32_t count =
        std::min<std::uint32_t>(waiting, static_cast<std::uint32_t>(framer_.FreeCount()));
    const int got = ports_.Read(slot_, framer_.FreeSpace(), count);
    if (got > 0) {
        framer_.Commit(static_cast<std::size_t>(got));
    } else if (got < 0) {
        openIndex_ = -1;  // the next pass reopens the port
    }
}

void CRemoteReader::Handle(const CRemoteFramer::Frame& frame) {
    const std::uint32_t now = clock_();
    {
        std::lock_guard lock(statusMutex_);
        status_.heardFrame = true;
        status_.lastFrameTime = now;
    }
    if (frame.letter != 'D' || frame.code >= kButtonCount) {
        return;
    }
    const std::uint32_t code = frame.code;
    // Signed difference, so that the tick count wrapping around does not block a button.
    const auto since = static_cast<std::int32_t>(now - lastPress_[code]);
    if (pressedOnce_[code] && since >= 0 && since <= kBounceMs) {
        target_.Bounced(code, now);
        return;
    }
    lastPress_[code] = now;
    pressedOnce_[code] = true;
    const RemotePress press{code, now};
    {
        std::lock_guard lock(statusMutex_);
        status_.hasPress = true;
        status_.lastCode = code;
        status_.lastTime = now;
    }
    target_.HandOver(press);
}

}  // namespace kelvandor
