// The command table's enable and check rules, the keys, the player and option commands, the
// remote buttons and the dialog commands with their input rules.

#include <thread>

#include "game/CommandTable.h"
#include "game/RemoteButtons.h"
#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

class CommandsTest : public ViewTest {
protected:
    void SetUp() override { Create("/puzzles"); }
    void Remote(std::uint32_t code) {
        host.PostRemoteButton(code);
        host.DeliverPosted();
    }
};

TEST_F(CommandsTest, F9RevealsLikeF6AndF10IsNotAGameCommand) {
    EXPECT_EQ(AcceleratorCommand(*GameKeyFromName("F9")), CommandId::ClearBoard);
    EXPECT_FALSE(GameKeyFromName("f5"));
    EXPECT_FALSE(AcceleratorCommand(GameKey::F10));
}

TEST_F(CommandsTest, DisabledCommandsDoNothingHoweverTheyArrive) {
    // F7 before the first puzzle is refused; remote button 0 at the same moment buzzes.
    EXPECT_FALSE(view->OnCommand(CommandId::StopLeft));
    EXPECT_FALSE(view->OnCommand(CommandId::StopLeftButton));
    host.PostCommand(CommandId::StopLeft);
    host.DeliverPosted();
    EXPECT_EQ(view->State().Latched[0], 0);
    EXPECT_TRUE(Sounds().empty());
    Remote(0);
    EXPECT_EQ(view->State().Latched[0], 1);
    EXPECT_EQ(view->State().PanelColour[0], kPanelLatched);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"CLING1"});

    // F6 needs somebody latched.
    EXPECT_TRUE(view->IsCommandEnabled(CommandId::ClearBoard));
    view->Poke().Latched = {0, 0};
    EXPECT_FALSE(view->OnCommand(CommandId::ClearBoard));

    // F5 during a round.
    Setting("UseFormular", 1);
    ASSERT_TRUE(view->OnCommand(CommandId::NextPuzzle));
    const std::int32_t number = view->State().GameNumber;
    EXPECT_FALSE(view->IsCommandEnabled(CommandId::NextPuzzle));
    host.PostCommand(CommandId::NextPuzzle);
    host.DeliverPosted();
    EXPECT_EQ(view->State().GameNumber, number);
    EXPECT_TRUE(view->IsCommandEnabled(CommandId::StopLeftButton));
    view->Poke().Latched[1] = 1;
    EXPECT_FALSE(view->IsCommandEnabled(CommandId::StopLeftButton));
    EXPECT_TRUE(view->IsCommandEnabled(CommandId::StopLeft));
    EXPECT_FALSE(view->IsCommandEnabled(CommandId::StopRight));
}

TEST_F(CommandsTest, ClearBoardIsRefusedDuringTheFailureCountdown) {
    SetBoard({0, 0, 1}, {3, 1, 2}, {3, 0, 1}, 0);
    view->JudgePlayer(0);
    EXPECT_TRUE(view->IsCommandEnabled(CommandId::ClearBoard));
    EXPECT_TRUE(view->OnCommand(CommandId::ClearBoard));
    EXPECT_EQ(view->State().Started, 1u);  // enabled, but refused until the solution is shown
    EXPECT_EQ(view->State().PhaseCountdown, 30u);
}

