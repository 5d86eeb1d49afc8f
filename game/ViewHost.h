#pragma once
// The game view's only way to the outside world. The Qt shell implements it with a window,
// a timer and real dialogs; tests and the headless tool use CHeadlessViewHost with a
// simulated clock, recorded sounds and prepared dialog answers.

#include <cstdint>
#include <optional>
#include <string>

#include "game/CommandIds.h"
#include "image/DibImage.h"

namespace kelvandor {

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool Contains(ScreenPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
};

// All methods are called on the user-interface thread, except the two Post methods, which
// the remote reader thread calls as well: they must be safe to call from any thread and must
// deliver in the order of the calls.
class IViewHost {
public:
    virtual ~IViewHost() = default;

    // The system's millisecond tick count (32 bits, wrapping); compared by unsigned subtraction.
    virtual std::uint32_t TickCount() = 0;
    // Seconds since 1970-01-01 00:00 UTC, for seeding the game's random generator.
    virtual std::int64_t SecondsSince1970() = 0;

    // Requests one of the sounds "TICK", "TUCK", "WRONG", "ERROR", "CLING1", "CLING2" and
    // returns at once; `name` is a string constant.
    virtual void PlaySound(const char* name) = 0;

    // Starts the repeating timer that calls CKelvandorView::OnTimer(id) every `periodMs`.
    virtual void StartTimer(std::uint32_t id, std::uint32_t periodMs) = 0;

    // The display window takes the new client size; its back buffer follows it.
    virtual void ResizeDisplay(std::int32_t cx, std::int32_t cy) = 0;
    // The display window's back buffer: a 24-bit image of the display's size (empty before
    // the first ResizeDisplay), owned by the host. The view draws the game screen into it and
    // names the changed areas with InvalidateArea. The reference stays valid for the host's
    // lifetime; its size changes only through ResizeDisplay.
    virtual CDibImage& BackBuffer() = 0;
    // The back-buffer area (x, y, w, h) changed and must be shown again.
    virtual void InvalidateArea(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) = 0;
    // The whole display must be repainted at once.
    virtual void RedrawAll() = 0;

    // Modal dialogs. Each returns the text the user confirmed, or nullopt on Cancel. Texts
    // are Windows-1252 bytes. The number box returns its field text unparsed: the view reads it.
    virtual std::optional<std::string> FolderPicker(const std::string& title,
                                                    const std::string& initialFolder) = 0;
    virtual std::optional<std::string> TextInputBox(const std::string& title,
                                                    const std::string& prompt,
                                                    const std::string& initialText) = 0;
    virtual std::optional<std::string> NumberInputBox(const std::string& title,
                                                      const std::string& prompt,
                                                      std::int32_t initialValue) = 0;

    // Hand an action to the view's own thread, to run there after what is running now:
    // OnCommand(id) (through its enable rule), and OnRemoteButton(code) for a remote press,
    // which the view maps to its action there (the stop buttons as JudgePlayer, never as the
    // stop commands, so that they also work between rounds).
    virtual void PostCommand(CommandId id) = 0;
    virtual void PostRemoteButton(std::uint32_t code) = 0;

    // The remote reader lives from the view's creation to its destruction. Stop returns once
    // the reader has ended.
    virtual void StartRemoteReader() = 0;
    virtual void StopRemoteReader() = 0;

    // The view window's rectangle in screen coordinates, the mouse pointer, and moving it;
    // used to keep the pointer out of the picture in full-screen mode.
    virtual ScreenRect ViewScreenRect() = 0;
    virtual std::optional<ScreenPoint> CursorPosition() = 0;
    virtual void MoveCursor(ScreenPoint p) = 0;

    // Hides the application's main window while the view shuts down.
    virtual void HideMainWindow() = 0;

    // --- Loading a puzzle's pictures ---
    // Whether the host delivers PostPicturesLoaded while its user-interface thread goes on
    // (so the window keeps painting while a puzzle's pictures load). Hosts that do not (the
    // tests, replay) never get the call: the view then waits for the pictures itself.
    virtual bool LoadsPicturesInBackground() const { return false; }
    // Called on a worker thread once the pictures of the puzzle being started have loaded;
    // the host calls CKelvandorView::OnPicturesLoaded on the user-interface thread, in order
    // with what else it posts. Safe to call from any thread.
    virtual void PostPicturesLoaded() {}
    // The largest size the view can take on its screen (its size in full screen), which
    // bounds the size pictures are loaded at; 0 x 0 when unknown (the current size counts).
    virtual ScreenPoint LargestViewSize() { return {}; }
};

}  // namespace kelvandor
