#include "platform/Parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

void forEachIndexInParallel(std::size_t count, const std::function<void(std::size_t)> &work)
{
    const std::size_t threads = std::min<std::size_t>(count, std::max(1U, std::thread::hardware_concurrency()));
    if (threads <= 1) {
        for (std::size_t index = 0; index < count; ++index)
            work(index);
        return;
    }
    // Each thread takes the next index left, so a slow one holds up no other.
    std::atomic<std::size_t> next{0};
    const auto takeIndexes = [&] {
        for (std::size_t index = next++; index < count; index = next++)
            work(index);
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t helper = 1; helper < threads; ++helper)
        helpers.emplace_back(takeIndexes);
    takeIndexes();
}
