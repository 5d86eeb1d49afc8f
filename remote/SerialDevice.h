#pragma once
// The operating-system side of the serial-port layer: one implementation file per platform
// (SerialDevice.Posix.cpp over termios). Used by SerialPort.cpp only.

#include <cstdint>
#include <string>

namespace kelvandor::serial {

struct LineSettings {
    std::uint32_t baudRate = 9600;
    int dataBits = 8;    // 7 or 8
    int parityCode = 0;  // 0 none, 1 odd, 2 even, 3 space, 4 mark
    bool twoStopBits = false;
    bool dtrOn = false;
    bool rtsOn = false;
    bool dtrHandshake = false;
    bool rtsHandshake = false;
};

// Opens the device for exclusive, non-blocking use in raw mode with the line settings.
// Returns the handle, or -1 with *error set to a readable reason.
int OpenDevice(const std::string& path, const LineSettings& line, std::string* error);

// Releases the handle. False when the system reported an error (the handle is gone anyway).
bool CloseDevice(int handle);

// The status query: true when the device answers, with the number of waiting bytes.
bool QueryDevice(int handle, std::uint32_t* rxCount);

enum class WaitResult { Ready, TimedOut, Gone, Woken };

// A signal that cuts a wait short: made once, raised from any thread, and taken back by the
// wait it ends (or the next one, when none is waiting). MakeWakeSignal returns -1 when none
// can be made; waits then simply run their time.
int MakeWakeSignal();
void RaiseWakeSignal(int signal);
void CloseWakeSignal(int signal);

// Waits up to timeoutMs for received bytes. Gone: the device hung up or failed. Woken:
// `wake` (a wake signal, or -1 for none) was raised, and is taken back.
WaitResult WaitDevice(int handle, std::uint32_t timeoutMs, int wake = -1);

// Reads what has arrived, at most count bytes: the number read (0 when nothing is waiting),
// -1 when the device failed or hung up.
int ReadDevice(int handle, void* buffer, std::uint32_t count);

}  // namespace kelvandor::serial
