#include "app/ViewWindow.h"

namespace kelvandor {

CViewWindow::CViewWindow(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setMinimumSize(320, 200);
}

CViewWindow::~CViewWindow() = default;

IGameCommands* CViewWindow::Commands() {
    return nullptr;
}

void CViewWindow::TakeCommandLinePath(const std::string&) {}

}  // namespace kelvandor
