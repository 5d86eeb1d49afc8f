#include "app/QtViewHost.h"

#include <QCursor>
#include <QtGlobal>

#include <chrono>
#include <cstdio>
#include <QDateTime>
#include <QFile>
#include <QScreen>
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

namespace {

// The trace's clock: microseconds on the steady clock, which is the CLOCK_MONOTONIC that a
// measuring script reads as well.
long long TraceMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CQtViewHost::CQtViewHost(QWidget& window, GameDisplayWindow& display)
    : window_(window),
      display_(display),
      traceTicks_(qEnvironmentVariableIsSet("KELVANDOR_TRACE_TICKS")) {}

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
            if (traceTicks_) {
                // For measuring the shell from outside: when each tick ran, on the steady
                // clock, whether a round was on and how many answers were moving.
                std::fprintf(stderr, "kelvandor-trace tick %u started %u moving %u us %lld\n",
                             SteadyTickCount(), view_->State().Started,
                             view_->State().MovingCount, TraceMicroseconds());
            }
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
    // Traced: when the reader handed the press over (its thread) and when the view had acted
    // on it (the window's thread), the press's way through the event loop.
    if (traceTicks_) {
        std::fprintf(stderr, "kelvandor-trace remote %u read %lld\n", code, TraceMicroseconds());
    }
    Post([code, trace = traceTicks_](CKelvandorView& view) {
        view.OnRemoteButton(code);
        if (trace) {
            std::fprintf(stderr, "kelvandor-trace remote %u handled %lld\n", code,
                         TraceMicroseconds());
        }
    });
}

void CQtViewHost::PostPicturesLoaded() {
    Post([](CKelvandorView& view) { view.OnPicturesLoaded(); });
}

ScreenPoint CQtViewHost::LargestViewSize() {
    // In full screen the view covers the whole screen its window is on.
    const QScreen* screen = window_.screen();
    if (screen == nullptr) {
        return {};
    }
    return {screen->size().width(), screen->size().height()};
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
