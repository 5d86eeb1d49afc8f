// The game screen as drawn into the back buffer: panels, bevels, question band, tiles, the
// countdown digit, and which areas each tick names as changed.

#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "image/GlyphFonts.h"
#include "tests/game/ViewFixture.h"

namespace kelvandor::test {
namespace {

using Area = CHeadlessViewHost::Area;

constexpr std::uint32_t kBevel[6] = {0xDEDEDE, 0xBCBCBC, 0x858585, 0x858585, 0x585858, 0x2C2C2C};
constexpr std::uint32_t kFill[4] = {0xF5F5FF, 0xFFFF80, 0xFF8080, 0xDFDFFF};
constexpr std::uint32_t kBorder[4] = {0x6464FF, 0x6464FF, 0x6464FF, 0xFA649B};

std::uint32_t PixelOf(const CDibImage& image, std::int32_t x, std::int32_t y) {
    return image.getPixel(image.Row(static_cast<std::uint32_t>(y)), static_cast<std::uint32_t>(x)) &
           0xFFFFFF;
}

// Width of the text in `font`, as the renderer measures it.
std::int32_t TextWidth(const std::uint8_t* font, const std::string& text) {
    CDibImage scratch;
    scratch.Create(24, 1, 1, 0);
    scratch.SetFont(font);
    return scratch.DrawText(0, CDibImage::MeasureOnly, text.c_str());
}

// Leftmost and rightmost column in rows [top, bottom) whose pixels are not `background`.
std::pair<std::int32_t, std::int32_t> InkColumns(const CDibImage& image, std::int32_t left,
                                                 std::int32_t right, std::int32_t top,
                                                 std::int32_t bottom, std::uint32_t background) {
    std::int32_t first = -1, last = -1;
    for (std::int32_t x = left; x < right; ++x) {
        for (std::int32_t y = top; y < bottom; ++y) {
            if (PixelOf(image, x, y) != background) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

// The columns that `text` inks when drawn in `font` starting at x = 0 (glyphs have side
// bearings, so the ink is narrower than the measured width).
std::pair<std::int32_t, std::int32_t> InkOfText(const std::uint8_t* font, const std::string& text) {
    CDibImage scratch;
    const std::int32_t width = TextWidth(font, text) + 4;
    scratch.Create(24, static_cast<std::uint32_t>(width), 64, 0);
    scratch.SetFont(font);
    scratch.SetTextPen(CDibImage::PenSoft, 0xFFFFFF, false);
    scratch.DrawText(2, 2, text.c_str());
    const auto [first, last] = InkColumns(scratch, 0, width, 0, 64, 0);
    return {first - 2, last - 2};
}

class ScreenTest : public ViewTest {
protected:
    void SetUp() override { Create(); }

    CDibImage& Back() { return host.BackBuffer(); }
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) { return PixelOf(Back(), x, y); }

    void Resize(std::int32_t w, std::int32_t h) {
        view->OnSize(w, h);
        host.RunTicks(1);
    }
    // Element i's top-left corner on screen at its place on the board.
    std::pair<std::int32_t, std::int32_t> TileAt(std::size_t i) const {
        const ScreenState& screen = view->Screen();
        return {screen.BoardOriginX + view->State().ElementColumn[i] * screen.ColumnStep,
                screen.BoardOriginY + view->State().ElementSlot[i] * screen.RowStep / 2};
    }
    // A board of answers "A0".."An-1" at rest, laid out for the current view size and drawn.
    void Board(const std::vector<int>& columns, const std::vector<int>& slots,
               const std::vector<int>& states, std::uint32_t active = 0) {
        SetBoard(columns, slots, states, active);
        host.RunTicks(1);
        host.TakeInvalidated();
    }
};

class ScreenSizeTest : public ScreenTest,
                       public ::testing::WithParamInterface<std::pair<int, int>> {};

INSTANTIATE_TEST_SUITE_P(FullHdAndSmallWindow, ScreenSizeTest,
                         ::testing::Values(std::pair{1920, 1080}, std::pair{800, 600}));

TEST_P(ScreenSizeTest, BevelsRunLightToDarkOnBothSidesAndUnderTheQuestion) {
    const auto [w, h] = GetParam();
    Resize(w, h);
    const std::int32_t p = view->State().StarPanelWidth;
    for (std::int32_t i = 0; i < 6; ++i) {
        for (std::int32_t y : {0, h / 2, h - 1}) {
            EXPECT_EQ(Pixel(p + i, y), kBevel[i]) << "left bevel x=" << p + i << " y=" << y;
            EXPECT_EQ(Pixel(w - p - 6 + i, y), kBevel[i]) << "right bevel, not mirrored";
        }
        EXPECT_EQ(Pixel(p + 6, 36 + i), kBevel[i]) << "row " << 36 + i;
        EXPECT_EQ(Pixel(w - p - 7, 36 + i), kBevel[i]) << "row " << 36 + i;
    }
    EXPECT_EQ(Pixel(p + 6, 35), 0x000000u);
    EXPECT_EQ(Pixel(p + 6, 42), 0x000000u);
}

TEST_P(ScreenSizeTest, TilesShowFillAndBorderOfTheirState) {
    const auto [w, h] = GetParam();
    Resize(w, h);
    Board({0, 0, 1, 1}, {1, 3, 1, 3}, {0, 2, 1, 3});
    const std::int32_t tw = view->Screen().TileWidth, th = view->Screen().TileHeight;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t state = view->State().ElementState[i];
        const auto [x, y] = TileAt(i);
        SCOPED_TRACE("state " + std::to_string(state));
        EXPECT_EQ(Pixel(x + tw - 6, y + th / 2), kFill[state]);
        EXPECT_EQ(Pixel(x + tw / 2, y + th - 6), kFill[state]);
        EXPECT_EQ(Pixel(x + tw - 2, y + th / 2), kBorder[state]);
        EXPECT_EQ(Pixel(x + tw / 2, y + 1), kBorder[state]);
        EXPECT_EQ(Pixel(x, y), 0x000000u) << "the rounded corner leaves the background";
    }
}

TEST_P(ScreenSizeTest, PanelsTakeTheColourOfIdleLatchedAndActivePlayers) {
    const auto [w, h] = GetParam();
    Resize(w, h);
    const std::int32_t p = view->State().StarPanelWidth;
    const std::int32_t cellTop = h - view->State().StarCellHeight;
    const std::pair<std::array<std::uint8_t, 2>, std::array<std::uint32_t, 2>> cases[] = {
        {{kPanelLeftActive, kPanelIdle}, {0x630000, 0x000000}},
        {{kPanelIdle, kPanelRightActive}, {0x000000, 0x000063}},
        {{1, 1}, {0xBCBC00, 0xBCBC00}},
        {{kPanelIdle, kPanelIdle}, {0x000000, 0x000000}},
    };
    for (const auto& [codes, colours] : cases) {
        view->Poke().PanelColour = codes;
        host.RunTicks(1);
        for (std::int32_t y : {cellTop + 1, 5, h / 2}) {
            EXPECT_EQ(Pixel(1, y), colours[0]) << "left panel y=" << y;
            EXPECT_EQ(Pixel(w - 2, y), colours[1]) << "right panel y=" << y;
        }
        EXPECT_EQ(Pixel(p - 1, cellTop + 1), colours[0]);
        EXPECT_EQ(Pixel(w - p, cellTop + 1), colours[1]);
    }
}

TEST_F(ScreenTest, TwelveAnswersFillAFullHdBoardWithTilesOf69Pixels) {
    Resize(1920, 1080);
    std::vector<int> columns, slots, states;
    for (int i = 0; i < 12; ++i) {
        columns.push_back(i % 2);
        slots.push_back(2 * (i / 2) + i % 2);
        states.push_back(1);
    }
    Board(columns, slots, states);
    ASSERT_EQ(view->Screen().TileHeight, 69);
    EXPECT_EQ(view->Images().StateTiles[1].height, 69u);
    EXPECT_EQ(view->Images().ElementImages[11].width,
              static_cast<std::uint32_t>(view->Screen().TileWidth));
    for (std::size_t i = 0; i < 12; ++i) {
        const auto [x, y] = TileAt(i);
        EXPECT_EQ(Pixel(x + view->Screen().TileWidth - 6, y + 34), kFill[1]) << "element " << i;
        EXPECT_EQ(Pixel(x + view->Screen().TileWidth - 6, y + 69), 0x000000u) << "gap below " << i;
    }
    const auto [lastX, lastY] = TileAt(10);
    EXPECT_LE(lastY + 69, 1080);
    EXPECT_EQ(Pixel(lastX + 100, lastY + 69 + 1), 0x000000u);
}

TEST_F(ScreenTest, SelectedElementLiesOnTopOfAnOverlappingOne) {
    Resize(1280, 720);
    // Element 0 is selected and would be covered by element 1 in index order.
    Board({0, 0}, {0, 1}, {3, 1});
    const auto [x, y] = TileAt(1);
    EXPECT_EQ(Pixel(x + view->Screen().TileWidth - 20, y + 6), kFill[3]);
    EXPECT_EQ(Pixel(x + view->Screen().TileWidth - 20, y + view->Screen().TileHeight - 6),
              kFill[1]);
}

TEST_F(ScreenTest, CountdownDigitSitsUnderATileThatOverlapsIt) {
    // In a small window the tiles have their minimum width and the left column runs under
    // the centre of the screen, where the digit is drawn.
    Resize(640, 480);
    std::vector<int> columns(12, 0), slots, states(12, 1);
    for (int i = 0; i < 12; ++i) {
        slots.push_back(2 * i + 1);
    }
    Board(columns, slots, states);
    // 21 s into a 30 s turn: the digit 8 is shown.
    Setting("Timeout", 30);
    view->Poke().TurnStartTick = host.TickCount() + 50 - 21000;
    host.RunTicks(1);
    ASSERT_EQ(view->State().CountdownDigit, 9u);

    const CDibImage& digit = view->Images().Digits[8];
    ASSERT_EQ(digit.width, 40u);
    const std::int32_t dx = (640 - 40) / 2;
    const auto [tx, ty] = TileAt(2);  // its top edge lies within the digit's rows
    ASSERT_EQ(view->Screen().TileHeight, 40);
    ASSERT_GT(ty, 52 + 16);
    ASSERT_LT(ty, 52 + static_cast<std::int32_t>(digit.height));
    ASSERT_LE(tx, dx);
    std::int32_t glyphPixels = 0, coveredPixels = 0;
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(digit.height); ++y) {
        for (std::int32_t x = 0; x < 40; ++x) {
            if (PixelOf(digit, x, y) != 0xFFFFFF) {
                continue;
            }
            if (52 + y < ty && 52 + y >= ty - 16) {  // the gap above the tile
                glyphPixels += Pixel(dx + x, 52 + y) == 0xFFFFFF;
            } else if (52 + y >= ty + 4 && 52 + y < ty + view->Screen().TileHeight - 4) {
                coveredPixels += Pixel(dx + x, 52 + y) == 0xFFFFFF;
            }
        }
    }
    EXPECT_GT(glyphPixels, 20) << "the digit shows above the tile";
    EXPECT_EQ(coveredPixels, 0) << "the tile covers the digit";

    Setting("Timeout", 0);
    host.RunTicks(1);
    EXPECT_EQ(InkColumns(Back(), dx, dx + 40, ty - 16, ty, 0x000000).first, -1)
        << "the digit goes with the countdown";
}

TEST_F(ScreenTest, NarrowWindowKeepsTheMinimumTileWidthAndTheBandOffThePanels) {
    view->Poke().PanelColour = {kPanelIdle, kPanelRightActive};
    Resize(250, 300);
    EXPECT_EQ(view->Screen().AreaWidth, 0);
    EXPECT_EQ(view->Screen().TileWidth, 200);
    EXPECT_EQ(view->Images().StateTiles[0].width, 200u);
    // There is no room for the question band; its fills must not reach back over the right
    // bevel and panel, which lie left of where the band would start.
    const std::int32_t rightPanel = 250 - view->State().StarPanelWidth;
    EXPECT_EQ(Pixel(rightPanel + 5, 10), 0x000063u);
    EXPECT_EQ(Pixel(rightPanel + 5, 38), 0x000063u);
    EXPECT_EQ(Pixel(rightPanel - 3, 10), kBevel[3]);
}

TEST_F(ScreenTest, StarsFillTheirCellsAndWrapIntoTheNextRow) {
    view->SetStarSize(3);  // two columns of small stars, 68 x 68 cells
    Resize(1280, 720);
    view->Poke().Stars = {3, 0};
    host.RunTicks(1);
    const CDibImage& star = view->Images().CurrentStar;
    ASSERT_EQ(star.width, 50u);
    const std::uint32_t starCentre = PixelOf(star, 25, 23);
    ASSERT_NE(starCentre, 0x000000u);
    const auto centre = [&](int k) {
        return Pixel(68 * (k % 2) + 9 + 25, 720 - 68 * (1 + k / 2) + 10 + 23);
    };
    EXPECT_EQ(centre(0), starCentre);
    EXPECT_EQ(centre(1), starCentre);
    EXPECT_EQ(centre(2), starCentre) << "the third star starts the second row";
    EXPECT_EQ(centre(3), 0x000000u);
    EXPECT_EQ(Pixel(1280 - 34, 720 - 34), 0x000000u) << "the right player has none";

    view->Poke().Stars = {2, 0};
    host.TakeInvalidated();
    host.RunTicks(1);
    EXPECT_EQ(centre(2), 0x000000u);
    EXPECT_EQ(host.TakeInvalidated(), (std::vector<Area>{{0, 720 - 136, 68, 68}}));
}

TEST_F(ScreenTest, QuestionTakesTheLargestFontThatFitsCentredInTheBand) {
    Resize(1280, 720);
    const std::int32_t left = view->State().StarPanelWidth + 6, band = 1280 - 2 * left;
    const std::string shortText = "Welche Stadt liegt am weitesten n\xF6rdlich?";
    std::string longText, hugeText;
    while (TextWidth(FontMedium(), longText) <= band - 8) {
        longText += "Wort ";
    }
    while (TextWidth(FontSmall(), hugeText) <= band - 8) {
        hugeText += "Langes Wort ";
    }
    const std::pair<std::string, const std::uint8_t*> cases[] = {
        {shortText, FontMedium()}, {longText, FontSmall()}, {hugeText, FontTiny()}};
    for (const auto& [text, font] : cases) {
        view->Poke().Puzzle.QuestionText = text;
        view->PokeScreen().MarkQuestionDirty();
        host.TakeInvalidated();
        host.RunTicks(1);
        EXPECT_EQ(host.TakeInvalidated(), (std::vector<Area>{{left, 0, band, 42}}));
        const auto [first, last] = InkColumns(Back(), left, left + band, 0, 36, 0x000000);
        const std::int32_t width = TextWidth(font, text);
        if (width <= band) {
            const auto ink = InkOfText(font, text);
            EXPECT_EQ(first, 640 - width / 2 + ink.first) << text;
            EXPECT_EQ(last, 640 - width / 2 + ink.second) << text;
        } else {
            EXPECT_EQ(first, left) << "a question too wide runs over the band's ends";
            EXPECT_EQ(last, left + band - 1);
        }
    }
}

TEST_F(ScreenTest, AnswerTakesTheLargestFontThatFitsItsTile) {
    Resize(1280, 720);
    Board({0}, {0}, {1});
    const std::int32_t tw = view->Screen().TileWidth;
    std::string longText;
    while (TextWidth(FontLarge(), longText) + 24 <= tw) {
        longText += "W";
    }
    const std::pair<std::string, const std::uint8_t*> cases[] = {{"Rom", FontLarge()},
                                                                 {longText, FontMedium()}};
    for (const auto& [text, font] : cases) {
        ArrangedElement answer{kLeftColumn, 0, kStateNormal};
        answer.answer = text;
        view->ArrangeBoard(std::span(&answer, 1), 0);
        const CDibImage& image = view->Images().ElementImages[0];
        const auto [first, last] = InkColumns(image, 0, tw, 0, view->Screen().TileHeight, 0x000000);
        const auto ink = InkOfText(font, text);
        EXPECT_EQ(first, 12 + ink.first) << text;
        EXPECT_EQ(last, 12 + ink.second) << text;
    }
}

TEST_F(ScreenTest, PartialRedrawsNameOnlyTheFramesOfMovedElements) {
    Resize(1280, 720);
    Board({0, 0, 1}, {0, 2, 1}, {0, 3, 1});
    host.RunTicks(2);
    EXPECT_TRUE(host.TakeInvalidated().empty()) << "nothing changed, nothing named";

    view->MoveSelected(kMoveUp);  // swaps the two elements of the left column
    host.RunTicks(1);
    const std::int32_t fw = view->Screen().TileWidth + 17, fh = view->Screen().TileHeight + 17;
    const std::vector<Area> frames = host.TakeInvalidated();
    ASSERT_FALSE(frames.empty());
    for (const Area& a : frames) {
        EXPECT_EQ(a.w, fw);
        EXPECT_EQ(a.h, fh);
        EXPECT_EQ(a.x, view->Screen().BoardOriginX - 8);
    }
    // The moved element is named last, being the selected one.
    const auto [sx, sy] = TileAt(1);
    EXPECT_EQ(frames.back(), (Area{sx - 8, sy - 8, fw, fh}));
    ASSERT_TRUE(host.RunTicksUntil(200, [&] { return view->State().MovingCount == 0; }));
    host.RunTicks(1);
    host.TakeInvalidated();
    host.RunTicks(1);
    EXPECT_TRUE(host.TakeInvalidated().empty());
    EXPECT_EQ(Pixel(sx + view->Screen().TileWidth - 6, sy + view->Screen().TileHeight / 2),
              kFill[3]);
}

TEST_F(ScreenTest, FullRedrawLeavesNothingOldBehindTheTiles) {
    Resize(1280, 720);
    // Element 3 lies half over elements 0 and 1; the selected element 1 lies over it.
    Board({0, 0, 1, 0}, {0, 2, 1, 1}, {0, 3, 1, 2});
    CDibImage& back = Back();
    for (std::int32_t y = 0; y < 720; y += 2) {
        back.FillRect(0, y, 1280, 1, 0x123456);  // stale content everywhere
    }
    view->ForceFullRedraw();
    view->AdvanceAndDraw(host.TickCount());

    // What the plain recipe gives: the area filled black, then every tile and image blended.
    CDibImage expected(back);
    expected.FillRect(view->State().StarPanelWidth + 6, 42, view->Screen().AreaWidth,
                      view->Screen().AreaHeight, 0xFF000000u);
    for (std::size_t i : {0u, 2u, 3u, 1u}) {  // index order, the selected element last
        const auto [x, y] = TileAt(i);
        expected.DrawAlphaOver(view->Images().StateTiles[view->State().ElementState[i]], x, y);
        expected.DrawAlphaOver(view->Images().ElementImages[i], x, y);
    }
    int differing = 0;
    for (std::uint32_t y = 0; y < 720; ++y) {
        differing += std::memcmp(back.Row(y), expected.Row(y), 3 * 1280) != 0;
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(ScreenTest, ResizingToTheSameSizeDrawsTheWholeScreenAgain) {
    Resize(1280, 720);
    Board({0}, {0}, {1});
    const auto [x, y] = TileAt(0);
    view->OnSize(1280, 720);  // clears the back buffer, the layout stays
    host.RunTicks(1);
    EXPECT_EQ(Pixel(x + view->Screen().TileWidth - 6, y + view->Screen().TileHeight / 2), kFill[1]);
    EXPECT_EQ(Pixel(view->State().StarPanelWidth + 6, 38), kBevel[2]);
}

TEST_F(ScreenTest, SolutionTextsAppearBesideTheTilesOnceTheRoundIsOver) {
    Resize(1280, 720);
    std::vector<ArrangedElement> board = {{kLeftColumn, 1, kStatePlaced},
                                          {kRightColumn, 1, kStateNormal}};
    board[0].solution = "1492";
    view->ArrangeBoard(board, 0);
    host.RunTicks(1);
    const std::int32_t x = view->Screen().BoardOriginX + view->Screen().TileWidth + 16;
    const auto ink = [&] {
        return InkColumns(Back(), x, x + 120, view->Screen().BoardOriginY,
                          view->Screen().BoardOriginY + view->Screen().RowStep, 0x000000);
    };
    EXPECT_EQ(ink().first, -1);
    view->RevealSolution();
    ASSERT_TRUE(host.RunTicksUntil(400, [&] {
        return view->State().PhaseCountdown == 1 && view->State().MovingCount == 0 &&
               view->Screen().DirtyMask == 0;
    }));
    const auto expected = InkOfText(FontLarge(), "1492");
    EXPECT_EQ(ink().first, x + expected.first);
    EXPECT_EQ(ink().second, x + expected.second);
}

// The play area as the plain recipe composes it from the places each element was last drawn
// at: cleared, then every element's state tile and image blended, in drawing order.
CDibImage ComposedBoard(const CTestView& view, const CDibImage& back) {
    const ScreenState& screen = view.Screen();
    const GameState& state = view.State();
    CDibImage expected(back);
    expected.FillRect(screen.AreaLeft(), screen.PlayAreaTop, screen.AreaWidth, screen.AreaHeight,
                      0xFF000000u);
    std::vector<std::size_t> order;
    std::size_t selected = kMaxElements;
    for (std::size_t i = 0; i < static_cast<std::size_t>(view.ElementCount()); ++i) {
        if (state.ElementState[i] == kStateSelected && selected == kMaxElements) {
            selected = i;
        } else {
            order.push_back(i);
        }
    }
    if (selected != kMaxElements) {
        order.push_back(selected);
    }
    for (std::size_t i : order) {
        const std::int32_t x = screen.BoardOriginX + screen.ShownAt[i].x;
        const std::int32_t y = screen.BoardOriginY + screen.ShownAt[i].y;
        expected.DrawAlphaOver(view.Images().StateTiles[state.ElementState[i]], x, y);
        expected.DrawAlphaOver(view.Images().ElementImages[i], x, y);
    }
    return expected;
}

TEST_F(ScreenTest, EveryTickOfARoundDrawsTheBoardAsAWholeAndNamesWhatChanged) {
    CPuzzleFolder folder;
    folder.Write(1, "Vier\nAlpha\nBeta\nGamma\nDelta\n");
    folder.Write(2, "F\xFCnf\nA\nB\nC\nD\nE\n");
    folder.Write(3, "Sechs\nA\nB\nC\nD\nE\nF\n");
    view->SetPuzzlePathFromCommandLine(folder.Path());
    Resize(1920, 1080);
    const ScreenState& screen = view->Screen();
    const auto checkTicks = [&](int ticks, const std::string& what) {
        for (int t = 0; t < ticks; ++t) {
            const CDibImage before(Back());
            host.TakeInvalidated();
            host.RunTicks(1);
            const std::vector<Area> named = host.TakeInvalidated();
            const CDibImage expected = ComposedBoard(*view, Back());
            int wrong = 0, unnamed = 0;
            for (std::int32_t y = screen.PlayAreaTop; y < 1080; ++y) {
                for (std::int32_t x = screen.AreaLeft(); x < screen.AreaLeft() + screen.AreaWidth;
                     ++x) {
                    const std::uint32_t now = Pixel(x, y);
                    wrong += now != PixelOf(expected, x, y);
                    if (now != PixelOf(before, x, y) &&
                        std::none_of(named.begin(), named.end(), [&](const Area& a) {
                            return x >= a.x && x < a.x + a.w && y >= a.y && y < a.y + a.h;
                        })) {
                        ++unnamed;
                    }
                }
            }
            ASSERT_EQ(wrong, 0) << what << ", tick " << t << ": a trail or a second copy";
            ASSERT_EQ(unnamed, 0) << what << ", tick " << t << ": changed but not refreshed";
        }
    };
    for (int round = 1; round <= 3; ++round) {
        view->StartNextPuzzle();
        ASSERT_EQ(view->State().GameNumber, round);
        checkTicks(60, "deal " + std::to_string(round));
        Key(ArrowKey::Left);  // the selected answer crosses into the left column
        checkTicks(30, "crossing " + std::to_string(round));
        Key(ArrowKey::Down);  // and hops past its neighbour there
        checkTicks(40, "hop " + std::to_string(round));
        view->ClearBoard();
        host.RunTicks(1);
    }
}

// The state tile as its recipe has it: drawn three times larger and averaged down. On a
// 1080p screen the border is 4 pixels and the corner radius 12 (`grow` 1); a larger screen
// grows both.
CDibImage SupersampledTile(std::int32_t w, std::int32_t t, std::uint32_t f, std::uint32_t b,
                           std::int32_t grow = 1) {
    const std::int32_t border = 12 * grow, radius = 36 * grow;  // work-image pixels
    CDibImage work;
    work.Create(32, 3 * w, 3 * t, 0);
    work.FillRect(border, border, 3 * w - 2 * border, 3 * t - 2 * border, f);
    work.FillRect(radius - 1, 0, 3 * w - 2 * radius + 1, border, b);
    work.FillRect(radius - 1, 3 * t - border, 3 * w - 2 * radius + 1, border, b);
    work.FillRect(0, radius - 1, border, 3 * t - 2 * radius + 1, b);
    work.FillRect(3 * w - border, radius - 1, border, 3 * t - 2 * radius + 1, b);
    const std::int32_t cx[4] = {radius - 1, 3 * w - radius, radius - 1, 3 * w - radius};
    const std::int32_t cy[4] = {radius - 1, radius - 1, 3 * t - radius, 3 * t - radius};
    const std::int32_t inner = radius - border;
    for (int k = 0; k < 4; ++k) {
        for (std::int32_t dy = -radius; dy <= radius; ++dy) {
            for (std::int32_t dx = -radius; dx <= radius; ++dx) {
                const bool away = (k % 2 == 0 ? dx < 0 : dx >= 0) && (k < 2 ? dy < 0 : dy >= 0);
                if (away && dx * dx + dy * dy < radius * radius) {
                    work.SetPixel(cx[k] + dx, cy[k] + dy,
                                  dx * dx + dy * dy < inner * inner ? f : b);
                }
            }
        }
    }
    CDibImage tile;
    tile.Scale(work, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(t), 1);
    return tile;
}

TEST_F(ScreenTest, StateTilesAreTheSupersampledShapeAveragedDown) {
    // At 3840 x 2160 the screen is the 1080p one at twice the size: border and corners too.
    const std::tuple<int, int, int> sizes[] = {
        {1280, 720, 1}, {1920, 1080, 1}, {200, 100, 1}, {3840, 2160, 2}};
    for (const auto& [w, h, grow] : sizes) {
        view->OnSize(w, h);
        const std::int32_t tw = view->Screen().TileWidth, th = view->Screen().TileHeight;
        for (std::size_t state = 0; state < 4; ++state) {
            const CDibImage expected = SupersampledTile(tw, th, 0xFF000000u | kFill[state],
                                                        0xFF000000u | kBorder[state], grow);
            const CDibImage& tile = view->Images().StateTiles[state];
            ASSERT_EQ(tile.width, expected.width);
            ASSERT_EQ(tile.height, expected.height);
            ASSERT_EQ(tile.bitsPerPixel, 32u);
            int differing = 0;
            for (std::int32_t y = 0; y < th; ++y) {
                differing += std::memcmp(tile.Row(y), expected.Row(y), 4 * std::size_t(tw)) != 0;
            }
            EXPECT_EQ(differing, 0) << "rows differ at " << tw << "x" << th << " state " << state;
        }
    }
    // The corners are smoothed: partly covered pixels have partial alpha.
    const CDibImage& tile = view->Images().StateTiles[0];
    EXPECT_EQ(tile.getPixel(tile.Row(0), 0) >> 24, 0u);
    int partial = 0;
    for (std::uint32_t y = 0; y < 12; ++y) {
        for (std::uint32_t x = 0; x < 12; ++x) {
            const std::uint32_t alpha = tile.getPixel(tile.Row(y), x) >> 24;
            partial += alpha > 0 && alpha < 255;
        }
    }
    EXPECT_GT(partial, 8);
}

TEST_F(ScreenTest, DigitImagesHoldTheirGlyphsOnBlack) {
    for (std::size_t d = 0; d < 10; ++d) {
        const CDibImage& digit = view->Images().Digits[d];
        ASSERT_EQ(digit.bitsPerPixel, 24u);
        ASSERT_EQ(digit.width, 40u);
        ASSERT_EQ(digit.height, 56u);
        EXPECT_EQ(PixelOf(digit, 0, 0), 0x000000u);
        const auto [first, last] = InkColumns(digit, 0, 40, 0, 56, 0x000000);
        EXPECT_GE(first, 0) << "digit " << d << " has a glyph";
    }
    // "1" is narrower than "0": the glyphs differ, so each image was cut from its own place.
    const auto zero = InkColumns(view->Images().Digits[0], 0, 40, 0, 56, 0);
    const auto one = InkColumns(view->Images().Digits[1], 0, 40, 0, 56, 0);
    EXPECT_LT(one.second - one.first, zero.second - zero.first);
}

}  // namespace
}  // namespace kelvandor::test
