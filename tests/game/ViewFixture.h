#pragma once
// A game view on a simulated clock, with helpers to write puzzle folders and to step ticks.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "settings/SettingsStore.h"

namespace kelvandor::test {

// A fresh puzzle root below the test's temporary directory, removed afterwards. The test's
// name and the process keep it apart from other tests and from other runs of the suite (two
// checkouts tested at once share the temporary directory).
class CPuzzleFolder {
public:
    CPuzzleFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::path(::testing::TempDir()) /
                (std::string("kelvandor-") + info->test_suite_name() + "-" + info->name() + "-" +
                 std::to_string(getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~CPuzzleFolder() { std::filesystem::remove_all(root_); }

    // Writes GameNNN/Game.txt with `text` (Windows-1252 bytes).
    void Write(int number, const std::string& text) const {
        char name[32];
        std::snprintf(name, sizeof name, "Game%03d", number);
        std::filesystem::create_directories(root_ / name);
        std::ofstream(root_ / name / "Game.txt", std::ios::binary) << text;
    }
    std::string Path() const { return root_.string(); }

private:
    std::filesystem::path root_;
};

// The game view with a test's access to states that no operation reaches (a board caught in
// the middle of a move, a countdown at a given value). Tests read through State() like the
// tools and change the state through the view's operations wherever one exists.
class CTestView : public CKelvandorView {
public:
    using CKelvandorView::CKelvandorView;
    GameState& Poke() { return MutableState(); }
    CGameRenderer& PokeScreen() { return MutableRenderer(); }
};

class ViewTest : public ::testing::Test {
protected:
    // Constructs, creates and sizes the view (1280 x 720) with `puzzleRoot` as its root.
    void Create(const std::string& puzzleRoot = "", std::uint32_t seed = 1) {
        if (!puzzleRoot.empty()) {
            store.WriteText("PicPath", puzzleRoot);
        }
        view = std::make_unique<CTestView>(host, store, NoPictures);
        view->SeedRandom(seed);
        host.Attach(view.get());
        view->OnCreate();
        view->OnSize(1280, 720);
        host.DeliverPosted();
        host.TakeSounds();
    }

    static int NoPictures(const std::string&, CDibImage&, std::uint64_t) { return -1; }

    // One stored setting (by its stored name) read as the settings loader reads it.
    void Setting(const std::string& name, std::uint32_t value) {
        CMemorySettingsStore one;
        one.WriteNumber(name, value);
        view->LoadSettings(one);
    }

    void Settle() {
        ASSERT_TRUE(host.RunTicksUntil(400, [this] { return view->State().MovingCount == 0; }));
    }
    // The first selected element, or -1.
    int Selected() const {
        for (int i = 0; i < view->ElementCount(); ++i) {
            if (view->State().ElementState[i] == kStateSelected) {
                return i;
            }
        }
        return -1;
    }
    // Element indices of column `column`, top to bottom.
    std::vector<int> Column(int column) const {
        std::vector<int> out;
        for (int slot = 0; slot < 64; ++slot) {
            for (int i = 0; i < view->ElementCount(); ++i) {
                if (view->State().ElementColumn[i] == column &&
                    view->State().ElementSlot[i] == slot) {
                    out.push_back(i);
                }
            }
        }
        return out;
    }
    std::vector<std::string> Sounds() { return host.TakeSounds(); }
    void Key(ArrowKey key) { view->OnKeyDown(static_cast<std::uint32_t>(key)); }

    // Lays a board out at rest: element i stands at (columns[i], slots[i]) in states[i],
    // with the answer "A<i>"; a round runs with `active` to play.
    void SetBoard(const std::vector<int>& columns, const std::vector<int>& slots,
                  const std::vector<int>& states, std::uint32_t active = 0) {
        std::vector<ArrangedElement> board;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            ArrangedElement e{static_cast<std::uint8_t>(columns[i]),
                              static_cast<std::uint8_t>(slots[i]),
                              static_cast<std::uint8_t>(states[i])};
            e.answer = "A" + std::to_string(i);
            board.push_back(e);
        }
        view->ArrangeBoard(board, active);
    }

    CHeadlessViewHost host;
    CMemorySettingsStore store;
    std::unique_ptr<CTestView> view;
};

}  // namespace kelvandor::test
