#include "app/ShowKeeper.h"

#include <iostream>

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/ViewWindow.h"
#include "base/SteadyTick.h"
#include "control/ControlSocket.h"
#include "game/KelvandorView.h"
#include "show/ShowJournal.h"
#include "show/ShowRecorder.h"
#include "show/ShowWriter.h"

namespace kelvandor {
namespace {

// As often as the game ticks, so that a change reaches the journal within one tick.
constexpr int kPollMs = 50;
// A running game answers at once; one that does not within this is taken as gone.
constexpr int kIdentifyTimeoutMs = 1000;

}  // namespace

bool AskToRestoreShow(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Kelvandor"),
                    QStringLiteral("Die letzte Show wurde nicht beendet. "
                                   "Spielstand wiederherstellen?"),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

bool AnotherGameRuns() {
    const std::string path = DefaultControlSocketPath();
    // The game that serves the socket holds its claim for as long as it lives, also when it
    // is too busy to answer; this game makes its own claim only later in its start-up.
    CControlSocketClaim::Outcome outcome = CControlSocketClaim::Outcome::Failed;
    std::string error;
    if (CControlSocketClaim::Claim(path, &outcome, &error) != nullptr ||
        outcome == CControlSocketClaim::Outcome::InUse) {
        return outcome == CControlSocketClaim::Outcome::InUse;
    }
    // No claim could be made either way: ask the socket itself.
    const ControlRequest identify{static_cast<std::uint32_t>(ControlMessage::Identify),
                                  kIdentifyWord, 0, {}};
    const ControlExchange exchange = ExchangeControlRequest(path, identify, kIdentifyTimeoutMs);
    return exchange.status == ControlExchange::Status::Replied &&
           exchange.reply.result == kIdentifyWord;
}

CShowKeeper::CShowKeeper(CMainFrame& frame, CViewWindow& view, ShowPaths paths)
    : frame_(frame), view_(view), paths_(std::move(paths)) {}

CShowKeeper::~CShowKeeper() {
    Finish();
}

void CShowKeeper::Start(const StartOptions& options) {
    journalling_ = !paths_.journal.empty() && !options.anotherGameRuns();
    if (journalling_) {
        const JournalReading reading = ReadShowJournal(paths_.journal);
        if (reading.status == JournalReading::Status::Damaged) {
            Report(QStringLiteral("Spielstand %1 unbrauchbar, nicht verwendet: %2")
                       .arg(QFile::decodeName(paths_.journal.c_str()),
                            QString::fromStdString(reading.problem)));
        } else if (reading.status == JournalReading::Status::Read && reading.journal.running &&
                   (options.restoreWithoutAsking || options.askToRestore())) {
            ShowStanding standing = reading.journal.standing;
            if (options.keepRootFromCommandLine) {
                standing.PuzzlePath.clear();
            }
            view_.View().RestoreStanding(standing);
        }
    }
    writer_ = std::make_unique<CShowWriter>();
    recorder_ = std::make_unique<CShowRecorder>(*writer_, paths_, journalling_);
    Poll();
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CShowKeeper::Poll);
    timer_->start(kPollMs);
}

void CShowKeeper::Poll() {
    if (!recorder_ || finished_) {
        return;
    }
    recorder_->Observe(view_.View());
    if (const std::optional<std::string> problem = recorder_->TakeProblem()) {
        Report(QStringLiteral("Show-Protokoll nicht geschrieben: %1")
                   .arg(QString::fromLocal8Bit(problem->c_str())));
    }
}

void CShowKeeper::Finish() {
    if (!recorder_ || finished_) {
        return;
    }
    finished_ = true;
    if (timer_ != nullptr) {
        timer_->stop();
    }
    recorder_->Finish(view_.View(), SteadyTickCount());
    writer_->Flush();
    if (const std::optional<std::string> problem = recorder_->TakeProblem()) {
        std::cerr << "kelvandor: " << *problem << "\n";
    }
}

void CShowKeeper::Report(const QString& line) {
    if (line == lastProblem_) {
        return;
    }
    lastProblem_ = line;
    std::cerr << "kelvandor: " << line.toLocal8Bit().constData() << "\n";
    frame_.SetPaneText(0, line);
}

}  // namespace kelvandor
