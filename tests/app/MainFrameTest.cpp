#include "app/MainFrame.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include "app/FrameCommandIds.h"
#include "app/GameCommands.h"
#include "app/MenuResource.h"
#include "game/CommandIds.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

constexpr std::uint32_t Id(CommandId id) {
    return static_cast<std::uint32_t>(id);
}
constexpr std::uint32_t Id(FrameCommandId id) {
    return static_cast<std::uint32_t>(id);
}

// The game's side of the commands, with rules the test sets.
class FakeGame : public IGameCommands {
public:
    bool HandlesCommand(std::uint32_t id) const override {
        return id >= 32809 && id <= 33059 && id != Id(FrameCommandId::KeyHelp) &&
               id != Id(FrameCommandId::FileFormatHelp);
    }
    bool IsCommandEnabled(std::uint32_t id) override { return !disabled.contains(id); }
    bool IsCommandChecked(std::uint32_t id) override { return checked.contains(id); }
    void RunCommand(std::uint32_t id) override {
        if (IsCommandEnabled(id)) {
            ran.push_back(id);
        }
    }
    void SetZoomMode(int mode) override { zoomModes.push_back(mode); }

    std::set<std::uint32_t> disabled;
    std::set<std::uint32_t> checked;
    std::vector<std::uint32_t> ran;
    std::vector<int> zoomModes;
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetSettings(); }

    // A normal window's placement as the last run left it.
    static void StorePlacement(const QRect& rect) {
        QSettings settings;
        settings.setValue("Settings/IsZoomed", 0);
        settings.setValue("Settings/LastPosX", rect.x());
        settings.setValue("Settings/LastPosY", rect.y());
        settings.setValue("Settings/LastSizeX", rect.width());
        settings.setValue("Settings/LastSizeY", rect.height());
    }

    QMenu* Menu(CMainFrame& frame, const QString& title) {
        for (QAction* action : frame.menuBar()->actions()) {
            if (action->text() == title) {
                return action->menu();
            }
        }
        return nullptr;
    }

    FakeGame game;
};

TEST_F(MainFrameTest, EveryKeyReachesExactlyOneCommand) {
    CMainFrame frame;
    std::map<QString, std::uint32_t> owners;
    for (const CommandResource& command : CommandResources()) {
        for (const QKeySequence& key : frame.Action(command.id)->shortcuts()) {
            // A key given to two actions is ambiguous, and Qt then runs neither.
            EXPECT_TRUE(owners.emplace(key.toString(), command.id).second)
                << key.toString().toStdString();
        }
    }
    EXPECT_EQ(owners[QStringLiteral("F5")], Id(CommandId::NextPuzzle));
    EXPECT_EQ(owners[QStringLiteral("F6")], Id(CommandId::ClearBoard));
    EXPECT_EQ(owners[QStringLiteral("F9")], Id(CommandId::ClearBoard));
    EXPECT_EQ(owners[QStringLiteral("F10")], Id(FrameCommandId::FullScreen));
    EXPECT_EQ(owners[QStringLiteral("F11")], Id(CommandId::SwitchPlayer));
    EXPECT_EQ(owners[QStringLiteral("Ctrl+N")], Id(CommandId::NextGameNumber));
    EXPECT_EQ(owners.size(), 23u);  // F1-F11, Ctrl+N and 11 keys without an effect
}

TEST_F(MainFrameTest, MenuBarHasTheFourMenusWithKeysInTheItemTexts) {
    CMainFrame frame;
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions()) {
        titles << action->text();
    }
    EXPECT_EQ(titles, (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "&?"}));
    QAction* next = frame.Action(Id(CommandId::NextPuzzle));
    EXPECT_EQ(next->text(), QStringLiteral("Starte nächstes Rätsel"));
    EXPECT_EQ(next->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(Menu(frame, QStringLiteral("&Bearbeiten"))->actions().contains(next));
}

