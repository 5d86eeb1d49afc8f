// The board with awkward show material (tests/material), as `preview` draws it and as the
// quiz master sees it: pictures of extreme shapes stay in their tiles, broken pictures leave
// nothing, transparency is blended, long texts stay in their room, and small and large
// screens keep the board in its place. `check` and `preview` say what would look bad.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game/ScreenLayout.h"
#include "tests/support/PngPicture.h"
#include "tests/support/RunTool.h"
#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

using test::Picture;
using test::ReadPng;
using test::RunResult;
using test::RunTool;
using test::ShellQuote;
using test::TempFolder;

constexpr std::uint32_t kBevel[6] = {0xDEDEDE, 0xBCBCBC, 0x858585, 0x858585, 0x585858, 0x2C2C2C};
constexpr std::int32_t kAnswers = 4;                    // in each puzzle of the material
constexpr std::int32_t kStarPanel = 136;                // the default star size's panel and cell
constexpr std::int32_t kWidestAspect = 200 * 256 / 20;  // Game001's 10:1 picture

std::string MaterialRoot() {
    const char* source = std::getenv("KELVANDOR_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/tests/material";
}

struct Rect {
    std::int32_t x, y, w, h;
    bool Contains(std::int32_t px, std::int32_t py) const {
        return px >= x && px < x + w && py >= y && py < y + h;
    }
};

ScreenLayout LayoutAt(std::int32_t w, std::int32_t h) {
    return ComputeScreenLayout(w, h, kAnswers, kStarPanel, kStarPanel);
}

// The tiles as dealt: one answer in the middle of the left column, the others in the right.
std::vector<Rect> DealtTiles(const ScreenLayout& l) {
    const auto tile = [&](std::int32_t column, std::int32_t slot) {
        return Rect{l.BoardOriginX + column * l.ColumnStep, l.BoardOriginY + slot * l.RowStep / 2,
                    l.TileWidth, l.TileHeight};
    };
    std::vector<Rect> tiles = {tile(0, kAnswers - 1)};
    for (std::int32_t k = 1; k < kAnswers; ++k) {
        tiles.push_back(tile(1, 2 * k - 1));
    }
    return tiles;
}

// The screens of the material at w x h, written once per test into a scratch folder.
class ShowMaterialTest : public ::testing::Test {
protected:
    Picture Screen(std::int32_t w, std::int32_t h, int game, const char* what) {
        const std::string out = folder_.Path() + "/" + std::to_string(w) + "x" + std::to_string(h);
        if (!std::filesystem::exists(out)) {
            const RunResult r =
                RunTool("preview " + ShellQuote(MaterialRoot()) + " --size " + std::to_string(w) +
                        "x" + std::to_string(h) + " --seed 3 --out " + ShellQuote(out));
            EXPECT_EQ(r.status, 0) << r.out;
        }
        char name[32];
        std::snprintf(name, sizeof name, "/Game%03d-%s.png", game, what);
        const Picture p = ReadPng(out + name);
        EXPECT_EQ(p.width, static_cast<std::uint32_t>(w)) << name;
        return p;
    }

    TempFolder folder_;
};

// A pixel of the pure red, green or blue pictures (averaging may lose a unit).
bool IsPrimary(std::uint32_t c) {
    int high = 0, low = 0;
    for (int shift : {16, 8, 0}) {
        const std::uint32_t v = c >> shift & 0xFF;
        high += v >= 250;
        low += v <= 5;
    }
    return high == 1 && low == 2;
}

// Pixels of `p` in `area` for which `pick` holds.
int Count(const Picture& p, const Rect& area, const std::function<bool(std::uint32_t)>& pick) {
    int n = 0;
    for (std::int32_t y = area.y; y < area.y + area.h; ++y) {
        for (std::int32_t x = area.x; x < area.x + area.w; ++x) {
            n += pick(p.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)));
        }
    }
    return n;
}

