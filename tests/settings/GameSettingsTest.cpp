#include "settings/GameSettings.h"

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

// A store whose writes of one chosen value fail, to show that the others still get through.
class CFailingStore final : public ISettingsStore {
public:
    explicit CFailingStore(std::string failing) : failing_(std::move(failing)) {}
    std::optional<std::uint32_t> ReadNumber(const std::string& n) override {
        return inner_.ReadNumber(n);
    }
    std::optional<std::string> ReadText(const std::string& n) override {
        return inner_.ReadText(n);
    }
    bool WriteNumber(const std::string& n, std::uint32_t v) override {
        return n != failing_ && inner_.WriteNumber(n, v);
    }
    bool WriteText(const std::string& n, const std::string& v) override {
        return n != failing_ && inner_.WriteText(n, v);
    }
    CMemorySettingsStore inner_;

private:
    std::string failing_;
};

TEST(LoadSettingsTest, EmptyStoreKeepsEveryDefault) {
    CMemorySettingsStore store;
    GameSettings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.UseFormulas, 1u);
    EXPECT_EQ(s.JoystickOn, 1u);
    EXPECT_EQ(s.AutoStars, 1u);
    EXPECT_EQ(s.StarSize, 0u);
    EXPECT_EQ(s.PuzzlePath, "");
    EXPECT_EQ(s.Timeout, 0u);
    EXPECT_EQ(s.ComPort, 0u);
}

TEST(LoadSettingsTest, TimeoutAbove120IsClampedAsUnsigned) {
    for (std::uint32_t stored : {500u, 4294967295u, 121u}) {
        CMemorySettingsStore store;
        store.WriteNumber("Timeout", stored);
        GameSettings s;
        LoadSettings(store, s);
        EXPECT_EQ(s.Timeout, 120u) << stored;
    }
    CMemorySettingsStore store;
    store.WriteNumber("Timeout", 120);
    GameSettings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.Timeout, 120u);
}

// A port the serial layer has no slot for (above COM256, or stored as -1, which is read back
// as 4294967295 and once showed as "COM-2147483648") becomes COM1; the last slot stays.
TEST(LoadSettingsTest, ComPortOutOfRangeBecomesTheFirstPort) {
    for (const auto& [stored, loaded] : {std::pair{4294967295u, 0u}, {256u, 0u}, {0x80000000u, 0u},
                                         {255u, 255u}, {3u, 3u}}) {
        CMemorySettingsStore store;
        store.WriteNumber("ComPort", stored);
        GameSettings s;
        LoadSettings(store, s);
        EXPECT_EQ(s.ComPort, loaded) << stored;
    }
}

TEST(LoadSettingsTest, OddValuesAreKeptAndWrongTypesIgnored) {
    CMemorySettingsStore store;
    store.WriteNumber("StarSize", 7);
    store.WriteNumber("UseFormular", 5);
    store.WriteText("ComPort", "COM3");  // wrong type: unreadable, default stays
    store.WriteText("PicPath", "");
    GameSettings s;
    s.PuzzlePath = "before";
    LoadSettings(store, s);
    EXPECT_EQ(s.StarSize, 7u);
    EXPECT_EQ(s.UseFormulas, 5u);
    EXPECT_EQ(s.ComPort, 0u);
    EXPECT_EQ(s.PuzzlePath, "");
}

TEST(SaveSettingsTest, RoundTripsAllSevenValues) {
    CMemorySettingsStore store;
    GameSettings s{0, 0, 0, 3, "/tmp/R\xE4tsel", 45, 6};
    EXPECT_TRUE(SaveSettings(store, s));
    GameSettings back;
    LoadSettings(store, back);
    EXPECT_EQ(back.UseFormulas, 0u);
    EXPECT_EQ(back.JoystickOn, 0u);
    EXPECT_EQ(back.AutoStars, 0u);
    EXPECT_EQ(back.StarSize, 3u);
    EXPECT_EQ(back.PuzzlePath, "/tmp/R\xE4tsel");
    EXPECT_EQ(back.Timeout, 45u);
    EXPECT_EQ(back.ComPort, 6u);
}

TEST(SaveSettingsTest, AFailedWriteIsReportedAndTheOthersStillWritten) {
    CFailingStore store("PicPath");
    GameSettings s;
    s.Timeout = 30;
    EXPECT_FALSE(SaveSettings(store, s));
    EXPECT_FALSE(store.inner_.Contains("PicPath"));
    EXPECT_EQ(store.inner_.ReadNumber("Timeout"), 30u);
    EXPECT_EQ(store.inner_.ReadNumber("ComPort"), 0u);
}

}  // namespace
}  // namespace kelvandor
