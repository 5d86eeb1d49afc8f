#include "control/ControlProtocol.h"

#include <algorithm>

#include "base/LittleEndian.h"
#include "base/TextCodec.h"

namespace kelvandor {
namespace {

// A request's fixed words after the length: message, wParam, code.
constexpr std::size_t kRequestWords = 12;
// A reply's result, and the copy-data code when data follows.
constexpr std::size_t kReplyResult = 4;
constexpr std::size_t kReplyWithData = 8;

std::uint32_t WordAt(std::string_view bytes, std::size_t offset) {
    return Le32(reinterpret_cast<const std::uint8_t*>(bytes.data() + offset));
}

void AppendWord(std::string& out, std::uint32_t value) {
    std::uint8_t word[4];
    StoreLe32(word, value);
    out.append(reinterpret_cast<const char*>(word), sizeof word);
}

// The length word and what it says about the frame: the body's size, or why there is none.
struct FrameBody {
    FrameStatus status = FrameStatus::NeedMore;
    std::size_t size = 0;
};

FrameBody ReadLength(std::string_view bytes, std::size_t minimum, std::size_t maximum) {
    if (bytes.size() < 4) {
        return {};
    }
    const std::size_t size = WordAt(bytes, 0);
    if (size < minimum) {
        return {FrameStatus::Malformed, 0};
    }
    if (size > maximum) {
        return {FrameStatus::Oversized, 0};
    }
    if (bytes.size() - 4 < size) {
        return {};
    }
    return {FrameStatus::Complete, size};
}

}  // namespace

ParsedFrame<ControlRequest> ParseControlRequest(std::string_view bytes) {
    ParsedFrame<ControlRequest> parsed;
    const FrameBody body = ReadLength(bytes, kRequestWords, kRequestWords + kMaxControlData);
    parsed.status = body.status;
    if (body.status != FrameStatus::Complete) {
        return parsed;
    }
    parsed.consumed = 4 + body.size;
    parsed.message.message = WordAt(bytes, 4);
    parsed.message.wParam = WordAt(bytes, 8);
    parsed.message.code = WordAt(bytes, 12);
    parsed.message.data = std::string(bytes.substr(4 + kRequestWords, body.size - kRequestWords));
    return parsed;
}

ParsedFrame<ControlReply> ParseControlReply(std::string_view bytes) {
    ParsedFrame<ControlReply> parsed;
    const FrameBody body = ReadLength(bytes, kReplyResult, kReplyWithData + kMaxControlData);
    parsed.status = body.status;
    if (body.status != FrameStatus::Complete) {
        return parsed;
    }
    if (body.size != kReplyResult && body.size < kReplyWithData) {
        parsed.status = FrameStatus::Malformed;
        return parsed;
    }
    parsed.consumed = 4 + body.size;
    parsed.message.result = WordAt(bytes, 4);
    if (body.size >= kReplyWithData) {
        parsed.message.copyData =
            CopyData{WordAt(bytes, 8),
                     std::string(bytes.substr(4 + kReplyWithData, body.size - kReplyWithData))};
    }
    return parsed;
}

std::string EncodeControlRequest(const ControlRequest& request) {
    std::string out;
    AppendWord(out, static_cast<std::uint32_t>(kRequestWords + request.data.size()));
    AppendWord(out, request.message);
    AppendWord(out, request.wParam);
    AppendWord(out, request.code);
    out += request.data;
    return out;
}

std::string EncodeControlReply(const ControlReply& reply) {
    std::string out;
    const std::size_t size =
        reply.copyData ? kReplyWithData + reply.copyData->data.size() : kReplyResult;
    AppendWord(out, static_cast<std::uint32_t>(size));
    AppendWord(out, reply.result);
    if (reply.copyData) {
        AppendWord(out, reply.copyData->code);
        out += reply.copyData->data;
    }
    return out;
}

std::string DataText(std::string_view data, bool utf16) {
    if (!utf16) {
        return Windows1252ToUtf8(data.substr(0, data.find('\0')));
    }
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                                (static_cast<unsigned char>(data[i + 1]) << 8));
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    std::string out;
    for (char32_t cp : DecodeUtf16(units)) {
        AppendUtf8(out, cp);
    }
    return out;
}

CopyData TextCopyData(std::uint32_t code, std::string_view utf8) {
    // Text that is not UTF-8 is taken byte for byte; a NUL would end it on the other side.
    std::u32string text = DecodeUtf8(utf8).value_or(DecodeWindows1252(utf8));
    text.resize(std::min(text.size(), text.find(U'\0')));
    std::string ansi;
    for (char32_t cp : text) {
        const std::optional<unsigned char> byte = UnicodeToWindows1252(cp);
        if (!byte) {
            // The code page cannot carry it: send UTF-16, which carries everything.
            CopyData utf16{code | kCopyDataUtf16, {}};
            for (char16_t unit : EncodeUtf16(text)) {
                utf16.data += static_cast<char>(unit & 0xFF);
                utf16.data += static_cast<char>(unit >> 8);
            }
            utf16.data.append(2, '\0');
            return utf16;
        }
        ansi += static_cast<char>(*byte);
    }
    ansi += '\0';
    return {code, ansi};
}

}  // namespace kelvandor
