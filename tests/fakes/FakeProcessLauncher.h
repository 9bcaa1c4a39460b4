#pragma once

#include "platform/ProcessLauncher.h"

namespace quorvel::testing {

struct LaunchRequest {
    std::string executablePath;
    std::vector<std::string> arguments;
    friend bool operator==(const LaunchRequest&, const LaunchRequest&) = default;
};

// Records launch requests; `canLaunch` false makes every launch fail.
class FakeProcessLauncher final : public platform::ProcessLauncher {
public:
    bool canLaunch = true;
    std::vector<LaunchRequest> launches;

    bool launch(const std::string& executablePath, const std::vector<std::string>& arguments) override
    {
        launches.push_back({executablePath, arguments});
        return canLaunch;
    }
};

}  // namespace quorvel::testing
