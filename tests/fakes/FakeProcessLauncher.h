#pragma once

#include "platform/ProcessLauncher.h"

namespace quorvel::testing {

struct LaunchRequest {
    std::string executablePath;
    std::vector<std::string> arguments;
    friend bool operator==(const LaunchRequest&, const LaunchRequest&) = default;
};

// Records launch requests; `canLaunch` false makes every launch fail. The exit handlers
// of started processes are kept, in launch order, for the test to call.
class FakeProcessLauncher final : public platform::ProcessLauncher {
public:
    bool canLaunch = true;
    std::vector<LaunchRequest> launches;
    std::vector<platform::ProcessExitHandler> exitHandlers;

    std::optional<std::string> launch(const std::string& executablePath, const std::vector<std::string>& arguments,
                                      platform::ProcessExitHandler onExit = {}) override
    {
        launches.push_back({executablePath, arguments});
        if (!canLaunch) return "cannot start processes here";
        exitHandlers.push_back(std::move(onExit));
        return std::nullopt;
    }
};

}  // namespace quorvel::testing
