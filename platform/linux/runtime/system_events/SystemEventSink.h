#pragma once

#include <functional>

#include "platform/SystemEvents.h"

namespace quorvel::linux_backend {

// How a watcher reports the system events it recognised, on the main context.
using SystemEventSink = std::function<void(platform::SystemEvent)>;

}  // namespace quorvel::linux_backend
