// The whole program in its window: start-up, command line, settings at exit, and a round
// played with the keys.

#include "app/KelvandorApp.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "app/ControlServer.h"
#include "app/FrameCommandIds.h"
#include "app/MainFrame.h"
#include "app/StatusPanes.h"
#include "app/ViewWindow.h"
#include "control/ControlSocket.h"
#include "game/CommandIds.h"
#include "game/KelvandorView.h"
#include "game/ScreenLayout.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

constexpr std::uint32_t Id(CommandId id) {
    return static_cast<std::uint32_t>(id);
}
constexpr std::uint32_t Id(FrameCommandId id) {
    return static_cast<std::uint32_t>(id);
}

class KelvandorAppTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetSettings(); }

    // A puzzle root with one three-answer puzzle in Game001.
    std::string MakePuzzles() {
        const QString game = puzzles_.filePath(QStringLiteral("Game001"));
        QDir().mkpath(game);
        std::ofstream(QDir(game).filePath(QStringLiteral("Game.txt")).toStdString())
            << "Wie heissen die Planeten?\nMerkur\nVenus\nErde\n";
        return puzzles_.path().toStdString();
    }

    static void StorePuzzleRoot(const std::string& path) {
        QSettings().setValue(QStringLiteral("PicPath"), QString::fromStdString(path));
    }

    // Starts the program; `app` must live in the test.
    static void Start(CKelvandorApp& app, const std::vector<std::string>& arguments) {
        ASSERT_TRUE(app.InitInstance(arguments));
        app.MainFrame()->resize(1024, 768);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(app.MainFrame()));
    }

    QTemporaryDir puzzles_;
};

TEST_F(KelvandorAppTest, FirstRunAsksForThePuzzleRootAndWritesTheSevenDefaultsAtExit) {
    test::CDialogAnswerer answerer;  // cancels the folder picker
    {
        CKelvandorApp app;
        Start(app, {});
        EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Das Spiel - Kelvandor"));
        EXPECT_TRUE(test::ProcessEventsUntil([&] { return !answerer.titles.isEmpty(); }));
    }
    EXPECT_EQ(answerer.titles, QStringList{QStringLiteral("Pfad mit Texten")});
    QSettings settings;
    EXPECT_EQ(settings.value("UseFormular").toInt(), 1);
    EXPECT_EQ(settings.value("JoystickOn").toInt(), 1);
    EXPECT_EQ(settings.value("AutoStars").toInt(), 1);
    EXPECT_EQ(settings.value("StarSize").toInt(), 0);
    EXPECT_EQ(settings.value("PicPath").toString(), QString());
    EXPECT_TRUE(settings.contains("PicPath"));
    EXPECT_EQ(settings.value("Timeout").toInt(), 0);
    EXPECT_EQ(settings.value("ComPort").toInt(), 0);
}

TEST_F(KelvandorAppTest, StoredSettingsAreReadAndAnOversizedTimeoutIsClamped) {
    StorePuzzleRoot("/nowhere");
    QSettings().setValue("Timeout", 500);
    QSettings().setValue("StarSize", 3);
    CKelvandorApp app;
    Start(app, {});
    EXPECT_EQ(app.View()->View().State().Timeout, 120u);
    EXPECT_EQ(app.View()->View().State().StarSize, 3u);
    EXPECT_EQ(app.View()->View().State().PuzzlePath, "/nowhere");
}

TEST_F(KelvandorAppTest, CommandLinePathIsUsedWithoutAskingAndStoredAtExit) {
    test::CDialogAnswerer answerer;
    StorePuzzleRoot("/old/root");
    {
        CKelvandorApp app;
        Start(app, {"/first", "/tmp/R\xC3\xA4tsel/"});
        test::ProcessEventsFor(200);
        EXPECT_EQ(app.View()->View().State().PuzzlePath, "/tmp/R\xC3\xA4tsel");
        EXPECT_EQ(app.View()->View().State().PreviousPuzzlePath, "/first");
    }
    EXPECT_TRUE(answerer.titles.isEmpty());
    EXPECT_EQ(QSettings().value("PicPath").toString(), QStringLiteral("/tmp/Rätsel"));
}

