#include "remote/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "base/SteadyTick.h"
#include "remote/SerialDevice.h"

namespace kelvandor {
namespace {

// A wait is split into slices so that a long time-out still re-checks the queue regularly.
constexpr std::uint32_t kWaitSliceMs = 500;

bool ValidSlot(int slot) {
    return slot >= 0 && slot < CComPorts::kSlotCount;
}

}  // namespace

std::string DefaultComDevice(int portIndex) {
    return "/dev/ttyS" + std::to_string(portIndex);
}

std::string ComPortName(int portIndex) {
    // Widened first: the index of a port that never opens may be INT_MAX.
    return "COM" + std::to_string(static_cast<std::int64_t>(portIndex) + 1);
}

std::string ComDeviceSettingName(int portIndex) {
    return "ComDevices/" + ComPortName(portIndex);
}

ComDeviceResolver MakeComDeviceResolver(SettingLookup lookup) {
    return [lookup = std::move(lookup)](int portIndex) {
        const std::optional<std::string> mapped =
            lookup ? lookup(ComDeviceSettingName(portIndex)) : std::nullopt;
        return mapped && !mapped->empty() ? *mapped : DefaultComDevice(portIndex);
    };
}

CComPorts::CComPorts(ComDeviceResolver resolver)
    : wake_(serial::MakeWakeSignal()), resolver_(std::move(resolver)) {}

CComPorts::~CComPorts() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        Close(slot);
    }
    serial::CloseWakeSignal(wake_);
}

void CComPorts::CancelWait() {
    serial::RaiseWakeSignal(wake_);
}

void CComPorts::SetResolver(ComDeviceResolver resolver) {
    std::lock_guard lock(mutex_);
    resolver_ = std::move(resolver);
}

int CComPorts::Open(int portIndex, std::uint32_t baudRate, int parityCode, int twoStopBits,
                    int dataBits, std::uint32_t lineFlags) {
    std::lock_guard lock(mutex_);
    if (portIndex < 0 || portIndex >= 256) {
        lastDevice_.clear();
        lastError_ = "no such port index " + std::to_string(portIndex);
        return -1;
    }
    // The search starts one slot further at every open, so a slot just closed is not
    // handed out again at once.
    const int start = static_cast<int>(openCounter_ % kSlotCount);
    ++openCounter_;
    int slot = -1;
    for (int step = 0; step < kSlotCount; ++step) {
        const int candidate = (start + step) % kSlotCount;
        if (!slots_[candidate].open) {
            slot = candidate;
            break;
        }
    }
    if (slot < 0) {
        lastDevice_.clear();
        lastError_ = "all port slots are in use";
        return -1;
    }
    if (baudRate == 0) {
        lastDevice_.clear();
        lastError_ = "baud rate 0";
        return -1;
    }
    lastDevice_ = resolver_ ? resolver_(portIndex) : DefaultComDevice(portIndex);
    if (lastDevice_.empty()) {
        lastError_ = ComPortName(portIndex) + " has no device";
        return -1;
    }

    if ((lineFlags & kComNoHandshake) != 0) {
        lineFlags &= ~(kComRtsHandshake | kComDtrHandshake);
    }
    serial::LineSettings line;
    line.baudRate = baudRate;
    line.dataBits = (dataBits & 1) != 0 ? 7 : 8;
    line.parityCode = parityCode >= 1 && parityCode <= 4 ? parityCode : 0;
    line.twoStopBits = twoStopBits != 0;
    line.dtrHandshake = (lineFlags & kComDtrHandshake) != 0;
    line.rtsHandshake = (lineFlags & kComRtsHandshake) != 0;
    line.dtrOn = (lineFlags & kComDtrOn) != 0;
    line.rtsOn = (lineFlags & kComRtsOn) != 0;

    const int handle = serial::OpenDevice(lastDevice_, line, &lastError_);
    if (handle < 0) {
        return -1;
    }
    // Start bit, data bits, stop bits and the parity bit when the line carries one.
    const std::uint32_t bits = 1u + static_cast<std::uint32_t>(line.dataBits) +
                               (line.twoStopBits ? 2u : 1u) + (line.parityCode != 0 ? 1u : 0u);
    Slot& entry = slots_[slot];
    entry.open = true;
    entry.gone = false;
    entry.handle = handle;
    entry.characterTime = static_cast<std::uint32_t>(std::uint64_t{bits} * 1024000u / baudRate);
    return slot;
}