TEST_F(MainFrameTest, CheckMarksAndEnabledStatesFollowTheGameWhenAMenuOpens) {
    CMainFrame frame;
    frame.SetView(nullptr, &game);
    game.checked = {Id(CommandId::SmallStars), Id(CommandId::AutoStars)};
    game.disabled = {Id(CommandId::NextPuzzle)};
    emit Menu(frame, QStringLiteral("&Ansicht"))->aboutToShow();
    EXPECT_TRUE(frame.Action(Id(CommandId::SmallStars))->isChecked());
    EXPECT_FALSE(frame.Action(Id(CommandId::LargeStars))->isChecked());
    EXPECT_TRUE(frame.Action(Id(CommandId::AutoStars))->isChecked());
    EXPECT_FALSE(frame.Action(Id(CommandId::NextPuzzle))->isEnabled());

    // Without a menu opening, the idle update catches up.
    game.checked = {Id(CommandId::LargeStars)};
    game.disabled.clear();
    EXPECT_TRUE(test::ProcessEventsUntil([&] {
        return frame.Action(Id(CommandId::LargeStars))->isChecked() &&
               !frame.Action(Id(CommandId::SmallStars))->isChecked() &&
               frame.Action(Id(CommandId::NextPuzzle))->isEnabled();
    }));
}

TEST_F(MainFrameTest, KeysRunGameCommandsOnlyWhileEnabled) {
    CMainFrame frame;
    frame.SetView(nullptr, &game);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::keyClick(&frame, Qt::Key_F5);
    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
    game.disabled = {Id(CommandId::NextPuzzle)};
    frame.UpdateCommandStates();
    QTest::keyClick(&frame, Qt::Key_F5);
    EXPECT_EQ(game.ran, (std::vector<std::uint32_t>{Id(CommandId::NextPuzzle),
                                                    Id(CommandId::NextGameNumber)}));
}

TEST_F(MainFrameTest, ZoomTwiceRestoresMenuBarsAndWindowState) {
    CMainFrame frame;
    frame.SetView(nullptr, &game);
    frame.show();
    // A bar the user hid before zooming stays hidden afterwards.
    frame.ExecuteCommand(Id(FrameCommandId::ViewToolbar));
    ASSERT_FALSE(frame.findChild<QToolBar*>()->isVisible());

    frame.ExecuteCommand(Id(FrameCommandId::FullScreen));
    EXPECT_EQ(frame.ZoomMode(), 1);
    EXPECT_TRUE(frame.windowState() & Qt::WindowFullScreen);
    EXPECT_FALSE(frame.menuBar()->isVisible());
    EXPECT_FALSE(frame.statusBar()->isVisible());

    frame.ExecuteCommand(Id(FrameCommandId::FullScreen));
    EXPECT_EQ(frame.ZoomMode(), 0);
    EXPECT_FALSE(frame.windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.statusBar()->isVisible());
    EXPECT_FALSE(frame.findChild<QToolBar*>()->isVisible());
    EXPECT_EQ(game.zoomModes, (std::vector<int>{1, 0}));
}

TEST_F(MainFrameTest, StayOnTopKeepsTheWindowAndItsKeyboardFocus) {
    CMainFrame frame;
    auto* view = new QWidget;
    view->setFocusPolicy(Qt::StrongFocus);
    frame.SetView(view, &game);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    view->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), view);
    const QWindow* native = frame.windowHandle();
    const WId id = frame.winId();

    for (bool on : {true, false}) {
        frame.ExecuteCommand(Id(FrameCommandId::StayOnTop));
        EXPECT_EQ(frame.IsStayOnTop(), on);
        EXPECT_EQ(frame.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), on);
        EXPECT_EQ(frame.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        // The same native window, still active, the keys still going to the game.
        EXPECT_EQ(frame.windowHandle(), native);
        EXPECT_EQ(frame.winId(), id);
        EXPECT_TRUE(frame.isVisible());
        EXPECT_TRUE(frame.isActiveWindow());
        EXPECT_EQ(QApplication::focusWidget(), view);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    }
    EXPECT_EQ(game.ran,
              (std::vector<std::uint32_t>{Id(CommandId::NextPuzzle), Id(CommandId::NextPuzzle)}));
}

