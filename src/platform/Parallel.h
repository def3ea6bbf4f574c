#pragma once

#include <cstddef>
#include <functional>

// Runs work(0) ... work(count - 1), each index once and in no set order, on as many threads as the
// computer has cores, and returns when every one is done. The work for one index must share nothing it
// writes with another's; it runs on this thread when there is a single core or a single index.
void forEachIndexInParallel(std::size_t count, const std::function<void(std::size_t)> &work);
