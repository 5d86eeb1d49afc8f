#pragma once
// CDataStream: a buffered byte source for the image readers, over a file or over one of the
// program's compiled-in resources.
//
// A path that starts with "res:" (any case) followed by two characters each of which is '/'
// or '\' names a resource: "res://TYPE/NAME" (TYPE up to the first separator), or, when no
// separator occurs within the first 63 characters after the prefix, "res://NAME" with the
// type "DATA". TYPE is a non-zero decimal number, one of CURSOR, BITMAP, ICON (1, 2, 3) or
// HTML (23) in any case, or else a type name; NAME is a non-zero decimal number or a name.
// So "res://bitmap/152" yields the bytes of bitmap resource 152: a bitmap-info header
// without a file header.
//
// Reads never fail loudly: they return how much they could deliver, and the readers turn a
// short read into their own exception.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/ResourceTable.h"

namespace kelvandor {

// Splits a res:// path into type and name. False when path is not a resource path.
bool ParseResourcePath(std::string_view path, ResourceId& type, ResourceId& name);

class CDataStream {
public:
    static constexpr std::size_t kDefaultBufferSize = 32768;

    CDataStream() = default;
    ~CDataStream();
    CDataStream(const CDataStream&) = delete;
    CDataStream& operator=(const CDataStream&) = delete;

    // Opens a file or a res:// resource. False when it does not exist or cannot be read, and
    // for anything but a regular file of known, non-zero size on a real file system (a
    // folder, pipe or device, a file of /proc or /sys): such a source could block the reader
    // or never end (base/RegularFile.h). A stream that is open is closed first.
    bool Open(const std::string& path, std::size_t bufferSize = kDefaultBufferSize);
    // Serves bytes that the caller keeps alive for the life of the stream.
    void OpenMemory(std::span<const std::uint8_t> bytes);
    void Close();
    bool IsOpen() const { return open_; }

    // Copies up to n bytes; returns how many it copied (fewer only at the end of the data or
    // on a read error).
    std::size_t Read(void* destination, std::size_t n);
    bool ReadByte(std::uint8_t& value);
    bool ReadLe16(std::uint16_t& value);
    bool ReadLe32(std::uint32_t& value);
    // Reads one text line without its line end ("\n" or "\r\n"). False at the end of data.
    bool ReadLine(std::string& line);
    // The next byte without consuming it, or -1 at the end of the data; GetByte also consumes
    // it. For readers that scan text a byte at a time: both stay inside the buffer until it
    // runs out.
    int PeekByte() {
        if (bufferPos_ == dataLength_ && !Fill()) {
            return -1;
        }
        return data_[bufferPos_];
    }
    int GetByte() {
        const int c = PeekByte();
        bufferPos_ += c >= 0 ? 1 : 0;
        return c;
    }

    // Up to n of the next bytes without consuming them (n is capped at the buffer size);
    // fewer only at the end of the data.
    std::span<const std::uint8_t> Peek(std::size_t n);
    // Consumes n bytes. False (and the position at the end) when fewer are left.
    bool Skip(std::uint64_t n);

    // Moves to an absolute position. False when it lies beyond the end.
    bool Seek(std::uint64_t position);
    std::uint64_t Position() const { return bufferStart_ + bufferPos_; }
    // Total length of the data.
    std::uint64_t Size() const { return size_; }
    bool AtEnd() const { return Position() >= size_; }
    // True once a read, skip or seek asked for bytes beyond the end of the data (peeking does
    // not count). A reader that fails after that has met a source that was cut short.
    bool WantedPastEnd() const { return wantedPastEnd_; }

private:
    // Refills the buffer so that it starts at the current position; keeps unread bytes.
    bool Fill();

    bool open_ = false;
    int fd_ = -1;                       // file streams only
    std::vector<std::uint8_t> buffer_;  // file streams only
    const std::uint8_t* data_ = nullptr;
    std::size_t dataLength_ = 0;     // valid bytes at data_
    std::size_t bufferPos_ = 0;      // read position within data_
    std::uint64_t bufferStart_ = 0;  // stream position of data_[0]
    std::uint64_t size_ = 0;
    bool wantedPastEnd_ = false;
};

}  // namespace kelvandor
