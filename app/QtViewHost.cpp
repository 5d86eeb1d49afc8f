#include "app/QtViewHost.h"

#include <QCursor>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include "app/GameDisplayWindow.h"
#include "app/Windows1252.h"
#include "base/SteadyTick.h"
#include "dialogs/InputBoxes.h"
#include "game/KelvandorView.h"
#include "remote/RemoteLink.h"
#include "sound/PlaySound.h"

namespace kelvandor {

CQtViewHost::CQtViewHost(QWidget& window, GameDisplayWindow& display)
    : window_(window), display_(display) {}

CQtViewHost::~CQtViewHost() {
    StopRemoteReader();
    delete timer_;
}

std::uint32_t CQtViewHost::TickCount() {
    return SteadyTickCount();
}

std::int64_t CQtViewHost::SecondsSince1970() {
    return QDateTime::currentSecsSinceEpoch();
}

void CQtViewHost::PlaySound(const char* name) {
    PlaySoundAsync(name);
}

void CQtViewHost::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
    delete timer_;
    timer_ = new QTimer(&window_);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, &window_, [this, id] {
        if (view_ != nullptr) {
            view_->OnTimer(id);
        }
    });
    timer_->start(static_cast<int>(periodMs));
}

void CQtViewHost::ResizeDisplay(std::int32_t cx, std::int32_t cy) {
    display_.Resize(cx, cy);
}

CDibImage& CQtViewHost::BackBuffer() {
    return display_.BackBuffer();
}

void CQtViewHost::InvalidateArea(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    display_.InvalidateArea(x, y, w, h, true);
}

void CQtViewHost::RedrawAll() {
    display_.RedrawNow();
}

std::optional<std::string> CQtViewHost::FolderPicker(const std::string& title,
                                                     const std::string& initialFolder) {
    // Paths keep the file system's bytes; only the title is a text.
    const auto folder = kelvandor::FolderPicker(&window_, FromWindows1252(title),
                                                QFile::decodeName(initialFolder.c_str()));
    if (!folder) {
        return std::nullopt;
    }
    return QFile::encodeName(*folder).toStdString();
}

std::optional<std::string> CQtViewHost::TextInputBox(const std::string& title,
                                                     const std::string& prompt,
                                                     const std::string& initialText) {
    const auto text = kelvandor::TextInputBox(
        &window_, FromWindows1252(title), FromWindows1252(prompt), FromWindows1252(initialText));
    if (!text) {
        return std::nullopt;
    }
    return ToWindows1252(*text);
}

std::optional<std::string> CQtViewHost::NumberInputBox(const std::string& title,
                                                       const std::string& prompt,
                                                       std::int32_t initialValue) {
    const auto text = kelvandor::NumberInputBox(&window_, FromWindows1252(title),
                                                FromWindows1252(prompt), initialValue);
    if (!text) {
        return std::nullopt;
    }
    return ToWindows1252(*text);
}

template <typename Action>
void CQtViewHost::Post(Action action) {
    // Queued to the window's thread: safe from the reader thread, delivered in call order,
    // and dropped with the window.
    QMetaObject::invokeMethod(
        &window_,
        [this, action] {
            if (view_ != nullptr) {
                action(*view_);
            }
        },
        Qt::QueuedConnection);
}

void CQtViewHost::PostCommand(CommandId id) {
    Post([id](CKelvandorView& view) { view.OnCommand(id); });
}

void CQtViewHost::PostRemoteButton(std::uint32_t code) {
    Post([code](CKelvandorView& view) { view.OnRemoteButton(code); });
}

void CQtViewHost::StartRemoteReader() {
    if (remote_ || view_ == nullptr) {
        return;
    }
    // The user may map a port to any device (a USB adapter, say) in the settings; the
    // lookup runs on the reader thread, and QSettings objects are per thread.
    ProcessComPorts().SetResolver(
        MakeComDeviceResolver([](const std::string& name) -> std::optional<std::string> {
            const QVariant value = QSettings().value(QString::fromStdString(name));
            if (!value.isValid()) {
                return std::nullopt;
            }
            return QFile::encodeName(value.toString()).toStdString();
        }));
    // Every press, the stop buttons included, is handed to the user-interface thread in
    // arrival order, where the view maps it to its action; the reader never touches the game.
    remote_ = std::make_unique<CRemoteLink>(
        view_->State().ComPort, [this](const RemotePress& press) { PostRemoteButton(press.code); });
    remote_->Start();
}

void CQtViewHost::StopRemoteReader() {
    if (remote_) {
        remote_->Stop();
        remote_.reset();
    }
}

void CQtViewHost::RequestRemoteReaderStop() {
    if (remote_) {
        remote_->RequestStop();
    }
}

std::optional<RemoteStatus> CQtViewHost::RemoteReaderStatus() const {
    if (!remote_) {
        return std::nullopt;
    }
    return remote_->Status();
}

ScreenRect CQtViewHost::ViewScreenRect() {
    const QPoint topLeft = window_.mapToGlobal(QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + window_.width(),
            topLeft.y() + window_.height()};
}

std::optional<ScreenPoint> CQtViewHost::CursorPosition() {
    const QPoint p = QCursor::pos();
    return ScreenPoint{p.x(), p.y()};
}

void CQtViewHost::MoveCursor(ScreenPoint p) {
    QCursor::setPos(p.x, p.y);
}

void CQtViewHost::HideMainWindow() {
    window_.window()->hide();
}

}  // namespace kelvandor
