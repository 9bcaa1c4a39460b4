#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/linux/runtime/GLibMainQueue.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::linux_backend {
namespace {

using testing::iterateUntil;
using Steps = std::vector<std::string>;

TEST(GLibMainQueueOrdering, AsyncInSubmissionOrderMainTaskAfterTheCurrentTaskDelayedByDeadline)
{
    GLibMainQueue queue;
    Steps steps;
    auto late = queue.asyncAfter(0.060, [&] { steps.push_back("late"); });
    auto early = queue.asyncAfter(0.010, [&] { steps.push_back("early"); });
    queue.async([&] {
        queue.startMainTask([&] { steps.push_back("main task"); });
        steps.push_back("current task ends");
    });
    for (int i = 0; i < 3; ++i) queue.async([&steps, i] { steps.push_back(std::to_string(i)); });
    ASSERT_TRUE(iterateUntil([&] { return steps.size() == 7; }));
    EXPECT_LT(std::ranges::find(steps, "early"), std::ranges::find(steps, "late"));
    std::erase_if(steps, [](const std::string& step) { return step == "early" || step == "late"; });
    EXPECT_EQ(steps, (Steps{"current task ends", "0", "1", "2", "main task"}));
    EXPECT_FALSE(early->isCancelled());
}

// Also the work of a queue destroyed before it ran: its items outlive it safely.
TEST(GLibMainQueueCancellation, CancelledItemsAndADestroyedQueuesNeverRunDroppedOnesDoCancellingLaterIsHarmless)
{
    bool ran = false;
    std::shared_ptr<platform::WorkItem> survivor;
    {
        GLibMainQueue gone;
        survivor = gone.asyncAfter(0.001, [&] { ran = true; });
        gone.async([&] { ran = true; });
    }
    GLibMainQueue queue;
    Steps steps;
    auto atOnce = queue.asyncAfter(0.005, [&] { steps.push_back("cancelled at once"); });
    auto victim = queue.asyncAfter(0.020, [&] { steps.push_back("cancelled by earlier work"); });
    auto killer = queue.asyncAfter(0.001, [&] { victim->cancel(); });
    queue.asyncAfter(0.002, [&] { steps.push_back("dropped"); });  // result dropped on purpose
    auto sentinel = queue.asyncAfter(0.040, [&] { steps.push_back("sentinel"); });
    atOnce->cancel();
    EXPECT_TRUE(atOnce->isCancelled());
    ASSERT_TRUE(iterateUntil([&] { return !steps.empty() && steps.back() == "sentinel"; }));
    EXPECT_EQ(steps, (Steps{"dropped", "sentinel"}));
    EXPECT_FALSE(killer->isCancelled());
    EXPECT_FALSE(ran);
    survivor->cancel();
    sentinel->cancel();
    EXPECT_TRUE(sentinel->isCancelled());
    testing::iterateReady();
    EXPECT_EQ(steps.size(), 2u);
}

TEST(GLibMainQueueRepeating, TimersFireUntilInvalidatedDestroyedOrDestroyedFromTheirOwnFiring)
{
    GLibMainQueue queue;
    int fired = 0, selfStopping = 0, dropped = 0;
    auto timer = queue.scheduleRepeating(0.002, [&] { ++fired; });
    std::unique_ptr<platform::RepeatingTimer> selfStopper = queue.scheduleRepeating(0.001, [&] {
        if (++selfStopping == 2) selfStopper.reset();
    });
    queue.scheduleRepeating(0.001, [&] { ++dropped; });  // destroyed at once
    ASSERT_TRUE(iterateUntil([&] { return fired == 3; }));
    timer->invalidate();
    bool sentinel = false;
    auto item = queue.asyncAfter(0.030, [&] { sentinel = true; });
    ASSERT_TRUE(iterateUntil([&] { return sentinel; }));
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(selfStopping, 2);
    EXPECT_EQ(dropped, 0);
}

}  // namespace
}  // namespace quorvel::linux_backend
