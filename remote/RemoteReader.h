#pragma once
// The remote reader: a background thread that keeps the remote receiver's port open, frames
// the bytes it sends, drops bounces, and hands every button press to its target.
//
// The reader never touches game state and does not know what a button does. It reads one
// value from its target (the port index) and hands each press over as its button code and
// time, in arrival order; the target forwards it to the thread that owns the game, where the
// game's button table decides the action, so nothing runs concurrently with the game.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/SteadyTick.h"
#include "remote/RemoteFramer.h"

namespace kelvandor {

class CComPorts;

// A 32-bit millisecond tick count that wraps around; compared by subtraction.
using RemoteClock = std::function<std::uint32_t()>;

// A button press that passed the bounce check.
struct RemotePress {
    std::uint32_t code = 0;  // button code 0..15
    std::uint32_t time = 0;  // tick count when its frame was handled
};

// What the reader needs from the game. The getter is called on the reader thread while the
// game's thread may change the value: it must be safe for that (an atomic, say).
class IRemoteTarget {
public:
    virtual ~IRemoteTarget() = default;

    // The port to keep open, 0 for "COM1". Read once per pass; a new value closes the old
    // port and opens the new one. Any value outside 0..255 opens nothing.
    virtual int RemotePortIndex() const = 0;

    // An accepted press, called on the reader thread in arrival order, for every code 0..15
    // (also those that do nothing). The implementer queues it to the game's thread without
    // waiting for it to run.
    virtual void HandOver(const RemotePress& press) = 0;

    // A press of the same button within 100 ms of its last accepted press, ignored. Called on
    // the reader thread; only monitors care.
    virtual void Bounced(std::uint32_t /*code*/, std::uint32_t /*time*/) {}
};

// What a status display shows: the port, whether it is open, the last press.
struct RemoteStatus {
    int portIndex = -1;          // the port the reader keeps open (-1 before it started)
    bool open = false;           // the port is open and its device answers
    std::string device;          // the device path of the port ("" when it has none)
    std::string error;           // why the port is not open ("" while open)
    bool hasPress = false;       // a press was accepted since the start
    std::uint32_t lastCode = 0;  // its button code
    std::uint32_t lastTime = 0;  // its tick count on the reader's clock
    // Whether a whole frame (of any button and event) came from the port since it was
    // chosen, and when: an open port tells nothing of a receiver, a frame does.
    bool heardFrame = false;
    std::uint32_t lastFrameTime = 0;
};

// The status line text for the main window's status bar, for example "COM1 offen" or
// "COM2 geschlossen"; for two seconds after a press " - Taste 5" follows. now is a tick count
// of the reader's clock.
std::string RemoteStatusText(const RemoteStatus& status, std::uint32_t now);

// The receiver's indicator beside it, in Windows-1252: "Empfänger: nie gehört" until a frame
// came, then how long ago the last one did ("Empfänger: vor 12 s", "vor 3 min", "vor 2 h");
// empty while no reader runs.
std::string ReceiverStatusText(const RemoteStatus& status, std::uint32_t now);

class CRemoteReader {
public:
    // ports and target must outlive the reader. clock nullptr means SteadyTickCount.
    CRemoteReader(CComPorts& ports, IRemoteTarget& target, RemoteClock clock = nullptr);
    ~CRemoteReader();  // stops the thread
    CRemoteReader(const CRemoteReader&) = delete;
    CRemoteReader& operator=(const CRemoteReader&) = delete;

    // Starts the thread; does nothing when it runs already.
    void Start();

    // Asks the thread to end and waits for it: at once, also while it waits for bytes (the
    // wait is cut short). Closes the port. Does nothing when the thread does not run. Must
    // not be called from the target's callbacks.
    void Stop();
    // Asks the thread to end without waiting, so that it winds down while the caller does
    // other work; Stop then waits for what is left.
    void RequestStop();

    bool Running() const { return thread_.joinable(); }

    // A consistent copy of the status, safe from any thread.
    RemoteStatus Status() const;

private:
    void Run();
    void KeepPortOpen();
    void Receive();
    void Handle(const CRemoteFramer::Frame& frame);
    void SleepUnlessStopped(std::uint32_t ms);

    CComPorts& ports_;
    IRemoteTarget& target_;
    RemoteClock clock_;

    std::thread thread_;
    std::atomic<bool> stopRequest_{false};
    std::mutex sleepMutex_;
    std::condition_variable sleepWake_;

    // Reader thread only.
    int openIndex_ = -1;
    int slot_ = -1;
    CRemoteFramer framer_;
    std::uint32_t lastPress_[16] = {};
    bool pressedOnce_[16] = {};

    mutable std::mutex statusMutex_;
    RemoteStatus status_;
};

}  // namespace kelvandor
