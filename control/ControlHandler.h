#pragma once
// What a control request does: identification, the remote requests (end the program, the
// document's path, the stored text), copy-data (rename the document, keep a text, ask
// whether a path names the document) and the status-bar text. The program's side is an
// interface, so that the rules are tested without a window.

#include <cstdint>
#include <string>

#include "control/ControlProtocol.h"

namespace kelvandor {

// The running program as the control requests reach it. Texts are UTF-8.
class IControlTarget {
public:
    virtual ~IControlTarget() = default;

    // Ends the program as its "Beenden" item does (settings saved), once the current request
    // has been answered. Returns whether the end was queued.
    virtual bool PostExit() = 0;
    // The current document's full path name; empty when there is no document.
    virtual std::string DocumentPath() = 0;
    // Makes `fullPath` the document's path name (nothing is read; the title changes).
    // Returns whether a document resulted.
    virtual bool OpenDocument(const std::string& fullPath) = 0;
    // Shows `text` in the status bar's pane `pane` (0 is the message pane); a pane that does
    // not exist is ignored.
    virtual void SetStatusText(std::uint32_t pane, const std::string& text) = 0;
};

class CControlHandler {
public:
    // `target` must outlive the handler.
    explicit CControlHandler(IControlTarget& target) : target_(target) {}

    // Carries out one request and returns its reply. A message, request or copy-data code
    // that is not listed returns 0 and changes nothing.
    ControlReply Handle(const ControlRequest& request);

    // The last text received with copy-data kCopyDataText (UTF-8); empty at start.
    const std::string& StoredText() const { return storedText_; }

private:
    ControlReply HandleRemoteRequest(std::uint32_t code);
    ControlReply HandleCopyData(std::uint32_t code, const std::string& data);

    IControlTarget& target_;
    std::string storedText_;
};

}  // namespace kelvandor
