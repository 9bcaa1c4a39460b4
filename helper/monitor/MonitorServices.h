#pragma once

#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/MultitouchFramework.h"
#include "platform/SystemEvents.h"
#include "platform/Uuid.h"
#include "platform/WallClock.h"

namespace quorvel {

// The platform services the trackpad monitor calls on. They outlive the monitor.
struct MonitorServices {
    platform::MainQueue& mainQueue;
    platform::WallClock& wallClock;
    platform::LogSink& logSink;
    platform::UuidSource& uuids;
    platform::SystemEventObservers& systemEvents;
    platform::MultitouchFramework& multitouch;
};

}  // namespace quorvel
