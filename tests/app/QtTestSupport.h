#pragma once
// Shared ground for the shell's tests: one QApplication for the test program and settings
// that live in a temporary folder, emptied before every test.

#include <QSettings>
#include <QTemporaryDir>

namespace kelvandor::test {

// Points QSettings at a fresh temporary folder and sets the program's settings home.
// Call from every test's SetUp.
void ResetSettings();

// Runs the event loop until `condition` holds or `timeoutMs` has passed; returns whether
// it held.
template <typename Condition>
bool ProcessEventsUntil(Condition condition, int timeoutMs = 5000);

bool ProcessEventsFor(int ms);

}  // namespace kelvandor::test

#include <QCoreApplication>
#include <QElapsedTimer>

namespace kelvandor::test {

template <typename Condition>
bool ProcessEventsUntil(Condition condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace kelvandor::test
