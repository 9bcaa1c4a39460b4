#pragma once

#include "helper/actions/ActionServices.h"
#include "helper/monitor/MonitorServices.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"

namespace quorvel {

// Every platform service the agent calls on, chosen once at the process entry.
struct HelperServices {
    MonitorServices monitor;
    ActionServices actions;
    platform::MainQueue& mainQueue;
    platform::LogSink& logSink;
};

}  // namespace quorvel
