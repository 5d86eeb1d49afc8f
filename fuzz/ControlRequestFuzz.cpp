// Bytes from another program on the control socket: the request parser (and the reply
// parser the client uses), with the texts they carry decoded both ways. A request that parses
// must come back the same when it is encoded and parsed again.

#include <string_view>

#include "FuzzTarget.h"
#include "control/ControlProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvandor;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto request = ParseControlRequest(bytes);
    if (request.status == FrameStatus::Complete) {
        if (request.consumed == 0 || request.consumed > size ||
            ParseControlRequest(EncodeControlRequest(request.message)).message != request.message) {
            __builtin_trap();
        }
        DataText(request.message.data, (request.message.code & kCopyDataUtf16) != 0);
    }
    const auto reply = ParseControlReply(bytes);
    if (reply.status == FrameStatus::Complete && (reply.consumed == 0 || reply.consumed > size)) {
        __builtin_trap();
    }
    DataText(bytes, true);
    DataText(bytes, false);
    return 0;
}
