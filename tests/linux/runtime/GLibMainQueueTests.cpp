#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/runtime/GLibMainQueue.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::linux_backend {
namespace {

using testing::iterateReady;
using testing::iterateUntil;

TEST(GLibMainQueueOrdering, AsyncTasksRunInSubmissionOrder)
{
    GLibMainQueue queue;
    std::vector<int> order;
    for (int i = 0; i < 50; ++i) queue.async([&order, i] { order.push_back(i); });
    ASSERT_TRUE(iterateUntil([&] { return order.size() == 50; }));
    for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(GLibMainQueueOrdering, MainTaskRunsAfterTheCurrentTaskReturns)
{
    GLibMainQueue queue;
    std::vector<std::string> steps;
    queue.async([&] {
        queue.startMainTask([&] { steps.push_back("main task"); });
        steps.push_back("current task ends");
    });
    queue.async([&] { steps.push_back("queued before the main task"); });
    ASSERT_TRUE(iterateUntil([&] { return steps.size() == 3; }));
    EXPECT_EQ(steps, (std::vector<std::string>{"current task ends", "queued before the main task", "main task"}));
}

TEST(GLibMainQueueOrdering, DelayedItemsRunInDeadlineOrder)
{
    GLibMainQueue queue;
    std::vector<std::string> order;
    auto late = queue.asyncAfter(0.060, [&] { order.push_back("late"); });
    auto early = queue.asyncAfter(0.010, [&] { order.push_back("early"); });
    ASSERT_TRUE(iterateUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"early", "late"}));
    EXPECT_FALSE(early->isCancelled());
}

TEST(GLibMainQueueCancellation, ItemsCancelledBeforeTheirDeadlineNeverRun)
{
    GLibMainQueue queue;
    bool cancelledAtOnceRan = false;
    bool cancelledByEarlierWorkRan = false;
    bool sentinelRan = false;
    auto atOnce = queue.asyncAfter(0.005, [&] { cancelledAtOnceRan = true; });
    auto victim = queue.asyncAfter(0.020, [&] { cancelledByEarlierWorkRan = true; });
    auto killer = queue.asyncAfter(0.001, [&] { victim->cancel(); });
    auto sentinel = queue.asyncAfter(0.040, [&] { sentinelRan = true; });
    atOnce->cancel();
    EXPECT_TRUE(atOnce->isCancelled());
    ASSERT_TRUE(iterateUntil([&] { return sentinelRan; }));
    EXPECT_FALSE(cancelledAtOnceRan);
    EXPECT_FALSE(cancelledByEarlierWorkRan);
    EXPECT_FALSE(killer->isCancelled());
}

TEST(GLibMainQueueCancellation, DroppedItemStillRunsAndCancellingAfterRunningIsHarmless)
{
    GLibMainQueue queue;
    int runs = 0;
    queue.asyncAfter(0.001, [&] { ++runs; });  // result dropped on purpose
    auto kept = queue.asyncAfter(0.002, [&] { ++runs; });
    ASSERT_TRUE(iterateUntil([&] { return runs == 2; }));
    kept->cancel();
    EXPECT_TRUE(kept->isCancelled());
    iterateReady();
    EXPECT_EQ(runs, 2);
}

TEST(GLibMainQueueCancellation, DestroyedQueueDropsItsPendingWork)
{
    bool ran = false;
    std::shared_ptr<platform::WorkItem> survivor;
    {
        GLibMainQueue queue;
        survivor = queue.asyncAfter(0.001, [&] { ran = true; });
        queue.async([&] { ran = true; });
    }
    bool sentinel = false;
    GLibMainQueue other;
    auto item = other.asyncAfter(0.020, [&] { sentinel = true; });
    ASSERT_TRUE(iterateUntil([&] { return sentinel; }));
    EXPECT_FALSE(ran);
    survivor->cancel();  // the item outlives its queue safely
}

TEST(GLibMainQueueRepeating, TimerFiresRepeatedlyAndStopsAfterInvalidate)
{
    GLibMainQueue queue;
    int fired = 0;
    auto timer = queue.scheduleRepeating(0.002, [&] { ++fired; });
    ASSERT_TRUE(iterateUntil([&] { return fired == 3; }));
    timer->invalidate();
    bool sentinel = false;
    auto item = queue.asyncAfter(0.030, [&] { sentinel = true; });
    ASSERT_TRUE(iterateUntil([&] { return sentinel; }));
    EXPECT_EQ(fired, 3);
}

TEST(GLibMainQueueRepeating, TimerCanInvalidateItselfAndDestroyingItStopsIt)
{
    GLibMainQueue queue;
    int selfStopping = 0;
    std::unique_ptr<platform::RepeatingTimer> timer;
    timer = queue.scheduleRepeating(0.001, [&] {
        if (++selfStopping == 2) timer.reset();  // destroyed from inside its own firing
    });
    int dropped = 0;
    queue.scheduleRepeating(0.001, [&] { ++dropped; });  // destroyed at once
    bool sentinel = false;
    auto item = queue.asyncAfter(0.030, [&] { sentinel = true; });
    ASSERT_TRUE(iterateUntil([&] { return sentinel; }));
    EXPECT_EQ(selfStopping, 2);
    EXPECT_EQ(dropped, 0);
}

}  // namespace
}  // namespace quorvel::linux_backend