TEST(RemoteButtonTableTest, EveryCodeHasItsAction) {
    using K = RemoteAction::Kind;
    const auto command = [](CommandId id) {
        return RemoteAction{K::Command, static_cast<std::uint32_t>(id)};
    };
    const auto key = [](ArrowKey k) { return RemoteAction{K::Key, static_cast<std::uint32_t>(k)}; };
    const RemoteAction expected[16] = {
        {K::Judge, 0},
        {K::Judge, 1},
        command(CommandId::NextPuzzle),
        command(CommandId::ClearBoard),
        command(CommandId::RemoveStarLeft),
        command(CommandId::AddStarLeft),
        command(CommandId::RemoveStarRight),
        command(CommandId::AddStarRight),
        key(ArrowKey::Up),
        key(ArrowKey::Down),
        key(ArrowKey::Left),
        key(ArrowKey::Right),
        key(ArrowKey::Right),  // 12 is right, as 11
        {K::Judge, 1},         // 13: the right stop button while the joystick is on
        {},
        {},
    };
    for (std::uint32_t code = 0; code < 16; ++code) {
        EXPECT_EQ(RemoteButtonAction(code, true), expected[code]) << "code " << code;
        EXPECT_EQ(RemoteButtonAction(code, false), code == 13 ? RemoteAction{} : expected[code])
            << "code " << code << " with the joystick off";
    }
    EXPECT_EQ(RemoteButtonAction(42, true), RemoteAction{});  // a lower-case "a"
}

TEST_F(CommandsTest, RemoteButtonsFollowTheTable) {
    SetBoard({0, 1, 1}, {2, 1, 3}, {0, 3, 1}, 0);
    Remote(10);  // left
    EXPECT_EQ(view->State().ElementColumn[1], kLeftColumn);
    view->Poke().MovingCount = 0;
    Remote(12);  // right
    EXPECT_EQ(view->State().ElementColumn[1], kRightColumn);
    Sounds();
    Remote(5);
    Remote(7);
    Remote(7);
    Remote(6);
    EXPECT_EQ(view->State().Stars, (std::array<std::uint8_t, 2>{1, 1}));
    Setting("JoystickOn", 0);
    view->Poke().ActivePlayer = 1;
    Remote(13);
    Remote(14);
    Remote(15);
    Remote(99);
    EXPECT_TRUE(Sounds().empty());
    view->OnCommand(CommandId::JoystickOn);
    Remote(13);
    EXPECT_EQ(Sounds(), std::vector<std::string>{"ERROR"});  // judged: selection in the pool
}

TEST_F(CommandsTest, StopButtonsFromAnotherThreadArriveInOrder) {
    // The reader thread only posts; the view acts on its own thread in arrival order.
    std::thread reader([this] {
        for (int i = 0; i < 200; ++i) {
            host.PostRemoteButton(i % 2 == 0 ? 5u : 4u);
        }
        host.PostRemoteButton(1);
        host.PostRemoteButton(0);
    });
    while (view->State().Latched[1] == 0) {
        host.RunTicks(1);
    }
    reader.join();
    host.DeliverPosted();
    EXPECT_EQ(view->State().Stars[0], 0);
    EXPECT_EQ(view->State().Latched, (std::array<std::uint8_t, 2>{0, 1}));
}

TEST_F(CommandsTest, StarsWrapAtTheModulus) {
    for (int i = 0; i < 7; ++i) {
        view->OnCommand(CommandId::AddStarLeft);
    }
    EXPECT_EQ(view->State().Stars[0], 7);
    view->OnCommand(CommandId::AddStarLeft);
    EXPECT_EQ(view->State().Stars[0], 0);
    view->OnCommand(CommandId::RemoveStarRight);
    EXPECT_EQ(view->State().Stars[1], 7);

    view->OnCommand(CommandId::TwoRowsOfStars);
    EXPECT_EQ(view->State().StarModulus, 25u);
    EXPECT_EQ(view->State().StarColumns, 2);
    EXPECT_EQ(view->State().StarPanelWidth, 136);
    EXPECT_EQ(view->State().StarCellHeight, 68);
    view->OnCommand(CommandId::RemoveStarLeft);
    EXPECT_EQ(view->State().Stars[0], 24);
    view->OnCommand(CommandId::AddStarLeft);
    EXPECT_EQ(view->State().Stars[0], 0);
    view->OnCommand(CommandId::RemoveStarLeft);

    // A smaller panel keeps the 24 stars until the next change wraps them.
    view->OnCommand(CommandId::SmallStars);
    EXPECT_EQ(view->State().Stars[0], 24);
    EXPECT_EQ(view->State().StarPanelWidth, 68);
    view->OnCommand(CommandId::AddStarLeft);
    EXPECT_EQ(view->State().Stars[0], 1);
    EXPECT_GE(host.RedrawCount(), 2);
    EXPECT_TRUE(view->IsCommandChecked(CommandId::SmallStars));
    EXPECT_FALSE(view->IsCommandChecked(CommandId::LargeStars));
}

