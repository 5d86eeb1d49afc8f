#pragma once
// The game view's window: it fills the frame's client area, holds the game view with its
// host and settings store, shows the game screen through its display window, takes the
// arrow keys and lets the game's timer run.

#include <memory>
#include <optional>
#include <string>

#include <QWidget>

#include "app/GameCommands.h"
#include "remote/RemoteReader.h"

namespace kelvandor {

class CKelvandorView;
class CQSettingsStore;
class CQtViewHost;
class GameDisplayWindow;

class CViewWindow : public QWidget, public IGameCommands {
    Q_OBJECT

public:
    // Makes the display window, the host and the game view, which reads its settings now.
    // The game starts running with Create.
    explicit CViewWindow(QWidget* parent);
    // Destroys the view normally: it hides the main window, saves its settings and stops
    // the remote reader; then the settings file is written.
    ~CViewWindow() override;

    // The view's window creation: timer, remote reader, and the question for a puzzle root
    // when there is none.
    void Create();

    // A puzzle root given on the command line: it replaces the stored one for this run.
    void TakeCommandLinePath(const std::string& path);

    // The view's commands for the frame; valid as long as this window.
    IGameCommands* Commands() { return this; }

    // The remote reader's status while it runs.
    std::optional<RemoteStatus> RemoteReaderStatus() const;

    CKelvandorView& View() { return *view_; }
    GameDisplayWindow& Display() { return *display_; }

    bool HandlesCommand(std::uint32_t id) const override;
    bool IsCommandEnabled(std::uint32_t id) override;
    bool IsCommandChecked(std::uint32_t id) override;
    void RunCommand(std::uint32_t id) override;
    void SetZoomMode(int mode) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    GameDisplayWindow* display_ = nullptr;
    std::unique_ptr<CQSettingsStore> settings_;
    std::unique_ptr<CQtViewHost> host_;
    std::unique_ptr<CKelvandorView> view_;
    bool created_ = false;
};

}  // namespace kelvandor
