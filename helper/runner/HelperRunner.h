#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QuorvelCore/TrackpadCorner.h>
#include <QuorvelCore/TrackpadGesture.h>

#include "helper/configuration/AppConfiguration.h"
#include "helper/configuration/ConfigurationInForce.h"
#include "helper/monitor/TrackpadMonitorService.h"
#include "helper/runner/HelperServices.h"
#include "helper/support/Published.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/UniqueFd.h"

namespace quorvel {

// The centre of the agent: one per user (a file lock), owns the trackpad monitor and
// the configuration in force, follows the configuration file by polling it, and turns
// each recognised gesture into its assigned action. Main thread only.
class HelperRunner {
public:
    static constexpr double configurationPollInterval = 0.5;

    explicit HelperRunner(const HelperServices& services);
    HelperRunner(const HelperRunner&) = delete;
    HelperRunner& operator=(const HelperRunner&) = delete;
    ~HelperRunner();

    // Why a start was refused.
    enum class StartRefusal {
        anotherHelperRunning,  // the lock is held elsewhere: this agent is not needed
        lockUnusable,          // the support folder or the lock file could not be used
    };

    // True when the agent runs; false when another agent holds the lock or the lock
    // file was not usable (`startRefusal` tells which).
    bool start();
    std::optional<StartRefusal> startRefusal() const { return startRefusal_; }

    // Reads the configuration file and applies it now, changed or not (on request: a
    // signal, a message). Does nothing before the runner has started.
    void reloadNow();

    const TrackpadMonitorService& monitor() const { return *monitor_; }
    const AppConfiguration& configuration() const { return configuration_; }
    const std::optional<std::vector<std::uint8_t>>& configurationData() const { return configurationData_; }
    // Which configuration is in force and why (its file, or the default and the reason).
    const Published<ConfigurationInForce>& configurationInForce() const { return configurationInForce_; }
    // Whether the "suppress-actions" marker exists, as of the last poll (each action tests it anew).
    const Published<bool>& actionsSuppressed() const { return actionsSuppressed_; }

private:
    friend struct HelperRunnerProbe;  // tests

    std::optional<StartRefusal> acquireSingleInstanceLock();
    void reloadConfiguration(bool force);
    void refreshActionsSuppressed();
    void logConfigurationChange(const ConfigurationInForce& before, bool contentChanged) const;
    bool shouldWaitForTripleTap(TrackpadCorner corner) const;
    void runAction(const TrackpadGesture& gesture);

    HelperServices services_;
    platform::Logger logger_;
    std::unique_ptr<TrackpadMonitorService> monitor_;
    AppConfiguration configuration_;
    std::optional<std::vector<std::uint8_t>> configurationData_;
    std::optional<FileReadFailure> configurationReadFailure_;  // why the last reload read no bytes
    Published<ConfigurationInForce> configurationInForce_;
    Published<bool> actionsSuppressed_{false};
    std::unique_ptr<platform::RepeatingTimer> configurationPollTimer_;
    // The lock lasts as long as the runner, which in the agent is the life of the process.
    platform::UniqueFd lockFile_;
    std::optional<StartRefusal> startRefusal_;

    // The monitor's hooks and the poll timer hold the runner through this, weakly.
    std::shared_ptr<HelperRunner*> lifetime_ = std::make_shared<HelperRunner*>(this);
};

}  // namespace quorvel
