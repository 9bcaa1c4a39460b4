#include "platform/linux/runtime/GLibMainQueue.h"

#include <atomic>
#include <cmath>
#include <deque>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quorvel::linux_backend {

// Tasks handed over by `async`, in submission order. One persistent source drains them, so
// the hand-over is guarded by our own mutex (visible to thread sanitizers) and the order
// never depends on how GLib sorts many sources of equal priority.
struct GLibMainQueue::Incoming {
    std::mutex mutex;
    std::deque<platform::Task> tasks;
    GSource* source = nullptr;

    bool hasTasks()
    {
        std::lock_guard lock(mutex);
        return !tasks.empty();
    }
};

// The delayed items and timers still attached, so the queue can take them down with it.
struct GLibMainQueue::SourceTracker {
    std::mutex mutex;
    std::unordered_set<GSource*> live;
};

namespace {

struct IncomingSource {
    GSource base;
    GLibMainQueue::Incoming* incoming;
};

IncomingSource* asIncoming(GSource* source) { return reinterpret_cast<IncomingSource*>(source); }

gboolean incomingPrepare(GSource* source, gint* timeout)
{
    *timeout = -1;
    return asIncoming(source)->incoming->hasTasks();
}

gboolean incomingCheck(GSource* source) { return asIncoming(source)->incoming->hasTasks(); }

gboolean incomingDispatch(GSource* source, GSourceFunc, gpointer)
{
    auto* incoming = asIncoming(source)->incoming;
    std::deque<platform::Task> batch;
    {
        std::lock_guard lock(incoming->mutex);
        batch.swap(incoming->tasks);
    }
    // Work submitted while this batch runs waits for the next dispatch: it runs after the
    // current task has returned.
    for (auto& task : batch) task();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs incomingFuncs = {incomingPrepare, incomingCheck, incomingDispatch, nullptr, nullptr, nullptr};

// What a delayed item or timer shares with its source. The source's callback data keeps it
// alive until the source is destroyed; it keeps the source allocated for `cancel`.
struct ScheduledState {
    ScheduledState(platform::Task work, GSource* attached, std::weak_ptr<GLibMainQueue::SourceTracker> owner)
        : task(std::move(work)), source(attached), tracker(std::move(owner))
    {
    }
    ~ScheduledState() { g_source_unref(source); }
    ScheduledState(const ScheduledState&) = delete;
    ScheduledState& operator=(const ScheduledState&) = delete;

    void stop()
    {
        stopped = true;
        if (!g_source_is_destroyed(source)) g_source_destroy(source);
    }

    platform::Task task;
    GSource* source;
    std::weak_ptr<GLibMainQueue::SourceTracker> tracker;
    std::atomic<bool> stopped{false};
};

using StateHolder = std::shared_ptr<ScheduledState>;

void releaseHolder(gpointer data)
{
    auto* holder = static_cast<StateHolder*>(data);
    if (auto tracker = (*holder)->tracker.lock()) {
        std::lock_guard lock(tracker->mutex);
        tracker->live.erase((*holder)->source);
    }
    delete holder;
}

gboolean fireOnce(gpointer data)
{
    StateHolder state = *static_cast<StateHolder*>(data);
    if (!state->stopped.exchange(true)) state->task();
    return G_SOURCE_REMOVE;
}

gboolean fireRepeating(gpointer data)
{
    StateHolder state = *static_cast<StateHolder*>(data);
    if (state->stopped) return G_SOURCE_REMOVE;
    state->task();
    return state->stopped ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

// Whole milliseconds, rounded up so that work never runs before its delay.
guint delayMilliseconds(double seconds)
{
    if (!(seconds > 0)) return 0;
    const double milliseconds = std::ceil(seconds * 1000.0);
    if (milliseconds >= static_cast<double>(G_MAXUINT)) return G_MAXUINT;
    return static_cast<guint>(milliseconds);
}

StateHolder attachTimeout(GMainContext* context, const std::shared_ptr<GLibMainQueue::SourceTracker>& tracker,
                          double seconds, platform::Task task, GSourceFunc fire)
{
    GSource* source = g_timeout_source_new(delayMilliseconds(seconds));
    auto state = std::make_shared<ScheduledState>(std::move(task), source, tracker);
    g_source_set_callback(source, fire, new StateHolder(state), releaseHolder);
    {
        std::lock_guard lock(tracker->mutex);
        tracker->live.insert(source);
    }
    g_source_attach(source, context);
    return state;
}

class GLibWorkItem final : public platform::WorkItem {
public:
    explicit GLibWorkItem(StateHolder state) : state_(std::move(state)) {}
    void cancel() override
    {
        cancelled_ = true;
        state_->stop();
    }
    bool isCancelled() const override { return cancelled_; }

private:
    StateHolder state_;
    std::atomic<bool> cancelled_{false};
};

class GLibRepeatingTimer final : public platform::RepeatingTimer {
public:
    explicit GLibRepeatingTimer(StateHolder state) : state_(std::move(state)) {}
    ~GLibRepeatingTimer() override { state_->stop(); }
    GLibRepeatingTimer(const GLibRepeatingTimer&) = delete;
    GLibRepeatingTimer& operator=(const GLibRepeatingTimer&) = delete;
    void invalidate() override { state_->stop(); }

private:
    StateHolder state_;
};

}  // namespace

GLibMainQueue::GLibMainQueue() : GLibMainQueue(g_main_context_default()) {}

GLibMainQueue::GLibMainQueue(GMainContext* context)
    : context_(g_main_context_ref(context)),
      incoming_(std::make_unique<Incoming>()),
      tracker_(std::make_shared<SourceTracker>())
{
    GSource* source = g_source_new(&incomingFuncs, sizeof(IncomingSource));
    asIncoming(source)->incoming = incoming_.get();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_name(source, "quorvel main queue");
    incoming_->source = source;
    g_source_attach(source, context_);
}

GLibMainQueue::~GLibMainQueue()
{
    std::unordered_set<GSource*> live;
    {
        std::lock_guard lock(tracker_->mutex);
        live.swap(tracker_->live);
    }
    for (GSource* source : live) g_source_destroy(source);
    g_source_destroy(incoming_->source);
    g_source_unref(incoming_->source);
    g_main_context_unref(context_);
}

void GLibMainQueue::async(platform::Task task)
{
    {
        std::lock_guard lock(incoming_->mutex);
        incoming_->tasks.push_back(std::move(task));
    }
    g_main_context_wakeup(context_);
}

std::shared_ptr<platform::WorkItem> GLibMainQueue::asyncAfter(double delaySeconds, platform::Task task)
{
    return std::make_shared<GLibWorkItem>(attachTimeout(context_, tracker_, delaySeconds, std::move(task), fireOnce));
}

void GLibMainQueue::startMainTask(platform::Task task) { async(std::move(task)); }

std::unique_ptr<platform::RepeatingTimer> GLibMainQueue::scheduleRepeating(double intervalSeconds, platform::Task task)
{
    return std::make_unique<GLibRepeatingTimer>(
        attachTimeout(context_, tracker_, intervalSeconds, std::move(task), fireRepeating));
}

}  // namespace quorvel::linux_backend