TEST_F(MainFrameTest, StatusBarShowsPromptsAndBereitWhenIdle) {
    CMainFrame frame;
    EXPECT_EQ(frame.MessageText(), QStringLiteral("Bereit"));
    QStatusTipEvent hover(frame.Action(Id(CommandId::NextPuzzle))->statusTip());
    QCoreApplication::sendEvent(&frame, &hover);
    EXPECT_EQ(frame.MessageText(), QStringLiteral("Startet das nächste Rätsel."));
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(&frame, &leave);
    EXPECT_EQ(frame.MessageText(), QStringLiteral("Bereit"));
    EXPECT_EQ(frame.Action(Id(FrameCommandId::FullScreen))->toolTip(),
              QStringLiteral("Vollbild Ansicht"));
}

TEST_F(MainFrameTest, FrameSettingsSurviveARunAndUnknownOnesAreWrittenBack) {
    {
        QSettings settings;
        settings.setValue("Settings/ShowGamerBar", 5);
    }
    {
        CMainFrame frame;
        EXPECT_TRUE(frame.IsFlatMode());
        frame.ExecuteCommand(Id(FrameCommandId::ViewToolbar));  // hidden by the user
        frame.ExecuteCommand(Id(FrameCommandId::FlatToolbar));
        EXPECT_FALSE(frame.findChild<QToolBar*>()->isVisibleTo(&frame));
        EXPECT_FALSE(frame.Action(Id(FrameCommandId::FlatToolbar))->isChecked());
        frame.close();
    }
    QSettings settings;
    EXPECT_EQ(settings.value("Settings/FlatMode").toInt(), 0);
    EXPECT_EQ(settings.value("Settings/ShowGamerBar").toInt(), 5);
    CMainFrame next;
    EXPECT_FALSE(next.IsFlatMode());
}

TEST_F(MainFrameTest, HelpItemsOpenTheirDialogs) {
    CMainFrame frame;
    test::CDialogAnswerer answerer;
    frame.ExecuteCommand(Id(FrameCommandId::About));
    frame.ExecuteCommand(Id(FrameCommandId::KeyHelp));
    frame.ExecuteCommand(Id(FrameCommandId::FileFormatHelp));
    EXPECT_EQ(answerer.titles,
              (QStringList{QStringLiteral("Info über Kelvandor"),
                           QStringLiteral("Tastaturbelegung"), QStringLiteral("Dateiformat")}));
}

TEST_F(MainFrameTest, PlacementSavedOnALargerScreenIsFittedToThisOne) {
    StorePlacement(QRect(0, 0, 3840, 2160));
    CMainFrame frame;
    frame.RestorePlacement();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LT(available.width(), 3840);
    EXPECT_TRUE(available.contains(frame.geometry())) << frame.geometry().width();
    EXPECT_EQ(frame.geometry().size(), available.size().boundedTo(frame.maximumSize()));
}

TEST_F(MainFrameTest, ExitWhileZoomedKeepsThePositionAndNextStartIsMaximised) {
    StorePlacement(QRect(40, 30, 600, 400));
    {
        CMainFrame frame;
        EXPECT_FALSE(frame.RestorePlacement());
        EXPECT_EQ(frame.geometry(), QRect(40, 30, 600, 400));
        frame.show();
        frame.ExecuteCommand(Id(FrameCommandId::FullScreen));
        frame.close();
    }
    QSettings settings;
    EXPECT_EQ(settings.value("Settings/IsZoomed").toInt(), 1);
    EXPECT_EQ(settings.value("Settings/LastPosX").toInt(), 40);
    EXPECT_EQ(settings.value("Settings/LastSizeX").toInt(), 600);
    CMainFrame next;
    EXPECT_TRUE(next.RestorePlacement());
}

}  // namespace
}  // namespace kelvandor
