#pragma once
// One helper thread for splitting large row work in two, so that drawing uses the second core
// of a small machine. The helper is started on first use and lives until the program ends;
// it holds no state between jobs.

#include <cstdint>
#include <functional>

namespace kelvandor {

// Runs work(firstRow, endRow) over the rows [0, count). When split is true and the helper is
// free, the helper takes the second half and the calling thread the first, and the call
// returns when both are done; otherwise (the helper is busy with another caller's work, or no
// thread could be started) the calling thread does all rows itself, so concurrent callers
// never wait for each other. work must allow two disjoint row ranges to run at the same time.
// An exception thrown by either part is rethrown here, after both parts have ended.
void RunRowsInTwo(std::uint32_t count, bool split,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work);

}  // namespace kelvandor
