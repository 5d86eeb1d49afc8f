#pragma once
// Frames the receiver's byte stream. A frame is: the button code (one hex digit), the event
// letter "D", "U" or "S", exactly eight hex digits, and CR or LF (a LF after a CR is dropped
// as a byte that cannot begin a frame). Bytes that cannot begin a frame are dropped one at a
// time, so a frame that follows a damaged one is found wherever it starts. The framer waits
// for more bytes only while the bytes held can still become a frame, so the frames found do
// not depend on how the bytes arrive: one read or one byte at a time give the same frames.
// The buffer never holds more than 32 bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvandor {

class CRemoteFramer {
public:
    static constexpr std::size_t kCapacity = 32;

    struct Frame {
        std::uint8_t code = 0;  // the button code character's value: "0"-"9" 0-9,
                                // "A"-"F" 10-15, "a"-"f" 42-47
        char letter = 0;        // 'D', 'U' or 'S'
    };

    enum class Step {
        Receive,    // more bytes are needed: read into FreeSpace() and Commit()
        HaveFrame,  // *frame is complete; handle it, then call FinishFrame()
    };

    // Starts a pass: drops what cannot begin a frame, then frames what is held.
    Step BeginPass(Frame* frame);

    // Removes the frame that BeginPass or FinishFrame returned and goes on: a frame that
    // follows at once is returned straight away.
    Step FinishFrame(Frame* frame);

    // Room behind the held bytes (never 0 when Receive was returned) and appending to them.
    std::uint8_t* FreeSpace() { return buffer_ + held_; }
    std::size_t FreeCount() const { return kCapacity - held_; }
    void Commit(std::size_t count);

    std::size_t Held() const { return held_; }
    void Clear();

private:
    Step FrameHeld(Frame* frame);
    void Drop(std::size_t count);

    // One byte more than the capacity keeps the held bytes NUL-terminated.
    std::uint8_t buffer_[kCapacity + 1] = {};
    std::size_t held_ = 0;
};

// Frames `bytes` as the reader thread does when they arrive in pieces of the sizes given
// (used in turn and again from the first; a size 0 counts as 1, none means one piece as large
// as the buffer takes). The frames found, in order: the same for every way of cutting.
std::vector<CRemoteFramer::Frame> FrameInPieces(std::span<const std::uint8_t> bytes,
                                                std::span<const std::uint8_t> pieceSizes);

}  // namespace kelvandor
