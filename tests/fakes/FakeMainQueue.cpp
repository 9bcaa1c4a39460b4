#include "tests/fakes/FakeMainQueue.h"

#include <atomic>
#include <utility>

namespace quorvel::testing {

namespace {

class FakeWorkItem final : public platform::WorkItem {
public:
    void cancel() override { cancelled_ = true; }
    bool isCancelled() const override { return cancelled_; }

private:
    std::atomic<bool> cancelled_{false};
};

class FakeRepeatingTimer final : public platform::RepeatingTimer {
public:
    explicit FakeRepeatingTimer(std::shared_ptr<bool> valid) : valid_(std::move(valid)) {}
    ~FakeRepeatingTimer() override { *valid_ = false; }
    void invalidate() override { *valid_ = false; }

private:
    std::shared_ptr<bool> valid_;
};

}  // namespace

void FakeMainQueue::async(platform::Task task)
{
    std::lock_guard lock(incomingMutex_);
    incoming_.push_back(std::move(task));
}

std::shared_ptr<platform::WorkItem> FakeMainQueue::asyncAfter(double delaySeconds, platform::Task task)
{
    auto item = std::make_shared<FakeWorkItem>();
    schedule(now_ + (delaySeconds > 0 ? delaySeconds : 0), Entry{std::move(task), item});
    return item;
}

void FakeMainQueue::startMainTask(platform::Task task) { schedule(now_, Entry{std::move(task), nullptr}); }

std::unique_ptr<platform::RepeatingTimer> FakeMainQueue::scheduleRepeating(double intervalSeconds, platform::Task task)
{
    auto valid = std::make_shared<bool>(true);
    // Each firing runs the task and, while the timer is valid, arms the next one.
    auto fire = std::make_shared<std::function<void()>>();
    *fire = [this, valid, intervalSeconds, task = std::move(task), weakFire = std::weak_ptr(fire)] {
        if (!*valid) return;
        task();
        if (auto next = weakFire.lock(); next && *valid) {
            schedule(now_ + intervalSeconds, Entry{[next] { (*next)(); }, nullptr});
        }
    };
    schedule(now_ + intervalSeconds, Entry{[fire] { (*fire)(); }, nullptr});
    return std::make_unique<FakeRepeatingTimer>(valid);
}

void FakeMainQueue::schedule(double deadline, Entry entry)
{
    scheduled_.emplace(Key{deadline, sequence_++}, std::move(entry));
}

bool FakeMainQueue::runOneDue(double until)
{
    {
        std::vector<platform::Task> incoming;
        {
            std::lock_guard lock(incomingMutex_);
            incoming.swap(incoming_);
        }
        for (auto& task : incoming) schedule(now_, Entry{std::move(task), nullptr});
    }
    if (scheduled_.empty()) return false;
    auto first = scheduled_.begin();
    if (first->first.deadline > until) return false;
    Entry entry = std::move(first->second);
    if (first->first.deadline > now_) now_ = first->first.deadline;
    scheduled_.erase(first);
    if (entry.item && entry.item->isCancelled()) return true;
    entry.task();
    return true;
}

void FakeMainQueue::drain() { while (runOneDue(now_)) {} }

void FakeMainQueue::advance(double seconds)
{
    const double until = now_ + seconds;
    while (runOneDue(until)) {}
    now_ = until;
}

std::size_t FakeMainQueue::pendingScheduledCount() const
{
    std::size_t count = 0;
    for (const auto& [key, entry] : scheduled_) {
        if (!entry.item || !entry.item->isCancelled()) ++count;
    }
    return count;
}

}  // namespace quorvel::testing
