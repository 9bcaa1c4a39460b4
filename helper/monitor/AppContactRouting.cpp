#include "helper/monitor/AppContactRouting.h"

#include <mutex>
#include <utility>

#include "helper/monitor/RawTouchRecord.h"

namespace quorvel {

namespace {

// The one place of the process-wide routing state.
struct AppContactRouting {
    std::optional<ContactFrameSink> sink;  // main thread only
    std::mutex queueMutex;                 // guards `queue` and every submission through it
    platform::MainQueue* queue = nullptr;
};

AppContactRouting& routing()
{
    static AppContactRouting instance;
    return instance;
}

void deliverToSink(const ContactFrame& frame)
{
    if (auto& sink = routing().sink) (*sink)(frame);
}

}  // namespace

std::optional<ContactFrameSink>& appContactSink() { return routing().sink; }

void setAppContactQueue(platform::MainQueue* queue)
{
    std::lock_guard lock(routing().queueMutex);
    routing().queue = queue;
}

void clearAppContactQueue(platform::MainQueue* queue)
{
    std::lock_guard lock(routing().queueMutex);
    if (routing().queue == queue) routing().queue = nullptr;
}

void resetAppContactRouting()
{
    setAppContactQueue(nullptr);
    routing().sink.reset();
}

}  // namespace quorvel

extern "C" int appContactCallback(std::int32_t device, const void* touches, std::int32_t count, double timestamp,
                                  std::int32_t frame)
{
    using namespace quorvel;
    // The buffer belongs to the framework: everything is read before returning.
    ContactFrame contactFrame{device, frame, timestamp, decodeRawTouchRecords(touches, count)};
    auto& state = routing();
    // Submitting under the lock keeps the queue alive for the submission even if the
    // monitor stops on the main thread meanwhile.
    std::lock_guard lock(state.queueMutex);
    if (state.queue != nullptr) {
        state.queue->async([contactFrame = std::move(contactFrame)] { deliverToSink(contactFrame); });
    }
    return 0;
}