TEST_F(KelvandorAppTest, ZoomOptionIsAppliedOnceTheLoopRunsAndTwiceCancelsOut) {
    StorePuzzleRoot("/nowhere");
    CKelvandorApp once;
    ASSERT_TRUE(once.InitInstance({"-z"}));
    EXPECT_EQ(once.MainFrame()->ZoomMode(), 0);  // posted, not yet run
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return once.MainFrame()->ZoomMode() == 1; }));
    EXPECT_EQ(once.View()->View().State().ZoomMode, 1u);

    CKelvandorApp twice;
    ASSERT_TRUE(twice.InitInstance({"-z", "-Z"}));
    test::ProcessEventsFor(200);
    EXPECT_EQ(twice.MainFrame()->ZoomMode(), 0);
    EXPECT_TRUE(twice.MainFrame()->menuBar()->isVisible());
}

TEST_F(KelvandorAppTest, MenuCheckMarksFollowTheGameState) {
    StorePuzzleRoot("/nowhere");
    CKelvandorApp app;
    Start(app, {});
    CMainFrame& frame = *app.MainFrame();
    CKelvandorView& view = app.View()->View();

    frame.Action(Id(CommandId::SmallStars))->trigger();
    EXPECT_EQ(view.State().StarSize, 2u);
    EXPECT_TRUE(frame.Action(Id(CommandId::SmallStars))->isChecked());
    EXPECT_FALSE(frame.Action(Id(CommandId::LargeStars))->isChecked());

    frame.Action(Id(CommandId::UseFormulas))->trigger();
    EXPECT_EQ(view.State().UseFormulas, 0u);
    EXPECT_FALSE(frame.Action(Id(CommandId::UseFormulas))->isChecked());

    // F11 makes the left player active (nobody was); the idle update shows it.
    QTest::keyClick(&frame, Qt::Key_F11);
    EXPECT_EQ(view.State().ActivePlayer, 0u);
    EXPECT_TRUE(test::ProcessEventsUntil(
        [&] { return frame.Action(Id(CommandId::ToggleLeftPlayer))->isChecked(); }));
    frame.Action(Id(CommandId::ToggleLeftPlayer))->trigger();
    EXPECT_FALSE(frame.Action(Id(CommandId::ToggleLeftPlayer))->isChecked());
    EXPECT_FALSE(frame.Action(Id(CommandId::ToggleRightPlayer))->isChecked());
}

TEST_F(KelvandorAppTest, KeysPlayARoundAndF5IsRefusedWhileItRuns) {
    StorePuzzleRoot(MakePuzzles());
    CKelvandorApp app;
    Start(app, {});
    CMainFrame& frame = *app.MainFrame();
    CKelvandorView& view = app.View()->View();

    QTest::keyClick(&frame, Qt::Key_F5);
    ASSERT_EQ(view.State().Started, 1u);
    ASSERT_EQ(view.ElementCount(), 3);
    EXPECT_EQ(view.State().GameNumber, 1);

    // During the round F5 is greyed and refused, even if its item were still enabled.
    frame.UpdateCommandStates();
    EXPECT_FALSE(frame.Action(Id(CommandId::NextPuzzle))->isEnabled());
    frame.ExecuteCommand(Id(CommandId::NextPuzzle));
    EXPECT_EQ(view.State().GameNumber, 1);

    // The dealt answers fly in; then the selected one goes to the left column.
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return view.State().MovingCount == 0; }));
    QTest::keyClick(app.View(), Qt::Key_Left);
    ASSERT_TRUE(test::ProcessEventsUntil([&] {
        int left = 0;
        for (int i = 0; i < view.ElementCount(); ++i) {
            left += view.State().ElementColumn[i] == kLeftColumn;
        }
        return left == 2 && view.State().MovingCount == 0;
    }));

    // The left player stops: the placement is judged, one way or the other.
    QTest::keyClick(&frame, Qt::Key_F7);
    EXPECT_TRUE(view.State().SelectCountdown > 0 || view.State().PhaseCountdown > 0);
}

TEST_F(KelvandorAppTest, TerminationSignalEndsTheProgramWithSettingsSaved) {
    StorePuzzleRoot("/nowhere");
    {
        CKelvandorApp app;
        Start(app, {});
        app.MainFrame()->Action(Id(CommandId::MediumStars))->trigger();
        std::raise(SIGTERM);
        EXPECT_TRUE(test::ProcessEventsUntil([&] { return !app.MainFrame()->isVisible(); }));
    }
    EXPECT_TRUE(QSettings().contains("Settings/FlatMode"));
    EXPECT_EQ(QSettings().value("StarSize").toInt(), 1);
}