TEST_F(ShowMaterialTest, DealtBoardShowsEachAnswerOnceWithNothingBesideTheTiles) {
    for (const auto& [w, h] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
        const ScreenLayout l = LayoutAt(w, h);
        const std::vector<Rect> tiles = DealtTiles(l);
        for (int game : {1, 2, 3}) {
            const Picture p = Screen(w, h, game, "deal");
            int stray = 0;
            for (std::int32_t y = l.PlayAreaTop; y < h; ++y) {
                for (std::int32_t x = l.AreaLeft(); x < l.AreaLeft() + l.AreaWidth; ++x) {
                    const bool inTile = std::any_of(tiles.begin(), tiles.end(), [&](const Rect& t) {
                        return t.Contains(x, y);
                    });
                    stray += !inTile && p.At(x, y) != 0;
                }
            }
            EXPECT_EQ(stray, 0) << "a trail or a second copy beside the tiles, Game00" << game
                                << " at " << w << "x" << h;
        }
    }
}

TEST_F(ShowMaterialTest, PicturesOfEveryShapeStayInTheirColumnWithTheTextBeside) {
    for (const auto& [w, h] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
        const ScreenLayout l = LayoutAt(w, h);
        const AnswerRoom room = AnswerRoomFor(l, kWidestAspect);
        EXPECT_GE(room.textWidth, (l.TileWidth - 2 * l.TileMargin()) / 2) << "half for the text";
        const Picture p = Screen(w, h, 1, "deal");
        const std::vector<Rect> tiles = DealtTiles(l);
        std::vector<Rect> columns;
        for (const Rect& t : tiles) {
            columns.push_back({t.x + l.TileMargin(), t.y + l.TileMargin(), room.pictureWidth,
                               room.pictureHeight});
        }
        int outside = 0, inside = 0;
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < w; ++x) {
                if (!IsPrimary(p.At(x, y))) {
                    continue;
                }
                const bool inColumn = std::any_of(columns.begin(), columns.end(),
                                                  [&](const Rect& c) { return c.Contains(x, y); });
                (inColumn ? inside : outside) += 1;
            }
        }
        EXPECT_EQ(outside, 0) << w << "x" << h;
        EXPECT_GT(inside, 3 * 100) << "the red, green and blue pictures show";
        for (const Rect& t : tiles) {
            const std::uint32_t fill = p.At(t.x + t.w - 6, t.y + t.h / 2);
            const Rect text{t.x + room.textX, t.y + l.TileMargin(), room.textWidth,
                            t.h - 2 * l.TileMargin()};
            EXPECT_GT(Count(p, text, [&](std::uint32_t c) { return c != fill; }), 20)
                << "the answer's text beside its picture, " << w << "x" << h;
        }
    }
}

TEST_F(ShowMaterialTest, HalfTransparentWhiteLightensItsTile) {
    const ScreenLayout l = LayoutAt(1280, 720);
    const AnswerRoom room = AnswerRoomFor(l, kWidestAspect);
    const Picture p = Screen(1280, 720, 1, "deal");
    // The white picture is square: it fills the column's height, its middle lies at the
    // column's height / 2 from the left margin.
    int found = 0;
    for (const Rect& t : DealtTiles(l)) {
        const std::int32_t side = room.pictureHeight;
        const Rect square{t.x + l.TileMargin() + 2, t.y + l.TileMargin() + 2, side - 4, side - 4};
        const std::uint32_t fill = p.At(t.x + t.w - 6, t.y + t.h / 2);
        const std::uint32_t middle = p.At(square.x + square.w / 2, square.y + square.h / 2);
        if (IsPrimary(middle) || middle == fill) {
            continue;
        }
        ++found;
        const int dark = Count(p, square, [](std::uint32_t c) {
            return (c >> 16 & 0xFF) <= 190 || (c >> 8 & 0xFF) <= 190 || (c & 0xFF) <= 190;
        });
        EXPECT_EQ(dark, 0) << "50 % white laid on a light tile is lighter than the tile";
    }
    EXPECT_EQ(found, 1);
}

