#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "helper/runner/HelperRunner.h"
#include "platform/AgentStatus.h"
#include "platform/MainQueue.h"
#include "platform/WallClock.h"

namespace quorvel {

// Hands the state the runner and its monitor publish to an export, outside the process:
// at once when made, then after every change. Changes made in one turn of the main queue
// (a gesture changes three properties) go out together, once that turn is over. Lives as
// long as the runner; main thread only.
class AgentStatusPublication {
public:
    AgentStatusPublication(const HelperRunner& runner, platform::AgentStatusExport& destination,
                           platform::MainQueue& mainQueue, platform::WallClock& wallClock);
    AgentStatusPublication(const AgentStatusPublication&) = delete;
    AgentStatusPublication& operator=(const AgentStatusPublication&) = delete;

    // The state as of now.
    platform::AgentStatus current() const;

private:
    void changed();

    const HelperRunner& runner_;
    platform::AgentStatusExport& destination_;
    platform::MainQueue& mainQueue_;
    platform::WallClock& wallClock_;
    std::optional<std::int64_t> lastGestureDeliveredAt_;  // microseconds since the epoch
    bool publishing_ = false;
    // The runner's subscriptions outlive this object; they hold it through this, weakly.
    std::shared_ptr<AgentStatusPublication*> lifetime_ = std::make_shared<AgentStatusPublication*>(this);
};

}  // namespace quorvel
