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

TEST(ComPortFromTextTest, ReadsPortNamesAndNumbers) {
    EXPECT_EQ(ComPortFromText("COM4"), 3u);
    EXPECT_EQ(ComPortFromText("com4"), 3u);
    EXPECT_EQ(ComPortFromText("4"), 3u);
    EXPECT_EQ(ComPortFromText("Com 4"), 3u);
    EXPECT_EQ(ComPortFromText("0x10"), 15u);
    EXPECT_EQ(ComPortFromText("COM0b11"), 2u);
    EXPECT_EQ(ComPortFromText("0o17"), 14u);
    EXPECT_EQ(ComPortFromText("012"), 11u);  // a plain leading zero stays decimal
    EXPECT_EQ(ComPortFromText("7abc"), 6u);
}

TEST(ComPortFromTextTest, UnusableEntriesSelectCom1) {
    for (const char* text : {"COM0", "-2", "x", "", "COM", "0x", "-0x10", "\t"}) {
        EXPECT_EQ(ComPortFromText(text), 0u) << text;
    }
}

TEST(ComPortFromTextTest, LongDigitRunsSaturateAndOnly31BytesCount) {
    EXPECT_EQ(ComPortFromText("99999999999999999999999"), 2147483646u);
    // The 32nd byte onwards is not read.
    EXPECT_EQ(ComPortFromText(std::string(30, ' ') + "12"), 0u);
    EXPECT_EQ(ComPortFromText(std::string(29, ' ') + "12"), 11u);
}

TEST(TimeoutFromEntryTest, FollowsTheBoxRules) {
    EXPECT_EQ(TimeoutFromEntry(0, 30), 0u);
    EXPECT_EQ(TimeoutFromEntry(1, 30), 20u);
    EXPECT_EQ(TimeoutFromEntry(19, 0), 20u);
    EXPECT_EQ(TimeoutFromEntry(20, 0), 20u);
    EXPECT_EQ(TimeoutFromEntry(119, 0), 119u);
    EXPECT_EQ(TimeoutFromEntry(120, 30), 30u);
    EXPECT_EQ(TimeoutFromEntry(500, 30), 30u);
    EXPECT_EQ(TimeoutFromEntry(-5, 30), 30u);
}

}  // namespace
}  // namespace kelvandor
