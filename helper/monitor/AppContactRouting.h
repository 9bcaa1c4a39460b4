#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QuorvelCore/ContactFrame.h>

#include "platform/MainQueue.h"

// How frames get from the framework's thread to the monitor. The framework callback
// carries no context pointer, so the way back is process-wide: the main queue that
// frames are submitted to (any thread) and the sink that receives them there (main
// thread). A process has one monitor, which sets both when it starts.

namespace quorvel {

using ContactFrameSink = std::function<void(const ContactFrame&)>;

// The process's frame sink. Read and written on the main thread only; looked up when
// a frame's block runs, so a frame in flight when the sink is cleared is dropped.
std::optional<ContactFrameSink>& appContactSink();

// The main queue the callback submits frames to; null drops frames at the callback.
// Safe against a callback running on another thread: once this returns, no callback
// uses the previous queue any more.
void setAppContactQueue(platform::MainQueue* queue);
// Clears the queue only if it is still `queue`.
void clearAppContactQueue(platform::MainQueue* queue);

// Forgets the sink and the queue (tests start from a clean process state).
void resetAppContactRouting();

}  // namespace quorvel

// The frame callback registered with every device; called by the framework on its own
// thread. Copies the records into a ContactFrame and submits it to the main queue.
// Always returns 0.
extern "C" int appContactCallback(std::int32_t device, const void* touches, std::int32_t count, double timestamp,
                                  std::int32_t frame);
