#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sound/ManualSoundClock.h"
#include "sound/PlaySound.h"
#include "sound/RecordingSoundOutput.h"
#include "sound/SoundPlayer.h"

namespace kelvandor {

void PrintTo(const CRecordingSoundOutput::Start& s, std::ostream* os) {
    *os << s.name << "@" << s.tick;
}

namespace {

using namespace std::chrono_literals;
using Start = CRecordingSoundOutput::Start;

constexpr std::uint32_t T = 1000000;

// Drives a player on the simulated clock. After every request and every step of the clock
// it waits until each pending request is either asleep in the gate or has started its clip,
// so that no thread reads the clock after the test has moved it on.
class SoundGateTest : public ::testing::Test {
protected:
    void Begin(std::uint32_t start) {
        clock_ = std::make_shared<CManualSoundClock>(start);
        output_ = std::make_shared<CRecordingSoundOutput>(clock_);
        player_ = std::make_unique<CSoundPlayer>(clock_, output_);
    }

    void SetUp() override { Begin(T); }

    void TearDown() override {
        clock_->Advance(10 * kSoundGateMs);
        EXPECT_TRUE(player_->WaitUntilIdle(10s));
    }

    void Settle() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (player_->PendingCount() != clock_->SleeperCount()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "sound threads hang";
            std::this_thread::sleep_for(1ms);
        }
    }

    void Request(const char* name) {
        player_->Request(name);
        Settle();
    }

    void Advance(std::uint32_t ms) {
        clock_->Advance(ms);
        Settle();
    }

    std::vector<Start> Starts() const { return output_->Starts(); }

    std::shared_ptr<CManualSoundClock> clock_;
    std::shared_ptr<CRecordingSoundOutput> output_;
    std::unique_ptr<CSoundPlayer> player_;
};

TEST_F(SoundGateTest, FirstGatedSoundStartsAtOnceEvenRightAfterTheTickCountWrapped) {
    Begin(100);  // a tick count within 280 ms of the gate's initial 0
    Request("TICK");
    EXPECT_EQ(Starts(), (std::vector<Start>{{"TICK", 100}}));
}

TEST_F(SoundGateTest, GatedSoundWaitsUntil280MsAfterThePreviousGatedStart) {
    Request("TICK");
    Advance(100);
    Request("TICK");
    EXPECT_EQ(clock_->SleeperCount(), 1u);
    Advance(179);
    EXPECT_EQ(Starts().size(), 1u);
    Advance(1);
    EXPECT_EQ(Starts(), (std::vector<Start>{{"TICK", T}, {"TICK", T + 280}}));

    // The gate now counts from the delayed start, not from the request.
    Advance(100);
    Request("TUCK");
    Advance(180);
    EXPECT_EQ(Starts().back(), (Start{"TUCK", T + 560}));
}

TEST_F(SoundGateTest, GatedSoundAfterTheGateHasPassedStartsAtOnce) {
    Request("TICK");
    Advance(300);
    Request("TICK");
    EXPECT_EQ(Starts(), (std::vector<Start>{{"TICK", T}, {"TICK", T + 300}}));
}

TEST_F(SoundGateTest, ChimesAreNeitherDelayedNorMoveTheGate) {
    Request("TUCK");
    Advance(100);
    Request("CLING1");  // cuts into the click at once
    Advance(50);
    Request("TICK");  // waits for the click's gate only, not for the chime
    Advance(130);
    Request("CLING2");
    EXPECT_EQ(Starts(),
              (std::vector<Start>{
                  {"TUCK", T}, {"CLING1", T + 100}, {"TICK", T + 280}, {"CLING2", T + 280}}));

    // With the last gated start long past, a sound right after a chime starts at once.
    Advance(400);
    Request("CLING1");
    Advance(50);
    Request("ERROR");
    EXPECT_EQ(Starts().back(), (Start{"ERROR", T + 730}));
}

TEST_F(SoundGateTest, GatedRequestsWithinOneWindowStartTogetherAtItsEnd) {
    Request("TUCK");
    Advance(20);
    Request("TICK");
    Advance(30);
    Request("ERROR");
    EXPECT_EQ(clock_->SleeperCount(), 2u);
    Advance(230);
    const auto starts = Starts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0], (Start{"TUCK", T}));
    EXPECT_EQ(starts[1].tick, T + 280);
    EXPECT_EQ(starts[2].tick, T + 280);
}

TEST_F(SoundGateTest, GateSpansTheWrapAroundOfTheTickCount) {
    Begin(0xFFFFFF00u);
    Request("TICK");
    Advance(272);  // the tick count is now 0x10
    Request("TUCK");
    Advance(7);
    EXPECT_EQ(Starts().size(), 1u);
    Advance(1);
    EXPECT_EQ(Starts().back(), (Start{"TUCK", 0x18}));
}

// An output whose start blocks until the test lets it go, like a slow audio device.
class CBlockingOutput : public ISoundOutput {
public:
    void StartClip(std::string_view) override {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_; });
    }
    bool WaitEntered() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return entered_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
};

TEST(SoundPlayerTest, CallerReturnsWhileTheOutputIsStillStartingTheClip) {
    auto output = std::make_shared<CBlockingOutput>();
    CSoundPlayer player(std::make_shared<CManualSoundClock>(T), output);
    player.Request("WRONG");
    ASSERT_TRUE(output->WaitEntered());
    EXPECT_EQ(player.PendingCount(), 1u);
    output->Release();
    EXPECT_TRUE(player.WaitUntilIdle(10s));
}

TEST(PlaySoundAsyncTest, GoesToTheInstalledPlayerAndIgnoresANullName) {
    auto clock = std::make_shared<CManualSoundClock>(T);
    auto output = std::make_shared<CRecordingSoundOutput>(clock);
    auto player = std::make_shared<CSoundPlayer>(clock, output);
    SetSoundPlayer(player);
    PlaySoundAsync(nullptr);
    PlaySoundAsync("CLING2");
    EXPECT_TRUE(player->WaitUntilIdle(10s));
    EXPECT_EQ(output->TakeNames(), std::vector<std::string>{"CLING2"});
    EXPECT_EQ(SetSoundPlayer(nullptr), player);
    EXPECT_EQ(SetSoundPlayer(nullptr), nullptr);  // the default is made only when needed
}

}  // namespace
}  // namespace kelvandor
