#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Workspace.h"

namespace quorvel::linux_backend {

// The session's view of running applications and which one is in front. Absent on a
// session that offers no protocol for it.
class RunningApplicationSource {
public:
    virtual ~RunningApplicationSource() = default;
    virtual std::optional<platform::RunningApplication> frontmostApplication() = 0;
    virtual std::vector<platform::RunningApplication> runningApplications() = 0;
    // Asks the desktop to bring a window of the running application with this
    // desktop-file ID forward; false when none of its windows is known.
    virtual bool activate(const std::string& bundleIdentifier) = 0;
    // The callback runs on the main context for each activation.
    virtual void observeApplicationActivation(
        std::function<void(const std::optional<platform::RunningApplication>&)> callback) = 0;
};

}  // namespace quorvel::linux_backend
