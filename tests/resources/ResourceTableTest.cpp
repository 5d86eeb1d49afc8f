#include "resources/ResourceTable.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvandor {
namespace {

TEST(ResourceTableTest, FindsEntryByTypeAndNameWithoutRegardToCase) {
    auto bytes = FindResource(ResourceId::Name("data"), ResourceId::Name("Kelvandor_Test"));
    ASSERT_FALSE(bytes.empty());
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text, "Kelvandor resource table test entry\n");
}

TEST(ResourceTableTest, UnknownResourceIsEmpty) {
    EXPECT_TRUE(FindResource(ResourceId::Name("DATA"), ResourceId::Name("NOPE")).empty());
    EXPECT_TRUE(FindResource(ResourceId::Number(kResourceTypeBitmap), ResourceId::Number(9999)).empty());
}

}  // namespace
}  // namespace kelvandor
