#include "helper/runner/AgentStatusPublication.h"

#include <cmath>

namespace quorvel {

namespace {

const char* sourceName(ConfigurationInForce::Source source)
{
    switch (source) {
    case ConfigurationInForce::Source::file: return "file";
    case ConfigurationInForce::Source::defaultWithoutFile: return "defaultWithoutFile";
    case ConfigurationInForce::Source::defaultForUnusableFile: return "defaultForUnusableFile";
    }
    return "defaultWithoutFile";
}

// The pattern as the configuration names its slots.
const char* patternName(TapPattern pattern) { return pattern == TapPattern::tripleTap ? "tripleTap" : "doubleTap"; }

}  // namespace

AgentStatusPublication::AgentStatusPublication(const HelperRunner& runner, platform::AgentStatusExport& destination,
                                               platform::MainQueue& mainQueue, platform::WallClock& wallClock)
    : runner_(runner), destination_(destination), mainQueue_(mainQueue), wallClock_(wallClock)
{
    std::weak_ptr<AgentStatusPublication*> weak = lifetime_;
    const auto onChange = [weak](const auto&) {
        if (auto self = weak.lock()) (*self)->changed();
    };
    const TrackpadMonitorService& monitor = runner.monitor();
    monitor.isRunning().subscribeWillChange(onChange);
    monitor.statusMessage().subscribeWillChange(onChange);
    monitor.gestureEventID().subscribeWillChange(onChange);
    monitor.watchedTouchpads().subscribeWillChange(onChange);
    runner.configurationInForce().subscribeWillChange(onChange);
    runner.actionsSuppressed().subscribeWillChange(onChange);
    // The moment a gesture is recorded is the moment it is delivered.
    monitor.lastGesture().subscribeWillChange([weak](const std::optional<TrackpadGesture>&) {
        auto self = weak.lock();
        if (!self) return;
        (*self)->lastGestureDeliveredAt_ = std::llround((*self)->wallClock_.now() * 1e6);
        (*self)->changed();
    });
    destination_.publish(current());
}

platform::AgentStatus AgentStatusPublication::current() const
{
    const TrackpadMonitorService& monitor = runner_.monitor();
    const ConfigurationInForce& inForce = runner_.configurationInForce();
    platform::AgentStatus status;
    status.isRunning = monitor.isRunning();
    status.statusMessage = monitor.statusMessage();
    if (const auto& gesture = monitor.lastGesture().get()) {
        status.lastGesture = platform::PublishedGesture{std::string(gesture->corner.rawValue()),
                                                        patternName(gesture->pattern),
                                                        lastGestureDeliveredAt_.value_or(0)};
    }
    status.gestureEventID = monitor.gestureEventID().get().toString();
    status.configurationFile = inForce.file.string();
    status.configurationInForce = sourceName(inForce.source);
    status.configurationProblem = inForce.problem;
    status.touchpads = monitor.watchedTouchpads();
    status.actionsSuppressed = runner_.actionsSuppressed();
    return status;
}

// Subscribers hear of a change before it is made: the state is read once the turn is over.
void AgentStatusPublication::changed()
{
    if (publishing_) return;
    publishing_ = true;
    mainQueue_.async([weak = std::weak_ptr<AgentStatusPublication*>(lifetime_)] {
        auto self = weak.lock();
        if (!self) return;
        (*self)->publishing_ = false;
        (*self)->destination_.publish((*self)->current());
    });
}

}  // namespace quorvel
