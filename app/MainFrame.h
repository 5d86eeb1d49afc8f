#pragma once
// The program's only top-level window: menu bar, toolbar and status bar around the game
// view's window, the full-screen zoom for the big screen, stay-on-top and the flat toolbar.
// The game itself lives in the view; the frame only routes commands to it.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QMainWindow>

#include "app/WindowPlacement.h"

class QAction;
class QLabel;
class QSettings;
class QTimer;
class QToolBar;

namespace kelvandor {

class IGameCommands;
class CLockKeyIndicators;
class CMenuStyle;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // Reads the frame's settings ("FlatMode", "ShowGamerBar") and builds actions, menus,
    // toolbar and status bar. The settings live in the application's QSettings home.
    CMainFrame();
    ~CMainFrame() override;

    // Puts the view's window into the client area (the frame takes ownership of the widget)
    // and routes the game commands to `commands`, which must outlive the frame or be reset
    // with nullptr first.
    void SetView(QWidget* viewWindow, IGameCommands* commands);

    // Puts the window where the last run left it, if that still lies on a monitor; else it
    // keeps its default place. Returns whether the window is to be shown maximised.
    bool RestorePlacement();

    // Runs a command as if its menu item had been chosen: the frame's own commands directly,
    // the game's through their enable rule. Unknown ids and keys without an effect do nothing.
    void ExecuteCommand(std::uint32_t id);
    // Runs the command later, from the event loop (as a posted window message would).
    void PostCommand(std::uint32_t id);

    // Brings every action's enabled and checked state up to date with the rules.
    void UpdateCommandStates();

    // The quiz master's window behind "&Moderatorfenster": `toggle` opens or closes it,
    // `shown` says whether it is open (the check mark).
    void SetModeratorWindowToggle(std::function<void()> toggle, std::function<bool()> shown);

    // Adds a pane to the status bar, left of the lock-key indicators; the frame owns it.
    void AddStatusPane(QWidget* pane);

    // The action of a command id, or nullptr.
    QAction* Action(std::uint32_t id) const;

    int ZoomMode() const { return m_zoomMode; }
    bool IsFlatMode() const { return m_flatMode; }
    bool IsStayOnTop() const { return m_stayOnTop; }

    // Writes the frame's settings ("FlatMode", "ShowGamerBar" and the placement the window
    // had when it closed, else the one it has) into the settings home. They reach the disk
    // with the next write of the settings file, at the latest when the frame goes; the
    // application calls this before the view saves its own values, so that the one write of
    // the file at exit takes them all.
    void WriteSettings();

    // The status bar's message pane; shows "Bereit" while no prompt is shown.
    QString MessageText() const;

    // Shows `text` at once in status-bar pane `pane`: 0 is the message pane, 1 to 3 are the
    // lock-key indicators. Other panes are ignored.
    void SetPaneText(std::uint32_t pane, const QString& text);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void ReadSettings();
    SavedPlacement CurrentPlacement() const;
    // The frame's one QSettings object: changes stay pending until the file is written.
    QSettings& Settings();

    void ToggleFullScreen();
    void ToggleFlatToolbar();
    void ToggleStayOnTop();
    void ApplyToolbarStyle();
    void ShowMessage(const QString& text);
    void FitFrameToScreen();

    bool IsFrameCommand(std::uint32_t id) const;

    IGameCommands* m_commands = nullptr;
    std::function<void()> m_toggleModerator;
    std::function<bool()> m_moderatorShown;
    std::map<std::uint32_t, QAction*> m_actions;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_messagePane = nullptr;
    CLockKeyIndicators* m_lockKeys = nullptr;
    CMenuStyle* m_menuStyle = nullptr;
    QTimer* m_idleTimer = nullptr;

    bool m_flatMode = true;
    int m_showGamerBar = 0;  // kept for other versions; read and written back unchanged
    bool m_stayOnTop = false;
    int m_zoomMode = 0;
    bool m_toolBarWasVisible = false;
    bool m_statusBarWasVisible = false;
    bool m_settingsWritten = false;
    std::optional<SavedPlacement> m_closedPlacement;
    std::unique_ptr<QSettings> m_settings;
    bool m_fitFramePending = false;  // a restored window was fitted without its frame
};

}  // namespace kelvandor
