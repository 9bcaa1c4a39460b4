#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

#include "platform/linux/runtime/GLibMainQueue.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::linux_backend {
namespace {

// Tasks submitted from other threads reach the main thread, each thread's in its own order,
// while the main loop sleeps in poll (the submission must wake it).
TEST(GLibMainQueueThreads, AsyncFromOtherThreadsArrivesOnTheMainThreadInOrder)
{
    GLibMainQueue queue;
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> seen[2];
    bool offMainThread = false;
    std::vector<std::jthread> producers;
    for (int t = 0; t < 2; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                queue.async([&, t, i] {
                    offMainThread = offMainThread || std::this_thread::get_id() != mainThread;
                    seen[t].push_back(i);
                });
            }
        });
    }
    const bool arrived = testing::iterateUntil([&] { return seen[0].size() + seen[1].size() == 400; });
    producers.clear();
    ASSERT_TRUE(arrived);
    EXPECT_FALSE(offMainThread);
    std::vector<int> inOrder(200);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_TRUE(seen[0] == inOrder && seen[1] == inOrder);
}

}  // namespace
}  // namespace quorvel::linux_backend
