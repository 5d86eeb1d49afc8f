#pragma once
// The show's records in the running game: at start it decides whether this game keeps the
// crash journal (not when another game already runs), offers the standing of a show that did
// not end, and then feeds the recorder from the view's state on every tick. Write failures
// (a full disk) appear in the status bar; the game never waits for the disk.

#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "show/ShowFiles.h"

class QTimer;
class QWidget;

namespace kelvandor {

class CMainFrame;
class CShowRecorder;
class CShowWriter;
class CViewWindow;

// The restore question: "Die letzte Show wurde nicht beendet. Spielstand wiederherstellen?"
// with "Ja" (the default) and "Nein". Returns true for "Ja".
bool AskToRestoreShow(QWidget* parent);

// Whether another game serves the user's control socket: it holds the socket's claim, or,
// when the claim cannot be checked, it answers an identification.
bool AnotherGameRuns();

class CShowKeeper : public QObject {
    Q_OBJECT

public:
    struct StartOptions {
        bool restoreWithoutAsking = false;  // "-r"
        bool keepRootFromCommandLine = false;  // a root on the command line beats the journal's
        // Replaced in tests; the real ones ask the control socket and a message box.
        std::function<bool()> anotherGameRuns = AnotherGameRuns;
        std::function<bool()> askToRestore = [] { return AskToRestoreShow(nullptr); };
    };

    CShowKeeper(CMainFrame& frame, CViewWindow& view, ShowPaths paths);
    ~CShowKeeper() override;

    // Before the game runs: reads the journal (a damaged one is reported in one line and
    // ignored), restores its standing when it is still marked running and the answer (or
    // "-r") says so, and starts recording.
    void Start(const StartOptions& options);

    // The normal end: a round still in play is logged as aborted, the journal loses its
    // running mark, and everything reaches the disk before this returns.
    void Finish();

    // Whether this game keeps the journal (false while another game runs).
    bool KeepsJournal() const { return journalling_; }
    // The line reported about the journal or the last write failure, if any.
    const QString& LastProblem() const { return lastProblem_; }

    // Feeds the recorder now (the timer does so every tick) and shows new write failures.
    void Poll();

private:
    void Report(const QString& line);

    CMainFrame& frame_;
    CViewWindow& view_;
    ShowPaths paths_;
    bool journalling_ = false;
    bool finished_ = false;
    QString lastProblem_;
    std::unique_ptr<CShowWriter> writer_;
    std::unique_ptr<CShowRecorder> recorder_;
    QTimer* timer_ = nullptr;
};

}  // namespace kelvandor