TEST_F(CommandsTest, UnknownStoredStarSizeDrawsLargeAndChecksNothing) {
    view.reset();
    store.WriteNumber("StarSize", 7);
    Create("/puzzles");
    EXPECT_EQ(view->State().StarPanelWidth, 136);
    EXPECT_EQ(view->State().StarModulus, 8u);
    for (CommandId id : {CommandId::SmallStars, CommandId::MediumStars, CommandId::LargeStars,
                         CommandId::TwoRowsOfStars}) {
        EXPECT_FALSE(view->IsCommandChecked(id));
    }
}

TEST_F(CommandsTest, PlayerCommands) {
    view->Poke().ActivePlayer = 0;
    view->OnCommand(CommandId::ToggleLeftPlayer);  // the active player chosen again: nobody
    EXPECT_EQ(view->State().ActivePlayer, kNobody);
    EXPECT_FALSE(view->IsCommandChecked(CommandId::ToggleLeftPlayer));

    view->Poke().Started = 1;
    view->OnCommand(CommandId::SwitchPlayer);
    EXPECT_EQ(view->State().ActivePlayer, 0u);
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{3, 0}));
    view->OnCommand(CommandId::ToggleRightPlayer);
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{0, 4}));
    view->OnCommand(CommandId::ToggleRightPlayer);
    EXPECT_EQ(view->State().ActivePlayer, kNobody);
    EXPECT_EQ(view->State().PanelColour, (std::array<std::uint8_t, 2>{0, 0}));
}

TEST_F(CommandsTest, SwitchesAreSavedWhenTheViewEnds) {
    view->OnCommand(CommandId::UseFormulas);
    view->OnCommand(CommandId::UseFormulas);
    view->OnCommand(CommandId::AutoStars);
    view->OnCommand(CommandId::JoystickOn);
    EXPECT_FALSE(view->IsCommandChecked(CommandId::AutoStars));
    EXPECT_TRUE(host.ReaderRunning());
    view.reset();
    EXPECT_FALSE(host.ReaderRunning());
    EXPECT_EQ(store.ReadNumber("UseFormular"), 1u);
    EXPECT_EQ(store.ReadNumber("AutoStars"), 0u);
    EXPECT_EQ(store.ReadNumber("JoystickOn"), 0u);
    EXPECT_EQ(store.ReadText("PicPath"), "/puzzles");
}

TEST_F(CommandsTest, NextGameNumberBox) {
    host.PrepareAnswer("5");
    view->OnCommand(CommandId::NextGameNumber);
    ASSERT_EQ(host.Dialogs().size(), 1u);
    EXPECT_EQ(host.Dialogs()[0].title,
              "N\xE4"
              "chstes Spiel");
    EXPECT_EQ(host.Dialogs()[0].prompt, "Bitte hier die Spielnummer eingeben :");
    EXPECT_EQ(host.Dialogs()[0].initial, "1");
    EXPECT_EQ(view->State().GameNumber, 4);
    for (const char* refused : {"0", "1001", "abc", "5"}) {
        host.PrepareAnswer(refused);
        view->OnCommand(CommandId::NextGameNumber);
        EXPECT_EQ(view->State().GameNumber, 4) << refused;
    }
    EXPECT_EQ(host.Dialogs().back().initial, "5");
    host.PrepareAnswer(std::nullopt);
    view->OnCommand(CommandId::NextGameNumber);
    EXPECT_EQ(view->State().GameNumber, 4);
    host.PrepareAnswer("1000");
    view->OnCommand(CommandId::NextGameNumber);
    EXPECT_EQ(view->State().GameNumber, 999);
    host.PrepareAnswer("0x10");
    view->OnCommand(CommandId::NextGameNumber);
    EXPECT_EQ(view->State().GameNumber, 15);
}

