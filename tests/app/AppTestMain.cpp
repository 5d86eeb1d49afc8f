// The test program's main: GoogleTest needs a QApplication around every Qt test.

#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QFile>
#include <QTimer>

#include "app/KelvandorApp.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor::test {
namespace {
std::unique_ptr<QTemporaryDir> g_settingsDir;
}

void ResetSettings() {
    g_settingsDir = std::make_unique<QTemporaryDir>();
    CKelvandorApp::UseSettingsFolder(g_settingsDir->path());
    CKelvandorApp::SetSettingsHome();
}

bool ProcessEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

CDialogAnswerer::CDialogAnswerer(std::function<void(QDialog&)> answer)
    : answer_(std::move(answer)) {
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        if (dialog == last_) {
            // An answer the dialog refused must fail the test, not hang it.
            if (answeredAt_.elapsed() > 2000) {
                dialog->reject();
            }
            return;
        }
        last_ = dialog;
        answeredAt_.start();
        titles << dialog->windowTitle();
        if (answer_) {
            answer_(*dialog);
        } else {
            dialog->reject();
        }
    });
    poll->start(10);
}

}  // namespace kelvandor::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The programs the tests start serve their control socket here, so that they never meet
    // the user's running game, nor each other across test processes.
    const QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    // Nor do they touch the user's show journal and log.
    const QTemporaryDir showHome;
    qputenv("XDG_STATE_HOME", QFile::encodeName(showHome.path() + QStringLiteral("/state")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(showHome.path() + QStringLiteral("/data")));
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
