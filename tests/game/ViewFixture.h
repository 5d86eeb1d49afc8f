#pragma once
// A game view on a simulated clock, with helpers to write puzzle folders and to step ticks.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/HeadlessViewHost.h"
#include "game/KelvandorView.h"
#include "settings/SettingsStore.h"

namespace kelvandor::test {

// A fresh puzzle root below the test's temporary directory, removed afterwards.
class CPuzzleFolder {
public:
    CPuzzleFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::path(::testing::TempDir()) /
                (std::string("kelvandor-") + info->test_suite_name() + "-" + info->name());
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

class ViewTest : public ::testing::Test {
protected:
    // Constructs, creates and sizes the view (1280 x 720) with `puzzleRoot` as its root.
    void Create(const std::string& puzzleRoot = "", std::uint32_t seed = 1) {
        if (!puzzleRoot.empty()) {
            store.WriteText("PicPath", puzzleRoot);
        }
        view = std::make_unique<CKelvandorView>(host, store, NoPictures);
        view->Random.Seed(seed);
        host.Attach(view.get());
        view->OnCreate();
        view->OnSize(1280, 720);
        host.DeliverPosted();
        host.TakeSounds();
    }

    static int NoPictures(const std::string&, CDibImage&) { return -1; }

    // Steps ticks until `done` holds; returns false when it did not within `maxTicks`.
    bool RunTicksUntil(int maxTicks, const std::function<bool()>& done) {
        for (int i = 0; i < maxTicks; ++i) {
            if (done()) {
                return true;
            }
            host.RunTicks(1);
        }
        return done();
    }
    void Settle() {
        ASSERT_TRUE(RunTicksUntil(400, [this] { return view->MovingCount == 0; }));
    }
    // The first selected element, or -1.
    int Selected() const {
        for (int i = 0; i < view->ElementCount(); ++i) {
            if (view->ElementState[i] == kStateSelected) {
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
                if (view->ElementColumn[i] == column && view->ElementSlot[i] == slot) {
                    out.push_back(i);
                }
            }
        }
        return out;
    }
    std::vector<std::string> Sounds() { return host.TakeSounds(); }
    void Key(ArrowKey key) { view->OnKeyDown(static_cast<std::uint32_t>(key)); }

    // Lays a board out directly: element i goes to (columns[i], slots[i]) with states[i];
    // a round runs with `active` to play.
    void SetBoard(const std::vector<int>& columns, const std::vector<int>& slots,
                  const std::vector<int>& states, std::uint32_t active = 0) {
        view->Puzzle.ElementCount = static_cast<std::int32_t>(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            view->ElementColumn[i] = view->DrawnColumn[i] = static_cast<std::uint8_t>(columns[i]);
            view->ElementSlot[i] = view->DrawnSlot[i] = static_cast<std::uint8_t>(slots[i]);
            view->ElementState[i] = static_cast<std::uint8_t>(states[i]);
        }
        view->Started = 1;
        view->ActivePlayer = active;
        view->StartingPlayer = active;
        view->MovingCount = 0;
        view->PhaseCountdown = view->SelectCountdown = 0;
        view->Latched = {0, 0};
        view->TurnStartTick = host.TickCount();
    }

    CHeadlessViewHost host;
    CMemorySettingsStore store;
    std::unique_ptr<CKelvandorView> view;
};

}  // namespace kelvandor::test