TEST_F(KelvandorAppTest, TimeoutBoxTakesTheEntryThroughTheGamesRules) {
    StorePuzzleRoot("/nowhere");
    CKelvandorApp app;
    Start(app, {});
    QString prompt;
    test::CDialogAnswerer answerer([&](QDialog& dialog) {
        auto& box = static_cast<QInputDialog&>(dialog);
        prompt = box.labelText();
        box.setTextValue(QStringLiteral("5"));
        box.accept();
    });
    app.MainFrame()->ExecuteCommand(Id(CommandId::SetTimeout));
    EXPECT_EQ(answerer.titles, QStringList{QStringLiteral("Timeout einstellen")});
    EXPECT_EQ(prompt,
              QStringLiteral("Nach wievilen Sekunden soll eines Auswahl abgebrochen werden :"));
    EXPECT_EQ(app.View()->View().State().Timeout, 20u);  // 1..19 seconds become 20
}

TEST_F(KelvandorAppTest, ComPortBoxShowsThePortAndTakesItsNameInAnyCase) {
    StorePuzzleRoot("/nowhere");
    CKelvandorApp app;
    Start(app, {});
    QString shown;
    test::CDialogAnswerer answerer([&](QDialog& dialog) {
        auto& box = static_cast<QInputDialog&>(dialog);
        shown = box.labelText() + QLatin1Char('|') + box.textValue();
        box.setTextValue(QStringLiteral("com4"));
        box.accept();
    });
    app.MainFrame()->ExecuteCommand(Id(CommandId::SelectComPort));
    EXPECT_EQ(answerer.titles, QStringList{QStringLiteral("COM-Port")});
    EXPECT_EQ(shown, QStringLiteral("Bitte hier das COM-Port angeben :|COM1"));
    EXPECT_EQ(app.View()->View().State().ComPort, 3u);
}

TEST_F(KelvandorAppTest, FolderPickerChoiceBecomesThePuzzleRoot) {
    const std::string root = MakePuzzles();
    const std::string chosen = root + "/Game001";
    StorePuzzleRoot(root);
    CKelvandorApp app;
    Start(app, {});
    test::CDialogAnswerer answerer([&](QDialog& dialog) {
        // Opened in the chosen folder and confirmed there: the dialog returns that folder.
        // done() skips the dialog's check of the typed name, which waits for the file
        // system model and so depends on timing.
        auto& picker = static_cast<QFileDialog&>(dialog);
        picker.setDirectory(QString::fromStdString(chosen));
        dialog.done(QDialog::Accepted);
    });
    app.MainFrame()->ExecuteCommand(Id(CommandId::SetPuzzlePath));
    EXPECT_EQ(answerer.titles, QStringList{QStringLiteral("Pfad mit Texten")});
    EXPECT_EQ(app.View()->View().State().PuzzlePath, chosen);
}

TEST_F(KelvandorAppTest, StatusBarShowsTheRootTheNextPuzzleAndTheReceiver) {
    const std::string root = MakePuzzles();
    StorePuzzleRoot(root);
    CKelvandorApp app;
    Start(app, {});
    auto pane = [&](const char* name) {
        auto* label = app.MainFrame()->findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label != nullptr ? label->text() : QString();
    };
    EXPECT_EQ(pane("PuzzlePane"), PuzzlePaneText(QString::fromStdString(root), 1));
    QTest::keyClick(app.MainFrame(), Qt::Key_F5);
    EXPECT_TRUE(test::ProcessEventsUntil(
        [&] { return pane("PuzzlePane").endsWith(QStringLiteral("weiter ab Game002")); }));
    EXPECT_TRUE(test::ProcessEventsUntil([&] {
        return pane("ReceiverPane") == QStringLiteral("Empfänger: nie gehört") &&
               pane("RemotePane").startsWith(QStringLiteral("COM1 "));
    }));
}

TEST(PuzzlePaneTextTest, NamesTheRootAndTheFolderOfTheNextPuzzle) {
    EXPECT_EQ(PuzzlePaneText(QStringLiteral("/shows/quiz"), 4),
              QStringLiteral("Rätsel: /shows/quiz – weiter ab Game004"));
    EXPECT_EQ(PuzzlePaneText(QStringLiteral("/q"), 1000),
              QStringLiteral("Rätsel: /q – weiter ab Game1000"));
    EXPECT_EQ(PuzzlePaneText(QString(), 1), QStringLiteral("Rätsel: kein Pfad"));
    // A long root keeps its start and its end.
    EXPECT_EQ(
        PuzzlePaneText(QStringLiteral("/media/quizmaster/USB-STICK/Shows/2024/Finale"), 7, 21),
        QStringLiteral("Rätsel: /media/qui…024/Finale – weiter ab Game007"));
}