TEST_F(ShowMaterialTest, BrokenPicturesLeaveNothingOfThemOnTheirTiles) {
    const ScreenLayout l = LayoutAt(1280, 720);
    const AnswerRoom room = AnswerRoomFor(l, 256);  // the one whole picture is square
    const Picture p = Screen(1280, 720, 2, "deal");
    EXPECT_EQ(Count(p, {0, 0, 1280, 720},
                    [](std::uint32_t c) { return (c >> 16) > 200 && (c >> 8 & 0xFF) < 60; }),
              0)
        << "nothing of the magenta pictures";
    int uniform = 0;
    for (const Rect& t : DealtTiles(l)) {
        const std::uint32_t fill = p.At(t.x + t.w - 6, t.y + t.h / 2);
        const Rect column{t.x + l.TileMargin(), t.y + l.TileMargin(), room.pictureWidth,
                          room.pictureHeight};
        uniform += Count(p, column, [&](std::uint32_t c) { return c != fill; }) == 0;
    }
    EXPECT_EQ(uniform, 3) << "the three broken pictures leave their column empty";
}

void ExpectBevelsIntact(const Picture& p, const ScreenLayout& l, const std::string& what) {
    const std::int32_t w = l.ViewWidth, h = l.ViewHeight, panel = l.PanelWidth;
    int wrong = 0;
    for (std::int32_t i = 0; i < 6; ++i) {
        for (std::int32_t y = 0; y < h; ++y) {
            wrong += p.At(panel + i, y) != kBevel[i];
            wrong += p.At(w - panel - 6 + i, y) != kBevel[i];
        }
        for (std::int32_t x = l.AreaLeft(); x < w - l.AreaLeft(); ++x) {
            wrong += p.At(x, 36 + i) != kBevel[i];
        }
    }
    EXPECT_EQ(wrong, 0) << what;
}

TEST_F(ShowMaterialTest, SmallScreensKeepTilesTextsAndBevelsInPlace) {
    for (const auto& [w, h] : {std::pair{800, 600}, std::pair{900, 700}, std::pair{1280, 720}}) {
        const ScreenLayout l = LayoutAt(w, h);
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        for (const Rect& t : DealtTiles(l)) {
            EXPECT_GE(t.x, l.AreaLeft()) << size;
            EXPECT_LE(t.x + t.w, l.AreaLeft() + l.AreaWidth) << size;
            EXPECT_GE(t.y, l.PlayAreaTop) << size;
            EXPECT_LE(t.y + t.h, h) << size;
        }
        for (int game : {1, 2, 3}) {
            for (const char* what : {"deal", "solution"}) {
                const Picture p = Screen(w, h, game, what);
                ExpectBevelsIntact(p, l, size + " Game00" + std::to_string(game) + " " + what);
                // Nothing of the texts within the margin before the right bevel.
                const Rect margin{w - l.PanelWidth - 6 - 8, l.PlayAreaTop, 8, h - l.PlayAreaTop};
                EXPECT_EQ(Count(p, margin, [](std::uint32_t c) { return c != 0; }), 0)
                    << size << " Game00" << game << " " << what;
            }
        }
    }
}

TEST_F(ShowMaterialTest, ALongQuestionWrapsOntoTwoLinesInsideItsBandAt720p) {
    const ScreenLayout l = LayoutAt(1280, 720);
    const Picture p = Screen(1280, 720, 3, "deal");
    const auto ink = [](std::uint32_t c) { return c != 0; };
    const std::int32_t left = l.AreaLeft(), width = 1280 - 2 * left;
    EXPECT_GT(Count(p, {left, 0, width, 18}, ink), 200) << "the first line";
    EXPECT_GT(Count(p, {left, 18, width, 18}, ink), 200) << "the second line";
    EXPECT_EQ(Count(p, {left, 0, 8, 36}, ink), 0) << "nothing cut at the left end";
    EXPECT_EQ(Count(p, {1280 - left - 8, 0, 8, 36}, ink), 0) << "nor at the right end";
    ExpectBevelsIntact(p, l, "720p question");
}

