#include "control/ControlHandler.h"

#include "control/DocumentPath.h"

namespace kelvandor {
namespace {

constexpr std::uint32_t kTrue = 1;
constexpr std::uint32_t kFalse = 0;

}  // namespace

ControlReply CControlHandler::Handle(const ControlRequest& request) {
    switch (static_cast<ControlMessage>(request.message)) {
        case ControlMessage::Identify:
            return {request.wParam == kIdentifyWord ? kIdentifyWord : 0, std::nullopt};
        case ControlMessage::RemoteRequest:
            return HandleRemoteRequest(request.wParam);
        case ControlMessage::CopyData:
            return HandleCopyData(request.code, request.data);
        case ControlMessage::StatusText:
            target_.SetStatusText(request.wParam, DataText(request.data, false));
            return {0, std::nullopt};
    }
    return {0, std::nullopt};
}

ControlReply CControlHandler::HandleRemoteRequest(std::uint32_t code) {
    switch (code) {
        case kRequestExit:
            return {target_.PostExit() ? kTrue : kFalse, std::nullopt};
        case kRequestDocumentPath:
            // The path comes back as the copy-data a window would have been sent; the result
            // is that of the sending, which the asker always takes.
            return {kTrue, TextCopyData(kCopyDataText, target_.DocumentPath())};
        case kRequestStoredText:
            // A window answered with the text's address, of use only within its own process;
            // here the text itself comes back.
            return {kTrue, TextCopyData(kCopyDataText, storedText_)};
        default:
            return {0, std::nullopt};
    }
}

ControlReply CControlHandler::HandleCopyData(std::uint32_t code, const std::string& data) {
    const bool utf16 = (code & kCopyDataUtf16) != 0;
    const std::string text = DataText(data, utf16);
    switch (code & ~kCopyDataUtf16) {
        case kCopyDataOpenDocument:
            // An empty text names no file: nothing to open.
            if (text.empty()) {
                return {kFalse, std::nullopt};
            }
            return {target_.OpenDocument(MakeFullPath(text)) ? kTrue : kFalse, std::nullopt};
        case kCopyDataText:
            storedText_ = text;
            return {kTrue, std::nullopt};
        case kCopyDataIsDocument:
            return {SameDocumentPath(text, target_.DocumentPath()) ? kTrue : kFalse, std::nullopt};
        default:
            return {kFalse, std::nullopt};
    }
}

}  // namespace kelvandor
