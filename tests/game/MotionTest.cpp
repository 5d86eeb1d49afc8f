// The motion step of the tick on a plain game state, the board's layout, and what the
// renderer draws again because of the motion.

#include "game/ElementMotion.h"
#include "game/GameRenderer.h"
#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

using Area = CHeadlessViewHost::Area;

// A game state with a laid-out board of tiles 400 x 56, without a view.
class MotionTest : public ::testing::Test {
protected:
    MotionTest() {
        layout.TileWidth = 400;
        layout.TileHeight = 56;
        layout.ColumnStep = 400 + 140;
        layout.RowStep = 56 + 16;
    }
    // Element i stands at (column, slot) and is on its way there from (fromColumn, fromSlot)
    // since tick `start`.
    void Place(int i, std::uint8_t column, std::uint8_t slot, std::uint8_t fromColumn,
               std::uint8_t fromSlot, std::uint32_t start = 0) {
        state.Puzzle.ElementCount = std::max(state.Puzzle.ElementCount, i + 1);
        state.ElementColumn[i] = column;
        state.ElementSlot[i] = slot;
        state.DrawnColumn[i] = fromColumn;
        state.DrawnSlot[i] = fromSlot;
        state.MoveStartTick[i] = start;
    }

    GameState state;
    ScreenLayout layout;
};

TEST_F(MotionTest, ACrossingMovesFastAndArrivesAtItsPlace) {
    Place(0, kLeftColumn, 1, kLeftColumn, 1);  // at rest
    Place(1, kRightColumn, 1, kLeftColumn, 1);
    state.MovingCount = 2;
    BoardMotion motion = AdvanceElementMotion(state, layout, 50);
    EXPECT_EQ(motion.movingBefore, 2u);
    EXPECT_FALSE(motion.Moving(0));
    ASSERT_TRUE(motion.Moving(1));
    // 50 ms at 1500 px per 1024 ms: 73 px along the way.
    const std::int32_t distance = layout.ColumnStep;
    EXPECT_EQ(motion.steps[1].at.x, distance * (73 * 4096 / distance) / 4096);
    EXPECT_EQ(motion.steps[1].at.y, 1 * layout.RowStep / 2);
    EXPECT_TRUE(motion.steps[1].crossing);
    EXPECT_EQ(state.MovingCount, 1u);
    EXPECT_EQ(state.DrawnColumn[1], kLeftColumn);

    motion = AdvanceElementMotion(state, layout, 2050);
    EXPECT_EQ(motion.movingMask, 0u);
    EXPECT_EQ(state.DrawnColumn[1], kRightColumn);
    EXPECT_EQ(state.MovingCount, 0u);
}

TEST_F(MotionTest, ShortVerticalHopsAreSlowAndStayInTheirColumn) {
    Place(0, kLeftColumn, 2, kLeftColumn, 4);
    // 100 ms at 200 px per 1024 ms: 19 px.
    const BoardMotion motion = AdvanceElementMotion(state, layout, 100);
    ASSERT_TRUE(motion.Moving(0));
    const std::int32_t from = 4 * layout.RowStep / 2;
    const std::int32_t to = 2 * layout.RowStep / 2;
    EXPECT_EQ(motion.steps[0].at.y, from + (to - from) * (19 * 4096 / (from - to)) / 4096);
    EXPECT_EQ(motion.steps[0].at.x, 0);
    EXPECT_FALSE(motion.steps[0].crossing);
}

TEST_F(MotionTest, ALargerScreensBoardMovesAsMuchFaster) {
    // 3840 x 2160: the board twice as large, the same move in the same time.
    layout.Scale = {2, 1};
    layout.ColumnStep *= 2;
    layout.RowStep *= 2;
    layout.TileHeight *= 2;
    Place(0, kRightColumn, 1, kLeftColumn, 1);
    const BoardMotion motion = AdvanceElementMotion(state, layout, 50);
    ASSERT_TRUE(motion.Moving(0));
    // 50 ms at 2 x 1500 px per 1024 ms: 146 px along the way.
    const std::int32_t distance = layout.ColumnStep;
    EXPECT_EQ(motion.steps[0].at.x, distance * (146 * 4096 / distance) / 4096);
}

TEST_F(MotionTest, AnElementThatWaitedAnHourStillArrives) {
    // dt x 1500 passes 2^32 after about 47 minutes; the element must not jump back.
    Place(0, kRightColumn, 1, kLeftColumn, 1);
    const BoardMotion motion = AdvanceElementMotion(state, layout, 60u * 60u * 1000u);
    EXPECT_EQ(motion.movingMask, 0u);
    EXPECT_EQ(state.DrawnColumn[0], kRightColumn);
    EXPECT_EQ(state.MovingCount, 0u);
}

TEST_F(MotionTest, ElementsBeyondTheCountAreLeftAlone) {
    Place(0, kLeftColumn, 0, kLeftColumn, 0);
    Place(1, kRightColumn, 1, kLeftColumn, 1);
    state.Puzzle.ElementCount = 1;  // the board was cleared while element 1 moved
    const BoardMotion motion = AdvanceElementMotion(state, layout, 50);
    EXPECT_EQ(motion.movingMask, 0u);
    EXPECT_EQ(state.DrawnColumn[1], kLeftColumn);
}

