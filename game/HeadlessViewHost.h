#pragma once
// A view host without a window: a simulated clock that moves only when told, recorded sound
// requests, dialogs answered from a queue of prepared answers, posted actions kept in order
// until DeliverPosted runs them, and a back buffer whose invalidated areas are recorded. Used
// by the tests and by `kelvandor-tool` (replay, preview).

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "game/ViewHost.h"

namespace kelvandor {

class CKelvandorView;

class CHeadlessViewHost final : public IViewHost {
public:
    // An area of the back buffer that the view named as changed.
    struct Area {
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        bool operator==(const Area&) const = default;
    };

    struct DialogRequest {
        std::string kind;  // "folder", "text" or "number"
        std::string title;
        std::string prompt;   // empty for the folder picker
        std::string initial;  // initial folder, text, or the number in decimal
    };

    explicit CHeadlessViewHost(std::uint32_t startTick = 1000000, std::int64_t seconds = 0);

    // The view that posted actions are delivered to; nullptr detaches (posts are then kept).
    void Attach(CKelvandorView* view) { view_ = view; }

    // --- Driving the simulation ---
    void Advance(std::uint32_t milliseconds) { now_ += milliseconds; }
    // `count` times: advance the clock by one tick period, run one game tick and deliver what
    // it posted.
    void RunTicks(std::uint32_t count);
    // Runs ticks as RunTicks does until `condition` holds, checking it before each tick.
    // Returns false when it still does not hold after `maxTicks` ticks.
    bool RunTicksUntil(std::uint32_t maxTicks, const std::function<bool()>& condition);
    // Runs the posted actions in order, including those they post in turn. Returns how many
    // ran. Stops after `limit` actions so that a loop of posts cannot freeze the caller.
    std::size_t DeliverPosted(std::size_t limit = 10000);

    // --- Pictures ---
    // With true, a started puzzle's pictures load while the simulation goes on, and the view
    // hears that they are there through a posted action (DeliverPosted, after what was posted
    // before); by default the view waits for them, as replay and preview need.
    void SetPicturesInBackground(bool on) { picturesInBackground_ = on; }
    // The size reported as the largest the view can take (0 x 0: unknown).
    void SetLargestViewSize(ScreenPoint size) { largestView_ = size; }
    // Blocks until a PostPicturesLoaded has been posted since the last call; for tests that
    // wait for the worker threads.
    void WaitForPicturesPosted();

    // --- Dialogs ---
    // The answer to the next dialog: a text for OK, nullopt for Cancel. First in, first out;
    // a dialog without a prepared answer is cancelled.
    void PrepareAnswer(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
    const std::vector<DialogRequest>& Dialogs() const { return dialogs_; }

    // --- Recorded output ---
    const std::vector<std::string>& Sounds() const { return sounds_; }
    // The sounds requested since the previous call, in order.
    std::vector<std::string> TakeSounds();
    std::int32_t RedrawCount() const { return redraws_; }
    // The areas invalidated since the previous call, in order.
    std::vector<Area> TakeInvalidated();
    // Drops the invalidated areas, the dialog requests and the sounds already taken, and of
    // the sounds not yet taken all but the newest keepSounds: for a long run whose driver
    // looks at none of them but the sounds (replay).
    void ForgetRecords(std::size_t keepSounds = 4096);
    bool ReaderRunning() const { return readerRunning_; }
    void SetCursor(std::optional<ScreenPoint> p) { cursor_ = p; }
    void SetViewScreenRect(ScreenRect r) { viewRect_ = r; }
    bool MainWindowHidden() const { return mainWindowHidden_; }

    // --- IViewHost ---
    std::uint32_t TickCount() override { return now_; }
    std::int64_t SecondsSince1970() override { return seconds_; }
    void PlaySound(const char* name) override { sounds_.emplace_back(name); }
    void StartTimer(std::uint32_t, std::uint32_t) override {}
    // The back buffer becomes a black 24-bit image of cx x cy (empty when either is below 1).
    void ResizeDisplay(std::int32_t cx, std::int32_t cy) override;
    CDibImage& BackBuffer() override { return backBuffer_; }
    void InvalidateArea(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) override {
        invalidated_.push_back({x, y, w, h});
    }
    void RedrawAll() override { ++redraws_; }
    std::optional<std::string> FolderPicker(const std::string& title,
                                            const std::string& initialFolder) override;
    std::optional<std::string> TextInputBox(const std::string& title, const std::string& prompt,
                                            const std::string& initialText) override;
    std::optional<std::string> NumberInputBox(const std::string& title, const std::string& prompt,
                                              std::int32_t initialValue) override;
    void PostCommand(CommandId id) override;
    void PostRemoteButton(std::uint32_t code) override;
    void StartRemoteReader() override { readerRunning_ = true; }
    void StopRemoteReader() override { readerRunning_ = false; }
    ScreenRect ViewScreenRect() override { return viewRect_; }
    std::optional<ScreenPoint> CursorPosition() override { return cursor_; }
    void MoveCursor(ScreenPoint p) override { cursor_ = p; }
    void HideMainWindow() override { mainWindowHidden_ = true; }
    bool LoadsPicturesInBackground() const override { return picturesInBackground_; }
    void PostPicturesLoaded() override;
    ScreenPoint LargestViewSize() override { return largestView_; }

private:
    struct RemoteButton {
        std::uint32_t code;
    };
    struct PicturesLoaded {};
    using Posted = std::variant<CommandId, RemoteButton, PicturesLoaded>;

    std::optional<std::string> Answer(DialogRequest request);

    CKelvandorView* view_ = nullptr;
    std::uint32_t now_;
    std::int64_t seconds_;
    std::vector<std::string> sounds_;
    std::size_t soundsTaken_ = 0;
    std::deque<std::optional<std::string>> answers_;
    std::vector<DialogRequest> dialogs_;
    std::mutex postedMutex_;  // the remote reader may post from its own thread
    std::deque<Posted> posted_;
    std::condition_variable picturesPosted_;
    bool picturesPostedFlag_ = false;
    bool picturesInBackground_ = false;
    ScreenPoint largestView_;
    std::int32_t redraws_ = 0;
    CDibImage backBuffer_;
    std::vector<Area> invalidated_;
    bool readerRunning_ = false;
    bool mainWindowHidden_ = false;
    std::optional<ScreenPoint> cursor_;
    ScreenRect viewRect_;
};

}  // namespace kelvandor
