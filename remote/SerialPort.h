#pragma once
// The small serial-port layer that the remote reader is built on: a table of eight port
// slots, opened by port index (0 is "COM1") and read without ever blocking on a read.
//
// A port index is turned into a device path by a resolver. The default resolver gives
// /dev/ttyS<n>; the game's shell installs one that honours the user's COM-port mapping.
// Ports are opened for exclusive use, so a second program (or a second open in this one)
// cannot take the receiver away while the game holds it.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kelvandor {

// Maps a port index (0..255) to a device path. An empty result means "no such port". Called on
// the thread that opens the port (the remote reader's thread), so it must be safe to call from
// any thread.
using ComDeviceResolver = std::function<std::string(int portIndex)>;

// The path a port index has when nothing else is configured: /dev/ttyS<portIndex>.
std::string DefaultComDevice(int portIndex);

// "COM" followed by portIndex + 1: the name under which the user knows the port.
std::string ComPortName(int portIndex);

// The settings value that maps a port to a device of the user's choice, such as a USB adapter:
// "ComDevices/COM<portIndex + 1>".
std::string ComDeviceSettingName(int portIndex);

// A resolver that looks ComDeviceSettingName(n) up and falls back to DefaultComDevice(n) when
// the value is missing or empty. lookup runs on the thread that opens the port.
using SettingLookup = std::function<std::optional<std::string>(const std::string& name)>;
ComDeviceResolver MakeComDeviceResolver(SettingLookup lookup);

// Line-flag bits of Open(). DTR/RTS "on" raise the line; "handshake" lets the driver control
// it; kComNoHandshake cancels both handshake bits. Without any bit both lines are off.
inline constexpr std::uint32_t kComRtsOn = 0x04;
inline constexpr std::uint32_t kComDtrOn = 0x08;
inline constexpr std::uint32_t kComRtsHandshake = 0x10;
inline constexpr std::uint32_t kComDtrHandshake = 0x20;
inline constexpr std::uint32_t kComNoHandshake = 0x40;

// A table of eight port slots. Open returns the slot; the other calls take it.
//
// Threads: opening, closing and the resolver are guarded, so the table may be shared. A slot
// itself is meant to be used by one thread at a time (the one that opened it); closing a slot
// while another thread waits on it is not supported.
class CComPorts {
public:
    static constexpr int kSlotCount = 8;

    explicit CComPorts(ComDeviceResolver resolver = nullptr);
    ~CComPorts();  // closes every open slot
    CComPorts(const CComPorts&) = delete;
    CComPorts& operator=(const CComPorts&) = delete;

    // Replaces the resolver; nullptr restores DefaultComDevice. Takes effect at the next Open.
    void SetResolver(ComDeviceResolver resolver);

    // Opens port portIndex with the line settings and returns its slot 0..7, or -1 when the
    // index is 256 or more (or negative), no slot is free, the device does not exist or is in
    // use, or the line cannot be set. dataBits odd means 7 data bits, else 8. parityCode: 0
    // none, 1 odd, 2 even, 3 space, 4 mark, 5..7 none. twoStopBits non-zero for two stop
    // bits. lineFlags: the kCom* bits above. The reason of the last failure is LastOpenError().
    int Open(int portIndex, std::uint32_t baudRate, int parityCode, int twoStopBits, int dataBits,
             std::uint32_t lineFlags);

    // Releases the slot: 0, or -1 when it is not an open slot. The slot is free afterwards.
    int Close(int slot);

    // Non-zero while the slot is open and its device answers status queries; 0 once the
    // device is gone (a USB receiver unplugged, the far end of a pseudo-terminal closed).
    int IsAlive(int slot);

    // The number of received bytes waiting in the driver; 0 when the query fails.
    std::uint32_t RxCount(int slot);

    // Waits up to timeoutMs milliseconds for received bytes: 1 as soon as some are waiting,
    // 0 at the time-out, for a slot that is not open, at once when the device has gone, or
    // when CancelWait cut the wait short.
    int WaitRx(int slot, std::uint32_t timeoutMs);

    // Makes the WaitRx that is waiting now return 0 at once, or the next one when none is;
    // from any thread. A reader that is asked to stop so stops without waiting out its wait.
    void CancelWait();

    // Reads at most count bytes that have already arrived, never waiting: the number read
    // (0 when none are waiting or count is 0), or -1 when the slot is not open or the device
    // failed (it is then to be closed and opened again).
    int Read(int slot, void* buffer, std::uint32_t count);

    // Milliseconds per character times 1024 of an open slot (0 for a slot not open):
    // 1,024,000 * bits per character / baud rate.
    std::uint32_t CharacterTime(int slot);

    // The device path that the last Open tried and why it failed ("" after a success).
    std::string LastOpenDevice();
    std::string LastOpenError();

private:
    struct Slot {
        bool open = false;
        bool gone = false;  // the device reported a hang-up: it will never deliver bytes
        int handle = -1;
        std::uint32_t characterTime = 0;
    };
    // The handle of an open slot, or -1.
    int HandleOf(int slot);

    std::mutex mutex_;
    int wake_ = -1;  // the signal that CancelWait raises
    ComDeviceResolver resolver_;
    Slot slots_[kSlotCount];
    std::uint32_t openCounter_ = 0;
    std::string lastDevice_;
    std::string lastError_;
};

// The table the game's remote reader uses (created on first use, lives until exit).
CComPorts& ProcessComPorts();

// The layer's classic entry points, acting on ProcessComPorts().
int ComOpen(int portIndex, std::uint32_t baudRate, int parityCode, int twoStopBits, int dataBits,
            std::uint32_t lineFlags);
int ComClose(int slot);
int ComIsAlive(int slot);
std::uint32_t ComRxCount(int slot);
int ComWaitRx(int slot, std::uint32_t timeoutMs);
int ComRead(int slot, void* buffer, std::uint32_t count);

}  // namespace kelvandor
