#include "remote/RemoteFramer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace kelvandor {
namespace {

constexpr std::size_t kDigitCount = 8;                   // hex digits after the event letter
constexpr std::size_t kFrameLength = 2 + kDigitCount + 1;  // with its terminator

bool IsHexDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsEventLetter(std::uint8_t c) {
    return c == 'U' || c == 'S' || c == 'D';
}

bool IsLineEnd(std::uint8_t c) {
    return c == '\r' || c == '\n';
}

// Whether the byte at position i of a frame may stand there.
bool FitsFrameAt(std::size_t i, std::uint8_t c) {
    if (i == 0) {
        return IsHexDigit(c);
    }
    if (i == 1) {
        return IsEventLetter(c);
    }
    if (i < 2 + kDigitCount) {
        return IsHexDigit(c);
    }
    return IsLineEnd(c);
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

CRemoteFramer::Step CRemoteFramer::BeginPass(Frame* frame) {
    return FrameHeld(frame);
}

// The held bytes from the start either are a whole frame, or can still become one (wait for
// more), or cannot: then only the first byte goes, since a frame may begin at the next one.
// The decision at every point depends only on bytes that have arrived and that any split of
// the stream would have delivered by then.
CRemoteFramer::Step CRemoteFramer::FrameHeld(Frame* frame) {
    for (;;) {
        std::size_t fitting = 0;
        while (fitting < held_ && fitting < kFrameLength && FitsFrameAt(fitting, buffer_[fitting])) {
            ++fitting;
        }
        if (fitting == kFrameLength) {
            const std::uint8_t c = buffer_[0];
            frame->code = static_cast<std::uint8_t>(c >= 'A' ? c - 55 : c - '0');
            frame->letter = static_cast<char>(buffer_[1]);
            return Step::HaveFrame;
        }
        if (fitting == held_) {
            return Step::Receive;  // nothing held, or the start of a frame still arriving
        }
        Drop(1);
    }
}

CRemoteFramer::Step CRemoteFramer::FinishFrame(Frame* frame) {
    Drop(kFrameLength);
    return FrameHeld(frame);
}

std::vector<CRemoteFramer::Frame> FrameInPieces(std::span<const std::uint8_t> bytes,
                                                std::span<const std::uint8_t> pieceSizes) {
    std::vector<CRemoteFramer::Frame> frames;
    CRemoteFramer framer;
    std::size_t next = 0;
    std::size_t piece = 0;
    for (;;) {
        CRemoteFramer::Frame frame;
        CRemoteFramer::Step step = framer.BeginPass(&frame);
        while (step == CRemoteFramer::Step::HaveFrame) {
            frames.push_back(frame);
            step = framer.FinishFrame(&frame);
        }
        if (next == bytes.size()) {
            return frames;
        }
        std::size_t count = framer.FreeCount();
        if (!pieceSizes.empty()) {
            count = std::min<std::size_t>(count, std::max<std::size_t>(pieceSizes[piece], 1));
            piece = (piece + 1) % pieceSizes.size();
        }
        count = std::min(count, bytes.size() - next);
        std::copy_n(bytes.data() + next, count, framer.FreeSpace());
        framer.Commit(count);
        next += count;
    }
}

}  // namespace kelvandor
