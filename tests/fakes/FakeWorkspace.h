#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Workspace.h"

namespace quorvel::testing {

// A scripted workspace that records what it was asked to open. The front
// application does not change by itself: tests set it.
class FakeWorkspace final : public platform::Workspace {
public:
    std::map<std::string, std::string> applications;  // bundle identifier → location
    std::set<std::string> unparsableTexts;            // texts the URL parser rejects
    std::optional<platform::RunningApplication> front;
    std::vector<platform::RunningApplication> running;
    std::optional<std::string> ownIdentifier;

    std::vector<std::string> applicationLookups;
    std::vector<std::string> openedApplications;
    std::vector<std::string> parsedTexts;
    std::vector<std::string> openedURLs;
    std::vector<std::function<void(const std::optional<platform::RunningApplication>&)>> activationObservers;

    std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) override
    {
        applicationLookups.push_back(bundleIdentifier);
        const auto found = applications.find(bundleIdentifier);
        return found == applications.end() ? std::nullopt : std::optional(found->second);
    }
    void openApplication(const std::string& applicationLocation) override
    {
        openedApplications.push_back(applicationLocation);
    }
    std::optional<std::string> parseURL(const std::string& text) override
    {
        parsedTexts.push_back(text);
        return unparsableTexts.contains(text) ? std::nullopt : std::optional(text);
    }
    bool openURL(const std::string& url) override
    {
        openedURLs.push_back(url);
        return true;
    }
    std::optional<platform::RunningApplication> frontmostApplication() override { return front; }
    std::vector<platform::RunningApplication> runningApplications() override { return running; }
    platform::ObserverToken observeApplicationActivation(
        std::function<void(const std::optional<platform::RunningApplication>&)> callback) override
    {
        activationObservers.push_back(std::move(callback));
        return platform::ObserverToken{activationObservers.size()};
    }
    std::optional<std::string> ownBundleIdentifier() override { return ownIdentifier; }

    // Delivers an activation notification to every observer, as the desktop would.
    void notifyActivation(const std::optional<platform::RunningApplication>& application)
    {
        for (const auto& observer : activationObservers) observer(application);
    }
    void notifyActivationOf(const std::string& bundleIdentifier)
    {
        notifyActivation(platform::RunningApplication{bundleIdentifier, platform::ActivationPolicy::regular});
    }
};

}  // namespace quorvel::testing