int CComPorts::Close(int slot) {
    std::lock_guard lock(mutex_);
    if (!ValidSlot(slot) || !slots_[slot].open) {
        return -1;
    }
    const bool released = serial::CloseDevice(slots_[slot].handle);
    // The descriptor is gone whatever close() reported, so the slot is free in any case.
    slots_[slot] = Slot{};
    return released ? 0 : -1;
}

int CComPorts::HandleOf(int slot) {
    std::lock_guard lock(mutex_);
    if (!ValidSlot(slot) || !slots_[slot].open) {
        return -1;
    }
    return slots_[slot].handle;
}

int CComPorts::IsAlive(int slot) {
    int handle = -1;
    {
        std::lock_guard lock(mutex_);
        if (!ValidSlot(slot) || !slots_[slot].open || slots_[slot].gone) {
            return 0;
        }
        handle = slots_[slot].handle;
    }
    std::uint32_t waiting = 0;
    return serial::QueryDevice(handle, &waiting) ? 1 : 0;
}

std::uint32_t CComPorts::RxCount(int slot) {
    const int handle = HandleOf(slot);
    std::uint32_t waiting = 0;
    if (handle < 0 || !serial::QueryDevice(handle, &waiting)) {
        return 0;
    }
    return waiting;
}

int CComPorts::WaitRx(int slot, std::uint32_t timeoutMs) {
    const int handle = HandleOf(slot);
    if (handle < 0) {
        return 0;
    }
    const std::int64_t deadline = SteadyMilliseconds() + timeoutMs;
    bool expired = false;
    for (;;) {
        std::uint32_t waiting = 0;
        const bool answered = serial::QueryDevice(handle, &waiting);
        if (answered && waiting > 0) {
            return 1;
        }
        if (expired || !answered) {
            // A device that does not answer will never deliver bytes; waiting on it would
            // only spin, since a hung-up device reports itself ready at once.
            if (!answered) {
                std::lock_guard lock(mutex_);
                slots_[slot].gone = true;
            }
            return 0;
        }
        std::int64_t remaining = deadline - SteadyMilliseconds();
        if (remaining <= 0) {
            expired = true;
            remaining = 0;
        }
        remaining = std::min<std::int64_t>(remaining, kWaitSliceMs);
        const serial::WaitResult waited =
            serial::WaitDevice(handle, static_cast<std::uint32_t>(remaining), wake_);
        if (waited == serial::WaitResult::Woken) {
            return 0;
        }
        if (waited == serial::WaitResult::Gone) {
            std::lock_guard lock(mutex_);
            slots_[slot].gone = true;
            return 0;
        }
    }
}

int CComPorts::Read(int slot, void* buffer, std::uint32_t count) {
    const int handle = HandleOf(slot);
    if (handle < 0) {
        return -1;
    }
    if (count == 0) {
        return 0;
    }
    return serial::ReadDevice(handle, buffer, count);
}

std::uint32_t CComPorts::CharacterTime(int slot) {
    std::lock_guard lock(mutex_);
    return ValidSlot(slot) && slots_[slot].open ? slots_[slot].characterTime : 0;
}

std::string CComPorts::LastOpenDevice() {
    std::lock_guard lock(mutex_);
    return lastDevice_;
}

std::string CComPorts::LastOpenError() {
    std::lock_guard lock(mutex_);
    return lastError_;
}

CComPorts& ProcessComPorts() {
    static CComPorts ports;
    return ports;
}

int ComOpen(int portIndex, std::uint32_t baudRate, int parityCode, int twoStopBits, int dataBits,
            std::uint32_t lineFlags) {
    return ProcessComPorts().Open(portIndex, baudRate, parityCode, twoStopBits, dataBits,
                                  lineFlags);
}
int ComClose(int slot) {
    return ProcessComPorts().Close(slot);
}
int ComIsAlive(int slot) {
    return ProcessComPorts().IsAlive(slot);
}
std::uint32_t ComRxCount(int slot) {
    return ProcessComPorts().RxCount(slot);
}
int ComWaitRx(int slot, std::uint32_t timeoutMs) {
    return ProcessComPorts().WaitRx(slot, timeoutMs);
}
int ComRead(int slot, void* buffer, std::uint32_t count) {
    return ProcessComPorts().Read(slot, buffer, count);
}

}  // namespace kelvandor
