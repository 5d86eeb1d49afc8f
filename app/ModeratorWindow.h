#pragma once
// The quiz master's own window: a second top-level window that shows, read-only and large
// enough to read from two metres, the question with its answers in the correct order and
// where each stands, the players' stars, the turn clock, the round's phase, the puzzle the
// next F5 starts, and the remote. It never takes the keyboard focus unless clicked, and the
// game's keys work in it as in the game window.

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "show/ModeratorModel.h"

class QLabel;
class QTableWidget;
class QTimer;

namespace kelvandor {

class CViewWindow;

class CModeratorWindow : public QWidget {
    Q_OBJECT

public:
    // Follows `view`; the keys of `keyWindow` (its actions and the arrow keys of `view`)
    // work in this window too.
    CModeratorWindow(CViewWindow& view, QWidget& keyWindow);

    // Reads the game's state now (a timer does so ten times a second while shown).
    void Refresh();

    // The model last shown and the next puzzle's line, for tests.
    const ModeratorModel& Model() const { return model_; }
    const NextPuzzleInfo& NextPuzzle() const { return next_; }

    // Puts the window on a screen other than `gameWindow`'s when there is one; returns
    // whether it found one.
    bool PlaceBeside(QWidget& gameWindow);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowModel();
    void ShowPictures();

    QPointer<CViewWindow> view_;
    ModeratorModel model_;
    bool shownOnce_ = false;
    NextPuzzleInfo next_;
    std::string nextRoot_;
    std::int32_t nextNumber_ = -1;
    bool nextFormulas_ = false;
    std::vector<QPixmap> thumbnails_;

    QLabel* phase_ = nullptr;
    QLabel* left_ = nullptr;
    QLabel* clock_ = nullptr;
    QLabel* right_ = nullptr;
    QLabel* question_ = nullptr;
    QTableWidget* answers_ = nullptr;
    QLabel* next_label_ = nullptr;
    QLabel* root_ = nullptr;
    QLabel* remote_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace kelvandor
