// Rebinding the devices after the system may have stopped them: wake, screens wake,
// session activation, display changes, screen unlock and touchpad hotplug.
#include <algorithm>
#include <utility>

#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/TrackpadMonitorService.h"

namespace quorvel {

namespace {

constexpr double triggerDebounceSeconds = 0.9;

// Wait between restart attempt `attempt` and its check: min(a × 900, 4500) + 1000 ms.
double checkDelaySeconds(std::int64_t attempt)
{
    return static_cast<double>(std::min<std::int64_t>(attempt * 900, 4500) + 1000) / 1000.0;
}

}  // namespace

void TrackpadMonitorService::installWakeRecovery()
{
    if (!recoveryObservers_.empty()) return;
    // Device change is Linux's touchpad hotplug: a touchpad that comes back (or a new
    // one) is bound by the same restart.
    const std::pair<platform::SystemEvent, const char*> triggers[] = {
        {platform::SystemEvent::systemWake, "system wake"},
        {platform::SystemEvent::screensWake, "screens wake"},
        {platform::SystemEvent::sessionActive, "session active"},
        {platform::SystemEvent::displayChange, "display change"},
        {platform::SystemEvent::screenUnlock, "screen unlock"},
        {platform::SystemEvent::deviceChange, "device change"},
    };
    for (const auto& [event, reason] : triggers) {
        recoveryObservers_.push_back(systemEvents_.observe(
            event, startingMainTask(weakly([reason = std::string(reason)](TrackpadMonitorService& self) {
                self.scheduleRecoveryRestart(reason, triggerDebounceSeconds);
            }))));
    }
}

void TrackpadMonitorService::scheduleRecoveryRestart(const std::string& reason, double delaySeconds)
{
    if (pendingRestartWorkItem_) pendingRestartWorkItem_->cancel();
    const std::int64_t generation = ++recoveryGeneration_;
    recoveryStartedAt_ = wallClock_.now();
    const RecognizerConfiguration configuration = currentConfiguration_;
    statusMessage_ = "Refreshing trackpad monitor";
    logger_.info("Scheduling monitor refresh for %s", reason.c_str());
    pendingRestartWorkItem_ = mainQueue_.asyncAfter(
        delaySeconds, startingMainTask(weakly([configuration, reason, generation](TrackpadMonitorService& self) {
            self.restartForRecovery(configuration, reason, generation, 1);
        })));
}

void TrackpadMonitorService::restartForRecovery(const RecognizerConfiguration& configuration,
                                                const std::string& reason, std::int64_t generation,
                                                std::int64_t attempt)
{
    if (recoveryGeneration_ != generation) return;
    // The item now running (or already finished); nothing to cancel.
    pendingRestartWorkItem_.reset();
    appContactSink().reset();
    // A held double tap is not delivered across a restart.
    if (pendingFlushWorkItem_) {
        pendingFlushWorkItem_->cancel();
        pendingFlushWorkItem_.reset();
    }
    cleanupMultitouchResources();
    start(configuration);
    if (attempt >= recoveryAttemptLimit) {
        logger_.error("Monitor refresh attempts finished for %s", reason.c_str());
        return;
    }
    pendingRestartWorkItem_ = mainQueue_.asyncAfter(
        checkDelaySeconds(attempt),
        startingMainTask(weakly([configuration, reason, generation, attempt](TrackpadMonitorService& self) {
            self.checkRecovery(configuration, reason, generation, attempt);
        })));
}

void TrackpadMonitorService::checkRecovery(const RecognizerConfiguration& configuration, const std::string& reason,
                                           std::int64_t generation, std::int64_t attempt)
{
    if (recoveryGeneration_ != generation) return;
    if (receivedFrameSinceRecoveryStarted()) {
        logger_.info("Monitor refreshed after %s", reason.c_str());
        return;
    }
    statusMessage_ = "Refreshing trackpad monitor";
    logger_.info("No multitouch frames after %s; retrying refresh", reason.c_str());
    restartForRecovery(configuration, reason, generation, attempt + 1);
}

bool TrackpadMonitorService::receivedFrameSinceRecoveryStarted() const
{
    return recoveryStartedAt_ && lastFrameReceivedAt_ && *lastFrameReceivedAt_ >= *recoveryStartedAt_;
}

}  // namespace quorvel
