#pragma once
// The wire format of the control socket, through which other programs find and drive a
// running game: requests and replies are frames of little-endian 32-bit words and bytes
// (docs/control-socket.md). Pure functions over bytes, so that every input can be fuzzed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvandor {

// The window messages the socket carries, by their numbers on Windows. The registered
// message "Kelvandor" has no fixed number there; on the socket it is 0xC000.
enum class ControlMessage : std::uint32_t {
    Identify = 0xC000,
    CopyData = 0x004A,
    RemoteRequest = 0x27F5,
    StatusText = 0x2C3F,
};

// The word that identification answers with itself.
constexpr std::uint32_t kIdentifyWord = 0x12345678;

// Remote requests (the message's wParam).
constexpr std::uint32_t kRequestExit = 0;
constexpr std::uint32_t kRequestDocumentPath = 2;
constexpr std::uint32_t kRequestStoredText = 4;

// Copy-data codes; kCopyDataUtf16 set in a code means the data is UTF-16 text.
constexpr std::uint32_t kCopyDataOpenDocument = 0x27F50001;
constexpr std::uint32_t kCopyDataText = 0x27F50002;
constexpr std::uint32_t kCopyDataIsDocument = 0x27F50003;
constexpr std::uint32_t kCopyDataUtf16 = 0x8000;

// The most bytes of data a request or a reply carries.
constexpr std::size_t kMaxControlData = 16384;

// A request: a window message with its two parameters. `code` is the copy-data code (0 for
// the other messages); `data` the copy-data's bytes or the status text.
struct ControlRequest {
    std::uint32_t message = 0;
    std::uint32_t wParam = 0;
    std::uint32_t code = 0;
    std::string data;

    friend bool operator==(const ControlRequest&, const ControlRequest&) = default;
};

// Copy-data: a code and its bytes.
struct CopyData {
    std::uint32_t code = 0;
    std::string data;

    friend bool operator==(const CopyData&, const CopyData&) = default;
};

// A reply: the message's result and, for the requests that answer with text, the copy-data
// that a window would have been sent.
struct ControlReply {
    std::uint32_t result = 0;
    std::optional<CopyData> copyData;

    friend bool operator==(const ControlReply&, const ControlReply&) = default;
};

enum class FrameStatus {
    NeedMore,   // the bytes are the start of a frame; wait for the rest
    Complete,   // a whole frame: `consumed` bytes of the input
    Malformed,  // the bytes cannot be a frame
    Oversized,  // the frame announces more data than kMaxControlData
};

template <typename Message>
struct ParsedFrame {
    FrameStatus status = FrameStatus::NeedMore;
    std::size_t consumed = 0;
    Message message;
};

// Reads the request at the start of `bytes`. A frame's size is known from its first four
// bytes, so a malformed or oversized one is reported before its data arrives.
ParsedFrame<ControlRequest> ParseControlRequest(std::string_view bytes);
ParsedFrame<ControlReply> ParseControlReply(std::string_view bytes);

// The frames of a request and of a reply. Data beyond kMaxControlData is the caller's fault.
std::string EncodeControlRequest(const ControlRequest& request);
std::string EncodeControlReply(const ControlReply& reply);

// The text that copy-data or a status text carries, as UTF-8: UTF-16 (little-endian) when
// the code has kCopyDataUtf16 set, else Windows-1252; it ends at the first NUL, or with the
// data when there is none.
std::string DataText(std::string_view data, bool utf16);

// A text (UTF-8) as copy-data with `code`: Windows-1252 when the code page holds every
// character, else UTF-16 with kCopyDataUtf16 added to the code; NUL-terminated either way.
CopyData TextCopyData(std::uint32_t code, std::string_view utf8);

}  // namespace kelvandor
