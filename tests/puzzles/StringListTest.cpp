#include "puzzles/StringList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace kelvandor {
namespace {

std::int32_t ValueAt(const StringList& list, std::size_t i) {
    std::int32_t v;
    std::memcpy(&v, list.Payload(i), sizeof v);
    return v;
}

TEST(StringListTest, InsertPositionIsClampedAndLaterEntriesMoveUp) {
    StringList list;
    list.Insert(0, "b");
    list.Insert(99, "d");  // beyond the count: appends
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(list.Count(), std::string_view("e\0cut", 5));  // entries hold no zero byte
    ASSERT_EQ(list.Count(), 5u);
    EXPECT_EQ(list.Text(0), "a");
    EXPECT_EQ(list.Text(1), "b");
    EXPECT_EQ(list.Text(2), "c");
    EXPECT_EQ(list.Text(3), "d");
    EXPECT_EQ(list.Text(4), "e");
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(StringListTest, PayloadTravelsWithItsEntryAndDefaultsToZero) {
    StringList list(4);
    const std::int32_t seven = 7;
    const std::int32_t three = 3;
    list.Insert(0, "seven", &seven);
    list.Insert(0, "three", &three);
    list.Insert(1, "none");
    EXPECT_EQ(list.PayloadSize(), 4u);
    EXPECT_EQ(ValueAt(list, 0), 3);
    EXPECT_EQ(ValueAt(list, 1), 0);
    EXPECT_EQ(ValueAt(list, 2), 7);
    EXPECT_EQ(list.Text(2), "seven");
}

}  // namespace
}  // namespace kelvandor