// The renderer on its own, drawing a game state without a view.
class RendererTest : public ::testing::Test {
protected:
    RendererTest() { renderer.Resize(1280, 720); }

    // The play area as the renderer names it when it draws all of it.
    Area PlayArea() const {
        const ScreenState& s = renderer.Screen();
        return {state.StarPanelWidth + 6, 42, s.AreaWidth, s.AreaHeight};
    }
    bool NamedPlayArea() {
        const std::vector<Area> areas = host.TakeInvalidated();
        return std::find(areas.begin(), areas.end(), PlayArea()) != areas.end();
    }

    CHeadlessViewHost host;
    GameState state;
    CGameRenderer renderer{host, state};
};

TEST_F(RendererTest, LayoutOfTheBoard) {
    state.Puzzle.ElementCount = 12;
    renderer.Resize(1920, 1080);
    const ScreenState& s = renderer.Screen();
    EXPECT_EQ(s.AreaWidth, 1920 - 284);
    EXPECT_EQ(s.AreaHeight, 1038);
    EXPECT_EQ(s.TileHeight, 69);
    EXPECT_EQ(s.TileWidth, (1636 - 172) / 2);
    EXPECT_EQ(s.ColumnStep, s.TileWidth + 140);
    EXPECT_EQ(s.RowStep, 85);
    EXPECT_EQ(s.BoardOriginX, 158);
    EXPECT_EQ(s.BoardOriginY, (1038 - 85 * 12 + 16) / 2 + 42);

    renderer.Resize(200, 60);  // narrower than both panels, very short
    EXPECT_EQ(s.AreaWidth, 0);
    EXPECT_EQ(s.TileWidth, 200);
    EXPECT_EQ(s.TileHeight, 40);
    EXPECT_FALSE(renderer.ComputeLayout());  // unchanged geometry: tiles stay as rendered
}

TEST_F(RendererTest, DrawingChangesNoGameState) {
    state.Puzzle.ElementCount = 2;
    state.ElementColumn = {kLeftColumn, kRightColumn};
    state.DrawnColumn = {kLeftColumn, kLeftColumn};
    state.ElementSlot = state.DrawnSlot = {1, 1};
    state.MovingCount = 1;
    state.CountdownDigit = 3;
    const auto drawn = state.DrawnColumn;
    BoardMotion motion;
    motion.movingBefore = 1;
    motion.movingMask = 0b10;
    motion.steps[1] = {{100, renderer.Screen().RowStep / 2}, true};
    renderer.RepaintTick(motion);
    EXPECT_EQ(state.DrawnColumn, drawn);
    EXPECT_EQ(state.MovingCount, 1u);
    EXPECT_EQ(state.CountdownDigit, 3u);
}

TEST_F(RendererTest, ACrossingRedrawsTheWholePlayAreaOnTheNextTick) {
    state.Puzzle.ElementCount = 2;
    state.ElementColumn = {kLeftColumn, kRightColumn};
    state.ElementSlot = {1, 1};
    renderer.RepaintTick({});
    host.TakeInvalidated();
    renderer.MarkDirty(1u << 1);
    BoardMotion motion;
    motion.movingMask = 0b10;
    motion.steps[1] = {{100, 0}, true};
    renderer.RepaintTick(motion);
    EXPECT_FALSE(NamedPlayArea()) << "a partial redraw names the frames only";
    EXPECT_EQ(renderer.Screen().DirtyMask, kAllDirty);
    motion.steps[1].crossing = false;  // a hop: only its own bit stays
    renderer.RepaintTick(motion);
    EXPECT_TRUE(NamedPlayArea());
    EXPECT_EQ(renderer.Screen().DirtyMask, 1u << 1);
}

TEST_F(RendererTest, LastMoveOfARoundEndAsksForTheFinalFullRedraw) {
    state.Puzzle.ElementCount = 2;
    state.ElementSlot = {0, 2};
    state.PhaseCountdown = 1;
    renderer.RepaintTick({});
    renderer.MarkDirty(0b11);
    BoardMotion motion;
    motion.movingBefore = 1;  // the last move ended in this step
    renderer.RepaintTick(motion);
    EXPECT_EQ(renderer.Screen().DirtyMask, kFullRedrawBit);
    host.TakeInvalidated();
    renderer.RepaintTick({});
    EXPECT_TRUE(NamedPlayArea());
    EXPECT_EQ(renderer.Screen().DirtyMask, 0u);
}

TEST_F(RendererTest, ChangedCountdownDigitForcesAFullRedraw) {
    renderer.RepaintTick({});
    host.TakeInvalidated();
    state.CountdownDigit = 4;
    renderer.RepaintTick({});
    EXPECT_TRUE(NamedPlayArea());
    EXPECT_EQ(renderer.Screen().ShownCountdownDigit, 4u);
    renderer.RepaintTick({});
    EXPECT_TRUE(host.TakeInvalidated().empty());
}

}  // namespace
}  // namespace kelvandor::test