TEST_F(CommandsTest, TimeoutBox) {
    Setting("Timeout", 30);
    host.PrepareAnswer("30");
    view->OnCommand(CommandId::SetTimeout);
    EXPECT_EQ(host.Dialogs().back().title, "Timeout einstellen");
    EXPECT_EQ(host.Dialogs().back().prompt,
              "Nach wievilen Sekunden soll eines Auswahl abgebrochen werden :");
    EXPECT_EQ(host.Dialogs().back().initial, "30");
    EXPECT_EQ(view->State().Timeout, 30u);
    host.PrepareAnswer("5");
    view->OnCommand(CommandId::SetTimeout);
    EXPECT_EQ(view->State().Timeout, 20u);
    host.PrepareAnswer("kein");  // reads as 0: off
    view->OnCommand(CommandId::SetTimeout);
    EXPECT_EQ(view->State().Timeout, 0u);
}

TEST_F(CommandsTest, ComPortBox) {
    host.PrepareAnswer("com4");
    view->OnCommand(CommandId::SelectComPort);
    EXPECT_EQ(host.Dialogs().back().title, "COM-Port");
    EXPECT_EQ(host.Dialogs().back().prompt, "Bitte hier das COM-Port angeben :");
    EXPECT_EQ(host.Dialogs().back().initial, "COM1");
    EXPECT_EQ(view->State().ComPort.load(), 3u);
    view->OnCommand(CommandId::SelectComPort);  // cancelled
    EXPECT_EQ(host.Dialogs().back().initial, "COM4");
    EXPECT_EQ(view->State().ComPort.load(), 3u);
}

TEST_F(CommandsTest, PuzzlePathBoxAndTheCommandLinePath) {
    view->SetPuzzlePathFromCommandLine("/show/today/");
    EXPECT_EQ(view->State().PuzzlePath, "/show/today");
    EXPECT_EQ(view->State().PreviousPuzzlePath, "/puzzles");
    host.PrepareAnswer(std::nullopt);
    view->OnCommand(CommandId::SetPuzzlePath);
    EXPECT_EQ(host.Dialogs().back().title, "Pfad mit Texten");
    EXPECT_EQ(host.Dialogs().back().initial, "/puzzles");  // the root of the previous run
    EXPECT_EQ(view->State().PuzzlePath, "/show/today");
    host.PrepareAnswer("/elsewhere/");
    view->OnCommand(CommandId::SetPuzzlePath);
    EXPECT_EQ(view->State().PuzzlePath, "/elsewhere");
    EXPECT_EQ(view->State().PreviousPuzzlePath, "");
    view->OnCommand(CommandId::SetPuzzlePath);
    EXPECT_EQ(host.Dialogs().back().initial, "/elsewhere");
}

TEST_F(CommandsTest, AViewWithoutPuzzleRootAsksForOneWhenCreated) {
    view.reset();
    store.Clear();
    host.PrepareAnswer("/chosen");
    view = std::make_unique<CTestView>(host, store, NoPictures);
    host.Attach(view.get());
    const std::size_t before = host.Dialogs().size();
    view->OnCreate();
    EXPECT_EQ(host.Dialogs().size(), before);  // posted, not opened inside OnCreate
    host.DeliverPosted();
    ASSERT_EQ(host.Dialogs().size(), before + 1);
    EXPECT_EQ(host.Dialogs().back().kind, "folder");
    EXPECT_EQ(view->State().PuzzlePath, "/chosen");
}

}  // namespace
}  // namespace kelvandor::test
