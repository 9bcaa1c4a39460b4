#include <gtest/gtest.h>

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
    constexpr int perThread = 200;
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> seen[2];
    bool offMainThread = false;
    std::vector<std::thread> producers;
    for (int t = 0; t < 2; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                queue.async([&, t, i] {
                    if (std::this_thread::get_id() != mainThread) offMainThread = true;
                    seen[t].push_back(i);
                });
            }
        });
    }
    const bool arrived = testing::iterateUntil([&] { return seen[0].size() + seen[1].size() == 2 * perThread; });
    for (auto& producer : producers) producer.join();
    ASSERT_TRUE(arrived);
    EXPECT_FALSE(offMainThread);
    for (const auto& sequence : seen) {
        for (int i = 0; i < perThread; ++i) EXPECT_EQ(sequence[static_cast<std::size_t>(i)], i);
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