TEST_F(KelvandorAppTest, FolderPickerSpeaksGermanAndOpensAtTheRootOrAtHome) {
    struct Seen {
        QString directory, lookIn, choose, cancel;
        int sideBarWidth = 0;
    };
    auto open = [](CKelvandorApp& app) {
        Seen seen;
        test::CDialogAnswerer answerer([&](QDialog& dialog) {
            auto& picker = static_cast<QFileDialog&>(dialog);
            seen.directory = picker.directory().absolutePath();
            seen.lookIn = picker.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
            auto* buttons = picker.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            seen.choose = buttons->button(QDialogButtonBox::Open)->text();
            seen.cancel = buttons->button(QDialogButtonBox::Cancel)->text();
            auto* sideBar = picker.findChild<QWidget*>(QStringLiteral("sidebar"));
            seen.sideBarWidth = sideBar->isVisible() ? sideBar->width() : 0;
            dialog.reject();
        });
        app.MainFrame()->ExecuteCommand(Id(CommandId::SetPuzzlePath));
        return seen;
    };
    {
        // A first start has no root: the picker opens at home.
        CKelvandorApp app;
        {
            test::CDialogAnswerer cancelFirstQuestion;
            Start(app, {});
            ASSERT_TRUE(
                test::ProcessEventsUntil([&] { return !cancelFirstQuestion.titles.isEmpty(); }));
        }
        EXPECT_EQ(open(app).directory, QDir::homePath());
    }
    const std::string root = MakePuzzles();
    StorePuzzleRoot(root);
    CKelvandorApp app;
    Start(app, {});
    const Seen seen = open(app);
    EXPECT_EQ(seen.directory, QString::fromStdString(root));
    EXPECT_EQ(seen.lookIn, QStringLiteral("Suchen in:"));
    EXPECT_EQ(seen.choose, QStringLiteral("&Auswählen"));
    EXPECT_EQ(seen.cancel, QStringLiteral("Abbrechen"));
    EXPECT_GE(seen.sideBarWidth, 120);
}

TEST_F(KelvandorAppTest, OtherProgramsFindRenameAndEndTheGameThroughItsSocket) {
    using namespace std::string_literals;
    StorePuzzleRoot("/nowhere");
    CKelvandorApp app;
    Start(app, {});
    ASSERT_NE(app.ControlServer(), nullptr);
    auto send = [](const ControlRequest& request) {
        const ControlExchange exchange = test::RunBesideEventLoop(
            [&] { return ExchangeControlRequest(DefaultControlSocketPath(), request, 2000); });
        EXPECT_EQ(exchange.status, ControlExchange::Status::Replied) << exchange.error;
        return exchange.reply;
    };

    EXPECT_EQ(send({0xC000, 0x12345678, 0, {}}).result, 0x12345678u);
    const std::string document = QDir::current().filePath("Das Spiel").toStdString();
    EXPECT_EQ(send({0x27F5, 2, 0, {}}), (ControlReply{1, CopyData{0x27F50002, document + '\0'}}));

    // Renamed: the title follows, and the new path is found in any case, with "\" for "/" and
    // sent as UTF-16.
    EXPECT_EQ(send({0x4A, 0, 0x27F50001, "/tmp/Show/R\xE4tsel.txt\0"s}).result, 1u);
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Rätsel.txt - Kelvandor"));
    std::string utf16;
    for (char16_t unit : std::u16string(u"\\TMP\\show\\R\u00C4TSEL.TXT")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    EXPECT_EQ(send({0x4A, 0, 0x27F58003, utf16 + "\0\0"s}).result, 1u);
    EXPECT_EQ(send({0x4A, 0, 0x27F50003, "/tmp/Show/Raetsel.txt\0"s}).result, 0u);

    EXPECT_EQ(send({0x2C3F, 0, 0, "Gleich geht's weiter\0"s}).result, 0u);
    EXPECT_EQ(app.MainFrame()->MessageText(), QStringLiteral("Gleich geht's weiter"));

    // Ending: answered first, then the window closes and the settings are saved.
    EXPECT_EQ(send({0x27F5, 0, 0, {}}).result, 1u);
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return !app.MainFrame()->isVisible(); }));
}

TEST_F(KelvandorAppTest, TheWindowKeepsRoomForTheWholeBoard) {
    CKelvandorApp app;
    Start(app, {MakePuzzles()});
    app.MainFrame()->resize(300, 200);
    test::ProcessEventsFor(50);
    EXPECT_GE(app.View()->width(), kMinimumViewWidth);
    EXPECT_GE(app.View()->height(), kMinimumViewHeight);
    EXPECT_GE(app.View()->View().Screen().ViewWidth, kMinimumViewWidth);
}

}  // namespace
}  // namespace kelvandor
