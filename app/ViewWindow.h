#pragma once
// The game view's window: it fills the frame's client area, shows the game screen through
// its display window, takes the arrow keys and drives the game's 50 ms timer.

#include <string>

#include <QWidget>

namespace kelvandor {

class IGameCommands;

class CViewWindow : public QWidget {
    Q_OBJECT

public:
    explicit CViewWindow(QWidget* parent);
    ~CViewWindow() override;

    // The view's commands for the frame; valid as long as this window.
    IGameCommands* Commands();

    // A puzzle root given on the command line: it replaces the stored one for this run.
    void TakeCommandLinePath(const std::string& path);
};

}  // namespace kelvandor
