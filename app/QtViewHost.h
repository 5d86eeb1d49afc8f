#pragma once
// The game view's host in the Qt program: the real clocks, sounds, the display window, the
// game timer, the dialogs, queued hand-over to the user-interface thread, the mouse pointer
// and the remote reader.

#include <cstdint>
#include <memory>

#include <QObject>

#include "game/ViewHost.h"
#include "remote/RemoteReader.h"

class QTimer;
class QWidget;

namespace kelvandor {

class CKelvandorView;
class CRemoteLink;
class GameDisplayWindow;

class CQtViewHost final : public QObject, public IViewHost {
    Q_OBJECT

public:
    // `window` is the view's window: dialogs open over it, and the timer and everything
    // posted run on its thread and are dropped once it is gone. `display` shows the back
    // buffer. Both must outlive the host.
    CQtViewHost(QWidget& window, GameDisplayWindow& display);
    ~CQtViewHost() override;

    // The view that timer ticks and posted actions go to; nullptr stops them.
    void SetView(CKelvandorView* view) { view_ = view; }

    // Asks the remote reader to end without waiting; StopRemoteReader waits for the rest.
    void RequestRemoteReaderStop();

    // The remote reader's status while it runs (port, open or not, last button).
    std::optional<RemoteStatus> RemoteReaderStatus() const;

    std::uint32_t TickCount() override;
    std::int64_t SecondsSince1970() override;
    void PlaySound(const char* name) override;
    void StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
    void ResizeDisplay(std::int32_t cx, std::int32_t cy) override;
    CDibImage& BackBuffer() override;
    void InvalidateArea(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) override;
    void RedrawAll() override;
    std::optional<std::string> FolderPicker(const std::string& title,
                                            const std::string& initialFolder) override;
    std::optional<std::string> TextInputBox(const std::string& title, const std::string& prompt,
                                            const std::string& initialText) override;
    std::optional<std::string> NumberInputBox(const std::string& title, const std::string& prompt,
                                              std::int32_t initialValue) override;
    void PostCommand(CommandId id) override;
    void PostRemoteButton(std::uint32_t code) override;
    void StartRemoteReader() override;
    void StopRemoteReader() override;
    ScreenRect ViewScreenRect() override;
    std::optional<ScreenPoint> CursorPosition() override;
    void MoveCursor(ScreenPoint p) override;
    void HideMainWindow() override;
    bool LoadsPicturesInBackground() const override { return true; }
    void PostPicturesLoaded() override;
    ScreenPoint LargestViewSize() override;

private:
    template <typename Action>
    void Post(Action action);

    QWidget& window_;
    GameDisplayWindow& display_;
    CKelvandorView* view_ = nullptr;
    QTimer* timer_ = nullptr;
    std::unique_ptr<CRemoteLink> remote_;
    bool traceTicks_ = false;  // KELVANDOR_TRACE_TICKS set: ticks and remote presses are logged
};

}  // namespace kelvandor
