#pragma once
// Turns SIGINT and SIGTERM into an orderly close of the program on the user-interface
// thread, so that the game view is destroyed normally and its settings are saved.

#include <functional>

#include <QObject>

class QSocketNotifier;

namespace kelvandor {

class CTerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; `onSignal` runs on the thread that owns this object, once per
    // signal received. Only one instance may exist at a time.
    explicit CTerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    // Restores the previous handlers.
    ~CTerminationSignals() override;

private:
    void OnReadable();

    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace kelvandor
