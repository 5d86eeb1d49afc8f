#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "image/HelperThread.h"

namespace kelvandor {
namespace {

TEST(HelperThreadTest, SplitWorkCoversEveryRowOnceAndErrorsReachTheCaller) {
    for (std::uint32_t count : {1u, 2u, 17u, 1000u}) {
        std::vector<std::atomic<int>> hits(count);
        RunRowsInTwo(count, true, [&](std::uint32_t first, std::uint32_t end) {
            ASSERT_LT(first, end);
            ASSERT_LE(end, count);
            for (std::uint32_t row = first; row < end; ++row)
                ++hits[row];
        });
        for (std::uint32_t row = 0; row < count; ++row)
            ASSERT_EQ(hits[row], 1) << "row " << row << " of " << count;
    }

    const auto failOnRow700 = [](std::uint32_t first, std::uint32_t end) {
        if (first <= 700 && 700 < end)
            throw std::runtime_error("row 700");
    };
    EXPECT_THROW(RunRowsInTwo(1000, true, failOnRow700), std::runtime_error);

    // An error on the helper's side: the caller's runs wait until the helper has failed.
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> helperFailed{false};
    EXPECT_THROW(RunRowsInTwo(1000, true,
                              [&](std::uint32_t, std::uint32_t) {
                                  if (std::this_thread::get_id() != caller) {
                                      helperFailed = true;
                                      throw std::runtime_error("helper");
                                  }
                                  for (int i = 0; i < 5000 && !helperFailed; ++i)
                                      std::this_thread::sleep_for(std::chrono::milliseconds(1));
                              }),
                 std::runtime_error);
}

}  // namespace
}  // namespace kelvandor
