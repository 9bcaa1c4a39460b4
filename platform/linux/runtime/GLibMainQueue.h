#pragma once

#include <glib.h>

#include <memory>

#include "platform/MainQueue.h"

namespace quorvel::linux_backend {

// The main queue on a GLib main context (the default one unless told otherwise).
//
// Construct, destroy and call everything except `async` on the thread that iterates the
// context. `async` is safe from any thread while the queue exists. Destroying the queue
// drops the work it still holds: queued tasks, pending delayed items and timers never run.
class GLibMainQueue final : public platform::MainQueue {
public:
    GLibMainQueue();
    explicit GLibMainQueue(GMainContext* context);
    ~GLibMainQueue() override;

    GLibMainQueue(const GLibMainQueue&) = delete;
    GLibMainQueue& operator=(const GLibMainQueue&) = delete;

    void async(platform::Task task) override;
    std::shared_ptr<platform::WorkItem> asyncAfter(double delaySeconds, platform::Task task) override;
    void startMainTask(platform::Task task) override;
    std::unique_ptr<platform::RepeatingTimer> scheduleRepeating(double intervalSeconds,
                                                                platform::Task task) override;

    GMainContext* context() const { return context_; }

    struct Incoming;
    struct SourceTracker;

private:
    GMainContext* context_;
    std::unique_ptr<Incoming> incoming_;
    std::shared_ptr<SourceTracker> tracker_;
};

}  // namespace quorvel::linux_backend
