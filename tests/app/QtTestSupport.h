#pragma once
// Shared ground for the shell's tests: one QApplication for the test program and settings
// that live in a temporary folder, emptied before every test.

#include <functional>

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QSettings>
#include <QStringList>
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

// Runs `work` on a thread of its own while this thread serves events (a blocking client of
// something that the event loop serves) and returns its result.
template <typename Work>
auto RunBesideEventLoop(Work work);

// Answers the modal dialogs that open while it lives: each new one is handed to `answer`
// (which accepts or rejects it); without an answer it is rejected. The titles of all
// dialogs seen are kept in order.
class CDialogAnswerer : public QObject {
public:
    explicit CDialogAnswerer(std::function<void(QDialog&)> answer = nullptr);
    QStringList titles;

private:
    std::function<void(QDialog&)> answer_;
    QPointer<QWidget> last_;
    QElapsedTimer answeredAt_;
};

}  // namespace kelvandor::test

#include <chrono>
#include <future>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace kelvandor::test {

template <typename Work>
auto RunBesideEventLoop(Work work) {
    auto result = std::async(std::launch::async, work);
    ProcessEventsUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000);
    return result.get();
}

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
