#include "app/ViewWindow.h"

#include <QKeyEvent>
#include <QResizeEvent>

#include "app/GameDisplayWindow.h"
#include "app/QSettingsStore.h"
#include "app/QtViewHost.h"
#include "game/CommandTable.h"
#include "game/KelvandorView.h"
#include "game/ScreenLayout.h"
#include "image/ImageFile.h"

namespace kelvandor {
namespace {

std::optional<ArrowKey> ArrowKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Left:
            return ArrowKey::Left;
        case Qt::Key_Right:
            return ArrowKey::Right;
        case Qt::Key_Up:
            return ArrowKey::Up;
        case Qt::Key_Down:
            return ArrowKey::Down;
        default:
            return std::nullopt;
    }
}

}  // namespace

CViewWindow::CViewWindow(QWidget* parent) : QWidget(parent) {
    // The game paints everything itself, through the display window.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // Below this the board cannot be drawn inside the play area; the frame adds its bars.
    setMinimumSize(kMinimumViewWidth, kMinimumViewHeight);

    display_ = new GameDisplayWindow(this);
    display_->SetBackgroundColour(0x000000);
    settings_ = std::make_unique<CQSettingsStore>();
    host_ = std::make_unique<CQtViewHost>(*this, *display_);
    view_ = std::make_unique<CKelvandorView>(*host_, *settings_, LoadImageFileWithin);
    host_->SetView(view_.get());
}

CViewWindow::~CViewWindow() {
    // The remote reader winds down while the view saves its settings.
    host_->RequestRemoteReaderStop();
    if (created_) {
        view_->OnDestroy();
    }
    view_.reset();
    host_->SetView(nullptr);
    host_.reset();
    // The settings file is written now, once, with the frame's values and the view's.
    settings_.reset();
}

void CViewWindow::Create() {
    if (created_) {
        return;
    }
    created_ = true;
    view_->OnCreate();
    if (width() > 0 && height() > 0) {
        view_->OnSize(width(), height());
    }
}

void CViewWindow::TakeCommandLinePath(const std::string& path) {
    view_->SetPuzzlePathFromCommandLine(path);
}

std::optional<RemoteStatus> CViewWindow::RemoteReaderStatus() const {
    return host_ ? host_->RemoteReaderStatus() : std::nullopt;
}

bool CViewWindow::HandlesCommand(std::uint32_t id) const {
    return FindViewCommand(static_cast<CommandId>(id)) != nullptr;
}

bool CViewWindow::IsCommandEnabled(std::uint32_t id) {
    return view_->IsCommandEnabled(static_cast<CommandId>(id));
}

bool CViewWindow::IsCommandChecked(std::uint32_t id) {
    return view_->IsCommandChecked(static_cast<CommandId>(id));
}

void CViewWindow::RunCommand(std::uint32_t id) {
    view_->OnCommand(static_cast<CommandId>(id));
}

void CViewWindow::SetZoomMode(int mode) {
    view_->SetZoomMode(static_cast<std::uint32_t>(mode));
}

void CViewWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (created_) {
        view_->OnSize(event->size().width(), event->size().height());
    }
}

void CViewWindow::keyPressEvent(QKeyEvent* event) {
    if (const auto key = ArrowKeyOf(event->key())) {
        view_->OnKeyDown(static_cast<std::uint32_t>(*key));
        event->accept();
        return;
    }
    // The view ignores every other key and does not pass it on.
    event->accept();
}

}  // namespace kelvandor
