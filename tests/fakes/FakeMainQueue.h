#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/MainQueue.h"

namespace quorvel::testing {

// A main queue on virtual time. Nothing runs until the test drains or advances it;
// due work runs in deadline order (submission order among equal deadlines).
// `async` may be called from any thread; everything else from the test's thread.
class FakeMainQueue final : public platform::MainQueue {
public:
    void async(platform::Task task) override;
    std::shared_ptr<platform::WorkItem> asyncAfter(double delaySeconds, platform::Task task) override;
    void startMainTask(platform::Task task) override;
    std::unique_ptr<platform::RepeatingTimer> scheduleRepeating(double intervalSeconds, platform::Task task) override;

    double now() const { return now_; }
    // Runs everything due now, including work that becomes due while running.
    void drain();
    // Moves virtual time forward, running each due item at its own deadline.
    void advance(double seconds);
    // Number of scheduled items that are neither cancelled nor run.
    std::size_t pendingScheduledCount() const;

private:
    struct Entry {
        platform::Task task;
        std::shared_ptr<platform::WorkItem> item;  // null for plain tasks
    };
    struct Key {
        double deadline;
        std::uint64_t sequence;
        bool operator<(const Key& other) const
        {
            return deadline < other.deadline || (deadline == other.deadline && sequence < other.sequence);
        }
    };
    void schedule(double deadline, Entry entry);
    bool runOneDue(double until);

    double now_ = 0;
    std::uint64_t sequence_ = 0;
    std::map<Key, Entry> scheduled_;
    mutable std::mutex incomingMutex_;
    std::vector<platform::Task> incoming_;  // async submissions from any thread
};

}  // namespace quorvel::testing
