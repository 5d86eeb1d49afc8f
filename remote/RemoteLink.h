#pragma once
// The remote reader bound to the game view's shared port field: what the game's shell starts
// when the view window is created and stops when it is destroyed.

#include <atomic>
#include <cstdint>
#include <functional>

#include "remote/RemoteReader.h"
#include "remote/SerialPort.h"

namespace kelvandor {

class CRemoteLink final : private IRemoteTarget {
public:
    // Called on the reader thread for every accepted press, in arrival order; it queues the
    // press to the game's thread and returns at once.
    using HandOverFunction = std::function<void(const RemotePress&)>;

    // comPort (0 is COM1) is the view's field; it, ports and the hand-over function must
    // outlive the link. clock nullptr means SteadyTickCount.
    CRemoteLink(const std::atomic<std::uint32_t>& comPort, HandOverFunction handOver,
                CComPorts& ports = ProcessComPorts(), RemoteClock clock = nullptr);
    ~CRemoteLink() override;  // stops the reader

    void Start() { reader_.Start(); }
    // Returns once the reader has ended, which it does at once.
    void Stop() { reader_.Stop(); }
    // Asks the reader to end without waiting for it.
    void RequestStop() { reader_.RequestStop(); }
    RemoteStatus Status() const { return reader_.Status(); }

private:
    int RemotePortIndex() const override;
    void HandOver(const RemotePress& press) override;

    const std::atomic<std::uint32_t>& comPort_;
    HandOverFunction handOver_;
    CRemoteReader reader_;
};

}  // namespace kelvandor
