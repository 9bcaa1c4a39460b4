#pragma once

#include <functional>
#include <memory>

namespace quorvel::platform {

using Task = std::function<void()>;

// A cancellable piece of delayed work on the main queue.
class WorkItem {
public:
    virtual ~WorkItem() = default;
    // Prevents the work from running if it has not started; harmless afterwards.
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};

// A repeating timer on the main loop; it fires until invalidated or destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    virtual void invalidate() = 0;
};

// The serial queue of the main thread. Delays are in seconds on a monotonic clock.
class MainQueue {
public:
    virtual ~MainQueue() = default;

    // Runs `task` on the main thread later, in submission order. Safe from any thread.
    virtual void async(Task task) = 0;

    // Runs `task` on the main thread `delaySeconds` from now unless the item is
    // cancelled first. Main thread only.
    virtual std::shared_ptr<WorkItem> asyncAfter(double delaySeconds, Task task) = 0;

    // Starts a task bound to the main thread: it runs after the current work
    // returns. Cancelling the work item that started it no longer stops it.
    virtual void startMainTask(Task task) = 0;

    // Fires `task` every `intervalSeconds` on the main thread. Main thread only.
    virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds, Task task) = 0;
};

}  // namespace quorvel::platform
