// The drawn look of the frame's drop-down menus, read back from the pixels of an open menu.

#include "app/MenuStyle.h"

#include <gtest/gtest.h>

#include <set>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "app/FrameCommandIds.h"
#include "app/GameCommands.h"
#include "app/MainFrame.h"
#include "game/CommandIds.h"
#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

constexpr std::uint32_t Id(CommandId id) {
    return static_cast<std::uint32_t>(id);
}

class RuledGame : public IGameCommands {
public:
    bool HandlesCommand(std::uint32_t id) const override { return id >= 32809 && id <= 33059; }
    bool IsCommandEnabled(std::uint32_t id) override { return !disabled.contains(id); }
    bool IsCommandChecked(std::uint32_t id) override { return checked.contains(id); }
    void RunCommand(std::uint32_t) override {}
    void SetZoomMode(int) override {}

    std::set<std::uint32_t> disabled;
    std::set<std::uint32_t> checked;
};

// The colours of the pixels in `rect` of `image`, alpha dropped.
std::set<QRgb> Colours(const QImage& image, const QRect& rect) {
    std::set<QRgb> colours;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            colours.insert(image.pixel(x, y) | 0xFF000000);
        }
    }
    return colours;
}

TEST(MenuStyleTest, DisabledPicturesLieBetweenTheTwoGreysOfTheFormula) {
    EXPECT_EQ(DisabledGrey(qRgb(0, 0, 0)), 167);
    EXPECT_EQ(DisabledGrey(qRgb(255, 255, 255)), 230);
    // Luminance 192 is the last of the lower branch: (64 + 192) * 223 / 256.
    EXPECT_EQ(DisabledGrey(qRgb(192, 192, 192)), 223);
    // Blue counts most, red least.
    EXPECT_GT(DisabledGrey(qRgb(0, 0, 200)), DisabledGrey(qRgb(200, 0, 0)));

    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 255));
    picture.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const QImage grey = DisabledPicture(picture);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(179, 179, 179, 255));  // L = 43: (14 + 192) * 223 / 256
    EXPECT_EQ(qAlpha(grey.pixel(1, 0)), 0);
}

TEST(MenuStyleTest, OpenMenuHasTheShadedColumnTheBlendedSelectionAndTwoToneDisabledItems) {
    test::ResetSettings();
    CMainFrame frame;
    RuledGame game;
    game.disabled = {Id(CommandId::ClearBoard)};
    game.checked = {Id(CommandId::AutoStars)};
    frame.SetView(nullptr, &game);
    QMenu* edit = nullptr;
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == QStringLiteral("&Bearbeiten")) {
            edit = action->menu();
        }
    }
    ASSERT_NE(edit, nullptr);
    edit->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(edit));
    QAction* next = frame.Action(Id(CommandId::NextPuzzle));
    edit->setActiveAction(next);
    const QImage image = edit->grab().toImage();
    const MenuColours colours = MenuColours::FromPalette(edit->palette());
    ASSERT_NE(colours.iconColumn, colours.background);

    // A plain item: the shaded picture column, then the text area in the window colour.
    const QRect plain = edit->actionGeometry(frame.Action(Id(CommandId::AddStarLeft)));
    EXPECT_EQ(image.pixel(plain.left() + 18, plain.center().y()) | 0xFF000000, colours.iconColumn);
    EXPECT_EQ(image.pixel(plain.right() - 2, plain.top() + 1) | 0xFF000000, colours.background);

    // The selection: the blend in the text area, the darker blend in the column.
    const QRect selected = edit->actionGeometry(next);
    EXPECT_EQ(image.pixel(selected.right() - 2, selected.top() + 1) | 0xFF000000,
              colours.selectionFill);
    EXPECT_EQ(image.pixel(selected.left() + 18, selected.top() + 1) | 0xFF000000,
              colours.selectionFrame);
    // Its picture is the toolbar's, in colour.
    const std::set<QRgb> nextPicture =
        Colours(image, QRect(selected.left() + 1, selected.top() + 2, 16, selected.height() - 4));
    EXPECT_TRUE(std::any_of(nextPicture.begin(), nextPicture.end(),
                            [](QRgb c) { return qRed(c) != qGreen(c) || qGreen(c) != qBlue(c); }));

    // A disabled item: grey picture, text in the two tones, none of it in the text colour.
    const QRect disabled = edit->actionGeometry(frame.Action(Id(CommandId::ClearBoard)));
    for (QRgb c : Colours(
             image, QRect(disabled.left() + 1, disabled.top() + 2, 16, disabled.height() - 4))) {
        if (c != colours.iconColumn) {
            EXPECT_EQ(qRed(c), qBlue(c));
            EXPECT_EQ(qGreen(c), qBlue(c));
            EXPECT_GE(qRed(c), 160);  // the formula's greys, anti-aliased onto the column
        }
    }
    const std::set<QRgb> text =
        Colours(image, QRect(disabled.left() + 22, disabled.top(), 100, disabled.height()));
    EXPECT_TRUE(text.contains(colours.disabledText));
    EXPECT_TRUE(text.contains(colours.disabledShadow));
    EXPECT_FALSE(text.contains(colours.text));

    // Check marks only where checked: none, not even an empty box, on unchecked items.
    const auto column = [&](CommandId id) {
        const QRect r = edit->actionGeometry(frame.Action(Id(id)));
        return Colours(image, QRect(r.left() + 1, r.top() + 1, 18, r.height() - 2));
    };
    EXPECT_EQ(column(CommandId::UseFormulas), std::set<QRgb>{colours.iconColumn});
    EXPECT_TRUE(column(CommandId::AutoStars).contains(colours.text));
}

TEST(MenuStyleTest, CheckedItemWithAPictureSitsInASunkenFrameOnTheButtonFace) {
    test::ResetSettings();
    CMainFrame frame;
    frame.ExecuteCommand(static_cast<std::uint32_t>(FrameCommandId::StayOnTop));
    QAction* stayOnTop = frame.Action(static_cast<std::uint32_t>(FrameCommandId::StayOnTop));
    QMenu* view = nullptr;
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->menu() != nullptr && action->menu()->actions().contains(stayOnTop)) {
            view = action->menu();
        }
    }
    ASSERT_NE(view, nullptr);
    view->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    const QImage image = view->grab().toImage();
    const MenuColours colours = MenuColours::FromPalette(view->palette());
    const QRect r = view->actionGeometry(stayOnTop);
    const QPalette palette = view->palette();
    const int top = r.top() + (r.height() - CMenuStyle::kPictureHeight) / 2 - 1;
    EXPECT_EQ(image.pixel(r.left() + 18, r.center().y()) | 0xFF000000, colours.checkedColumn);
    EXPECT_EQ(image.pixel(r.left() + 5, top),
              palette.color(QPalette::Active, QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(r.left() + 5, top + CMenuStyle::kPictureHeight + 1),
              palette.color(QPalette::Active, QPalette::Light).rgb());
    view->hide();
}

}  // namespace
}  // namespace kelvandor
