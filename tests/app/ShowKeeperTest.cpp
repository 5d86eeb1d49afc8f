// The show in the running program: the restore question after a crash, "-r", a damaged
// journal, a second game, and the quiz master's window following the game.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>

#include "app/FrameCommandIds.h"
#include "app/KelvandorApp.h"
#include "app/MainFrame.h"
#include "app/ModeratorWindow.h"
#include "app/ShowKeeper.h"
#include "app/ViewWindow.h"
#include "game/KelvandorView.h"
#include "show/ShowFiles.h"
#include "show/ShowJournal.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

class ShowKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetSettings();
        std::filesystem::remove(paths_.journal);
        std::filesystem::remove(paths_.log);
        const QString game = puzzles_.filePath(QStringLiteral("Game004"));
        QDir().mkpath(game);
        std::ofstream(QDir(game).filePath(QStringLiteral("Game.txt")).toStdString())
            << "Vier\nErstens\nZweitens|zwei\nDrittens\n";
        QSettings().setValue(QStringLiteral("PicPath"), puzzles_.path());
    }

    // The journal a show left that crashed after puzzle 3 with the stars 2 : 5.
    void LeaveCrashedShow(bool running = true) {
        ShowJournal crashed{running, {{2, 5}, 3, 1, 1, puzzles_.path().toStdString()}};
        ASSERT_EQ(ReplaceFileAtomically(paths_.journal, EncodeShowJournal(crashed)), "");
    }

    // Answers the restore question with the button labelled `label`.
    static std::function<void(QDialog&)> Press(const QString& label) {
        return [label](QDialog& dialog) {
            for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
                if (button->text() == label) {
                    button->click();
                    return;
                }
            }
            dialog.reject();
        };
    }

    ShowJournal Journal() const {
        const JournalReading reading = ReadShowJournal(paths_.journal);
        EXPECT_EQ(reading.status, JournalReading::Status::Read) << reading.problem;
        return reading.journal;
    }

    const ShowPaths paths_ = DefaultShowPaths();
    QTemporaryDir puzzles_;
};

TEST_F(ShowKeeperTest, JaRestoresTheStandingReadyForTheNextPuzzle) {
    LeaveCrashedShow();
    test::CDialogAnswerer answerer(Press(QStringLiteral("&Ja")));
    {
        CKelvandorApp app;
        ASSERT_TRUE(app.InitInstance({}));
        ASSERT_EQ(answerer.titles, QStringList{QStringLiteral("Kelvandor")});
        const GameState& state = app.View()->View().State();
        EXPECT_EQ(state.Stars, (std::array<std::uint8_t, 2>{2, 5}));
        EXPECT_EQ(state.GameNumber, 3);
        EXPECT_EQ(state.Started, 0u);
        app.MainFrame()->ExecuteCommand(static_cast<std::uint32_t>(CommandId::NextPuzzle));
        EXPECT_EQ(state.GameNumber, 4);
        EXPECT_EQ(state.ActivePlayer, 0u);  // the other player than before the crash
        test::ProcessEventsFor(120);
        EXPECT_TRUE(Journal().running);
        EXPECT_EQ(Journal().standing.GameNumber, 4);
    }
    // A normal end clears the mark and logs the round left in play.
    EXPECT_FALSE(Journal().running);
    std::ifstream log(paths_.log);
    std::string header, line;
    std::getline(log, header);
    std::getline(log, line);
    EXPECT_NE(line.find(",4,Vier,abgebrochen,links,2,5,"), std::string::npos) << line;
}

TEST_F(ShowKeeperTest, NeinStartsFreshAndTheJournalFollowsTheNewShow) {
    LeaveCrashedShow();
    test::CDialogAnswerer answerer(Press(QStringLiteral("&Nein")));
    CKelvandorApp app;
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(answerer.titles.size(), 1);
    EXPECT_EQ(app.View()->View().State().Stars, (std::array<std::uint8_t, 2>{0, 0}));
    app.ShowKeeper()->Poll();
    test::ProcessEventsUntil([&] { return Journal().standing.GameNumber == 0; });
    EXPECT_EQ(Journal().standing.Stars, (std::array<std::uint8_t, 2>{0, 0}));
}

