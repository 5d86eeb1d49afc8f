#pragma once
// One helper thread for splitting large row work in two, so that drawing uses the second core
// of a small machine (on a single processor everything stays on the calling thread). The
// helper is started on first use and lives until the program ends; it holds no state between
// jobs.

#include <cstdint>
#include <functional>

namespace kelvandor {

// Runs work(firstRow, endRow) over the rows [0, count), each row exactly once. When split is
// true and the helper is free, the calling thread and the helper take short runs of rows
// until none are left, and the call returns when both are done; otherwise (the helper is busy
// with another caller's work, or no thread could be started) the calling thread does all
// rows in one call, so concurrent callers never wait for each other. work must allow
// disjoint row ranges to run at the same time. An exception thrown by work is rethrown here
// once neither thread runs it any more.
void RunRowsInTwo(std::uint32_t count, bool split,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work);

}  // namespace kelvandor