TEST_F(ShowMaterialTest, FourKScreenIsTheFullHdScreenAtTwiceTheSize) {
    const Picture small = Screen(1920, 1080, 1, "deal");
    const Picture big = Screen(3840, 2160, 1, "deal");
    // Wherever the 1080p screen is of one colour around a pixel, the 4K screen shows that
    // colour in the pixel's 2 x 2 block (texts are drawn in their own larger fonts, so their
    // edges may differ a little).
    int compared = 0, differing = 0;
    for (std::uint32_t y = 2; y + 2 < 1080; y += 3) {
        for (std::uint32_t x = 2; x + 2 < 1920; x += 3) {
            const std::uint32_t c = small.At(x, y);
            bool flat = true;
            for (int dy = -2; dy <= 2 && flat; ++dy) {
                for (int dx = -2; dx <= 2 && flat; ++dx) {
                    flat = small.At(x + dx, y + dy) == c;
                }
            }
            if (!flat) {
                continue;
            }
            ++compared;
            differing += big.At(2 * x, 2 * y) != c || big.At(2 * x + 1, 2 * y + 1) != c;
        }
    }
    EXPECT_GT(compared, 100000);
    EXPECT_LT(differing, compared / 200) << differing << " of " << compared;
}

TEST(ShowMaterialWordsTest, CheckAndPreviewSayWhatWouldLookBad) {
    const RunResult check = RunTool("check " + ShellQuote(MaterialRoot()));
    EXPECT_EQ(check.status, 1);
    for (const char* words :
         {"\"wide10.png\" of answer 1 (\"Rot\") is very wide (200 x 20)",
          "\"tall10.png\" of answer 3 (\"Blau\") is very tall and narrow",
          "\"halfwhite.png\" of answer 4 (\"Wei\xC3\x9F\") is only 40 x 40 pixels: at 1920x1080 "
          "the game enlarges it 5.3 times",
          "\"cut.png\" of answer 2 (\"PNG\") does not load: PNG cut short",
          "\"cut.jpg\" of answer 3 (\"JPEG\") does not load: JPEG cut short",
          "\"cut.bmp\" of answer 4 (\"BMP\") does not load: BMP cut short",
          "Answer 4 (\"Einf\xC3\xBChrung des Euro", "too long for its tile at 1280x720",
          "The solution text of answer 1"}) {
        EXPECT_NE(check.out.find(words), std::string::npos) << words << "\n" << check.out;
    }
    EXPECT_EQ(check.out.find("The question is too long"), std::string::npos) << "two lines hold it";

    TempFolder root;
    root.Write("Game001/Game.txt", "Erste\nA\nB\nC\n");
    root.Write("Game003/Game.txt", "");
    root.Write("Game004/Game.txt", "Eine\nA\n");
    root.MakeFolder("Game005");
    root.Write("Game006/Game.txt", "Letzte\nA\nB\nC\n");
    root.Write("Game008/Game.txt", "");
    const RunResult preview = RunTool("preview " + ShellQuote(root.Path()) +
                                      " --size 800x600 --out " + ShellQuote(root.Path() + "/out"));
    EXPECT_EQ(preview.status, 0) << preview.out;
    for (const char* words :
         {"Game002: skipped: there is no folder Game002", "Game003: skipped: its Game.txt is empty",
          "Game004: skipped: its Game.txt has only one answer",
          "Game005: skipped: Game005 has no Game.txt", "Game008: skipped: its Game.txt is empty",
          "No puzzle in the ten numbers after Game006"}) {
        EXPECT_NE(preview.out.find(words), std::string::npos) << words << "\n" << preview.out;
    }
    EXPECT_EQ(preview.out.find("Game007"), std::string::npos) << "a missing number past the end";
}

}  // namespace
}  // namespace kelvandor
