#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemEvents.h"

namespace quorvel::platform {

// How an application takes part in the desktop; only `regular` ones are switch targets.
enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The desktop's application and URL services. Application locations are opaque
// text (a bundle path on one desktop, a .desktop file path on another).
class Workspace {
public:
    virtual ~Workspace() = default;

    // Location of the application with this identifier, or nothing when unknown.
    virtual std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) = 0;
    // Launches the application, or brings it to the front when it runs. The
    // outcome is not reported.
    virtual void openApplication(const std::string& applicationLocation) = 0;
    // Parses text as a URL; nothing when the parser rejects it.
    virtual std::optional<std::string> parseURL(const std::string& text) = 0;
    // Opens a URL in its default handler; false when the desktop refused.
    virtual bool openURL(const std::string& url) = 0;

    // The front application; nothing when unknown. Its identifier may be absent.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // The running applications, in the desktop's order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // Calls back on the main thread for every application activation with the
    // activated application, or nothing when the notification carried none.
    virtual ObserverToken observeApplicationActivation(
        std::function<void(const std::optional<RunningApplication>&)> callback) = 0;
    // The agent's own application identifier, when it has one.
    virtual std::optional<std::string> ownBundleIdentifier() = 0;
};

}  // namespace quorvel::platform
