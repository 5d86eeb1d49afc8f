#include "app/QSettingsStore.h"

#include <gtest/gtest.h>

#include "tests/app/QtTestSupport.h"

namespace kelvandor {
namespace {

class QSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetSettings(); }
    CQSettingsStore store;
};

TEST_F(QSettingsStoreTest, NumbersAreThirtyTwoBitWordsAndJunkIsUnreadable) {
    EXPECT_EQ(store.ReadNumber("Timeout"), std::nullopt);
    ASSERT_TRUE(store.WriteNumber("ComPort", 0xFFFFFFFFu));
    EXPECT_EQ(store.ReadNumber("ComPort"), 0xFFFFFFFFu);
    // Values edited by hand: a negative number wraps as a 32-bit word would, text is junk.
    QSettings().setValue("Timeout", "-1");
    QSettings().setValue("StarSize", "groß");
    QSettings().setValue("AutoStars", "99999999999");
    EXPECT_EQ(store.ReadNumber("Timeout"), 0xFFFFFFFFu);
    EXPECT_EQ(store.ReadNumber("StarSize"), std::nullopt);
    EXPECT_EQ(store.ReadNumber("AutoStars"), std::nullopt);
}

TEST_F(QSettingsStoreTest, TextsKeepEveryByteAndUtf8PathsStayReadable) {
    ASSERT_TRUE(store.WriteText("PicPath", "/home/quiz/R\xC3\xA4tsel"));
    EXPECT_EQ(QSettings().value("PicPath").toString(), QStringLiteral("/home/quiz/Rätsel"));
    EXPECT_EQ(store.ReadText("PicPath"), "/home/quiz/R\xC3\xA4tsel");

    // A folder name made on another system in Windows-1252 is not UTF-8.
    ASSERT_TRUE(store.WriteText("PicPath", "/mnt/R\xE4tsel"));
    EXPECT_EQ(store.ReadText("PicPath"), "/mnt/R\xE4tsel");
    ASSERT_TRUE(store.WriteText("PicPath", ""));
    EXPECT_EQ(store.ReadText("PicPath"), "");
}

}  // namespace
}  // namespace kelvandor