TEST_F(ShowKeeperTest, RestoreOptionAsksNothingAndAFinishedShowIsNotOffered) {
    LeaveCrashedShow();
    test::CDialogAnswerer answerer;
    {
        CKelvandorApp app;
        ASSERT_TRUE(app.InitInstance({"-r"}));
        EXPECT_EQ(app.View()->View().State().Stars, (std::array<std::uint8_t, 2>{2, 5}));
    }
    {
        CKelvandorApp again;  // the last show ended normally
        ASSERT_TRUE(again.InitInstance({}));
        EXPECT_EQ(again.View()->View().State().GameNumber, 0);
    }
    EXPECT_TRUE(answerer.titles.isEmpty());
}

TEST_F(ShowKeeperTest, ADamagedJournalIsReportedInOneLineAndIgnored) {
    std::filesystem::create_directories(std::filesystem::path(paths_.journal).parent_path());
    std::ofstream(paths_.journal) << "{\"format\": 1, \"running\": tr";
    test::CDialogAnswerer answerer;
    CKelvandorApp app;
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_TRUE(answerer.titles.isEmpty());
    const QString problem = app.ShowKeeper()->LastProblem();
    EXPECT_TRUE(problem.contains(QStringLiteral("show.json"))) << problem.toStdString();
    EXPECT_FALSE(problem.contains(QLatin1Char('\n')));
    EXPECT_EQ(app.MainFrame()->MessageText(), problem);
    EXPECT_EQ(app.View()->View().State().GameNumber, 0);
}

TEST_F(ShowKeeperTest, ASecondGameNeitherAsksNorWritesTheJournal) {
    LeaveCrashedShow();
    test::CDialogAnswerer answerer(Press(QStringLiteral("&Ja")));
    CKelvandorApp first;
    ASSERT_TRUE(first.InitInstance({}));
    ASSERT_TRUE(first.ShowKeeper()->KeepsJournal());
    ASSERT_EQ(answerer.titles.size(), 1);
    // The first game's standing (the restored one) reaches the disk once.
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return Journal().running; }));
    const ShowJournal before = Journal();

    {
        CKelvandorApp second;
        ASSERT_TRUE(second.InitInstance({}));
        EXPECT_FALSE(second.ShowKeeper()->KeepsJournal());
        second.View()->View().AddStar(0);
        second.ShowKeeper()->Poll();
        EXPECT_EQ(second.View()->View().State().Stars[1], 0);  // not restored
    }
    EXPECT_EQ(answerer.titles.size(), 1);  // the second game did not ask
    EXPECT_EQ(Journal(), before);
}

TEST_F(ShowKeeperTest, ModeratorWindowFollowsTheGameAndChangesNothing) {
    test::CDialogAnswerer answerer;
    CKelvandorApp app;
    ASSERT_TRUE(app.InitInstance({"-m"}));
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return app.ModeratorWindow() != nullptr; }));
    CModeratorWindow* moderator = app.ModeratorWindow();
    EXPECT_TRUE(moderator->isVisible());
    EXPECT_EQ(moderator->windowTitle(), QStringLiteral("Moderator - Kelvandor"));
    QAction* item = app.MainFrame()->Action(static_cast<std::uint32_t>(FrameCommandId::ModeratorWindow));
    ASSERT_NE(item, nullptr);
    app.MainFrame()->UpdateCommandStates();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(moderator->NextPuzzle().text, "Game004: Vier");

    // Once it has the keyboard (clicked), F5 pressed there starts the round in the game.
    moderator->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(moderator));
    QTest::keyClick(moderator, Qt::Key_F5);
    CKelvandorView& view = app.View()->View();
    ASSERT_EQ(view.State().GameNumber, 4);
    const ShowStanding standing = view.Standing();
    const auto states = view.State().ElementState;
    moderator->Refresh();
    EXPECT_EQ(view.Standing(), standing);
    EXPECT_EQ(view.State().ElementState, states);

    auto* table = moderator->findChild<QTableWidget*>(QStringLiteral("Answers"));
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("1. Erstens"));
    EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("zwei"));
    EXPECT_EQ(table->item(2, 0)->text(), QStringLiteral("3. Drittens"));
    EXPECT_EQ(moderator->findChild<QLabel*>(QStringLiteral("Phase"))->text(),
              QStringLiteral("Spieler links am Zug"));
    EXPECT_EQ(moderator->NextPuzzle().text, "Formelr\xC3\xA4tsel");

    item->trigger();
    EXPECT_FALSE(moderator->isVisible());
    EXPECT_FALSE(item->isChecked());
}

}  // namespace
}  // namespace kelvandor
