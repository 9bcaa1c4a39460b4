#pragma once

#include <string>
#include <vector>

namespace quorvel::platform {

// Starts a child process without a shell and without waiting for it.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // False when the process could not be started.
    virtual bool launch(const std::string& executablePath, const std::vector<std::string>& arguments) = 0;
};

}  // namespace quorvel::platform
