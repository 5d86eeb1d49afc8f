#include "remote/RemoteFramer.h"

#include <cassert>
#include <cstring>

namespace kelvandor {
namespace {

constexpr std::size_t kDigitCount = 8;  // hex digits between event letter and terminator

bool IsHexDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsEventLetter(std::uint8_t c) {
    return c == 'U' || c == 'S' || c == 'D';
}

bool IsLineEnd(std::uint8_t c) {
    return c == '\r' || c == '\n';
}

}  // namespace

void CRemoteFramer::Clear() {
    held_ = 0;
    buffer_[0] = 0;
}

void CRemoteFramer::Commit(std::size_t count) {
    assert(count <= FreeCount());
    held_ += count;
    buffer_[held_] = 0;
}

void CRemoteFramer::Drop(std::size_t count) {
    if (count >= held_) {
        Clear();
        return;
    }
    std::memmove(buffer_, buffer_ + count, held_ - count);
    held_ -= count;
    buffer_[held_] = 0;
}

void CRemoteFramer::Resynchronise() {
    // A frame starts with a hex digit followed by an event letter. A hex digit as the last
    // byte held stays: its event letter may not have arrived yet.
    std::size_t start = 0;
    while (start < held_) {
        if (IsHexDigit(buffer_[start]) &&
            (start + 1 == held_ || IsEventLetter(buffer_[start + 1]))) {
            break;
        }
        ++start;
    }
    Drop(start);
}

CRemoteFramer::Step CRemoteFramer::BeginPass(Frame* frame) {
    Resynchronise();
    if (held_ < 3) {
        return Step::Receive;
    }
    return FrameHeld(frame);
}

CRemoteFramer::Step CRemoteFramer::FrameHeld(Frame* frame) {
    std::size_t digits = 0;
    while (2 + digits < held_ && IsHexDigit(buffer_[2 + digits])) {
        ++digits;
    }
    if (digits > kDigitCount) {
        Drop(digits + 2);
        return Step::EndOfPass;
    }
    if (digits < kDigitCount) {
        if (digits + 2 == held_) {
            return Step::Receive;  // the digits are still arriving
        }
        Drop(digits + 2);
        return Step::EndOfPass;
    }
    if (held_ == 2 + kDigitCount) {
        return Step::Receive;  // the terminator is still to come
    }
    if (!IsLineEnd(buffer_[2 + kDigitCount])) {
        Drop(2 + kDigitCount);
        return Step::EndOfPass;
    }
    const std::uint8_t c = buffer_[0];
    frame->code = static_cast<std::uint8_t>(c >= 'A' ? c - 55 : c - '0');
    frame->letter = static_cast<char>(buffer_[1]);
    return Step::HaveFrame;
}

CRemoteFramer::Step CRemoteFramer::FinishFrame(Frame* frame) {
    // A lone CR or LF goes with the frame. Of a CR LF pair only the frame's ten bytes go; the
    // pair is skipped by the next resynchronisation.
    Drop(buffer_[2 + kDigitCount + 1] == '\n' ? 2 + kDigitCount : 3 + kDigitCount);
    if (held_ < 3) {
        return Step::Receive;
    }
    if (buffer_[0] >= '0' && buffer_[0] <= '7' && IsEventLetter(buffer_[1])) {
        return FrameHeld(frame);
    }
    return Step::EndOfPass;
}

}  // namespace kelvandor
