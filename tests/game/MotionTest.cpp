// Board geometry and the movement bookkeeping of the repaint.

#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

class MotionTest : public ViewTest {
protected:
    void SetUp() override { Create(); }
};

TEST_F(MotionTest, LayoutOfTheBoard) {
    view->Puzzle.ElementCount = 12;
    view->OnSize(1920, 1080);
    EXPECT_EQ(view->AreaWidth, 1920 - 284);
    EXPECT_EQ(view->AreaHeight, 1038);
    EXPECT_EQ(view->TileHeight, 69);
    EXPECT_EQ(view->TileWidth, (1636 - 172) / 2);
    EXPECT_EQ(view->ColumnStep, view->TileWidth + 140);
    EXPECT_EQ(view->RowStep, 85);
    EXPECT_EQ(view->BoardOriginX, 158);
    EXPECT_EQ(view->BoardOriginY, (1038 - 85 * 12 + 16) / 2 + 42);

    view->OnSize(200, 60);  // narrower than both panels, very short
    EXPECT_EQ(view->AreaWidth, 0);
    EXPECT_EQ(view->TileWidth, 200);
    EXPECT_EQ(view->TileHeight, 40);
    EXPECT_FALSE(view->ComputeLayout());  // unchanged geometry: tiles stay as rendered
}

TEST_F(MotionTest, ElementsAnimateToTheirPlaceAndCrossingsRedrawTheWholeArea) {
    SetBoard({0, 1}, {1, 1}, {0, 3});
    view->DrawnColumn[1] = 0;  // element 1 starts its way from the left column
    view->MoveStartTick[0] = view->MoveStartTick[1] = host.TickCount();
    view->DirtyMask = kAllDirty;
    view->MovingCount = 2;
    host.Advance(50);
    ElementRepaint r = view->AdvanceElementMotion(host.TickCount());
    EXPECT_TRUE(r.fullRedraw);
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(r.elements[1].index, 1);  // the selected element is drawn last
    // 50 ms at 1500 px per 1024 ms: 73 px along the way.
    const std::int32_t distance = view->ColumnStep;
    EXPECT_EQ(r.elements[1].x, static_cast<std::int32_t>(distance * (73 * 4096 / distance) / 4096));
    EXPECT_EQ(view->MovingCount, 1u);
    EXPECT_EQ(view->DirtyMask, kAllDirty);
    EXPECT_EQ(view->DrawnColumn[0], 0);

    host.Advance(2000);
    r = view->AdvanceElementMotion(host.TickCount());
    EXPECT_EQ(r.elements[1].x, view->ColumnStep);
    EXPECT_EQ(view->DrawnColumn[1], 1);
    EXPECT_EQ(view->MovingCount, 0u);
    EXPECT_EQ(view->DirtyMask, 0u);  // no round end pending: no final redraw
}

TEST_F(MotionTest, ShortVerticalHopsAreSlowAndKeepOnlyTheirOwnBit) {
    SetBoard({0, 0}, {0, 2}, {0, 3});
    view->DrawnSlot[1] = 4;
    view->MoveStartTick[1] = host.TickCount();
    view->DirtyMask = 1u << 1;
    host.Advance(100);  // 100 ms at 200 px per 1024 ms: 19 px
    ElementRepaint r = view->AdvanceElementMotion(host.TickCount());
    EXPECT_FALSE(r.fullRedraw);
    ASSERT_EQ(r.count, 1);
    const std::int32_t from = 4 * view->RowStep / 2;
    const std::int32_t to = 2 * view->RowStep / 2;
    EXPECT_EQ(r.elements[0].y, from + (to - from) * (19 * 4096 / (from - to)) / 4096);
    EXPECT_EQ(view->DirtyMask, 1u << 1);
}

TEST_F(MotionTest, LastMoveOfARoundEndAsksForTheFinalFullRedraw) {
    SetBoard({0, 0}, {0, 2}, {0, 0});
    view->PhaseCountdown = 1;
    view->MovingCount = 1;
    view->DirtyMask = 0b11;
    view->AdvanceElementMotion(host.TickCount());
    EXPECT_EQ(view->MovingCount, 0u);
    EXPECT_EQ(view->DirtyMask, kFullRedrawBit);
    const ElementRepaint r = view->AdvanceElementMotion(host.TickCount());
    EXPECT_TRUE(r.fullRedraw);
    EXPECT_TRUE(r.showSolutionTexts);
}

TEST_F(MotionTest, AnElementThatWaitedAnHourStillArrives) {
    // dt x 1500 passes 2^32 after about 47 minutes; the element must not jump back.
    SetBoard({0, 1}, {1, 1}, {0, 3});
    view->DrawnColumn[1] = 0;
    view->MoveStartTick[1] = host.TickCount();
    view->DirtyMask = kAllDirty;
    host.Advance(60u * 60u * 1000u);
    const ElementRepaint r = view->AdvanceElementMotion(host.TickCount());
    EXPECT_EQ(r.elements[1].x, view->ColumnStep);
    EXPECT_EQ(view->DrawnColumn[1], 1);
    EXPECT_EQ(view->MovingCount, 0u);
}

TEST_F(MotionTest, ChangedCountdownDigitForcesAFullRedraw) {
    view->CountdownDigit = 4;
    const ElementRepaint r = view->AdvanceElementMotion(host.TickCount());
    EXPECT_TRUE(r.fullRedraw);
    EXPECT_EQ(r.countdownDigit, 4u);
    EXPECT_EQ(view->ShownCountdownDigit, 4u);
}

}  // namespace
}  // namespace kelvandor::test
