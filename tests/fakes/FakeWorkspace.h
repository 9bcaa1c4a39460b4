#pragma once

#include <map>
#include <set>

#include "platform/Workspace.h"

namespace quorvel::testing {

// A scripted workspace that records what it was asked to open. The front application
// changes only when a test sets it.
class FakeWorkspace final : public platform::Workspace {
public:
    using Observer = std::function<void(const std::optional<platform::RunningApplication>&)>;

    std::map<std::string, std::string> applications;  // bundle identifier → location
    std::set<std::string> unparsableTexts;            // texts the URL parser rejects
    std::optional<platform::RunningApplication> front;
    std::vector<platform::RunningApplication> running;
    std::optional<std::string> ownIdentifier;
    bool refusesURLs = false;
    std::vector<std::string> openedApplications, parsedTexts, openedURLs;
    std::vector<Observer> activationObservers;

    std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) override
    {
        const auto found = applications.find(bundleIdentifier);
        return found == applications.end() ? std::nullopt : std::optional(found->second);
    }
    void openApplication(const std::string& location) override { openedApplications.push_back(location); }
    std::optional<std::string> parseURL(const std::string& text) override
    {
        parsedTexts.push_back(text);
        return unparsableTexts.contains(text) ? std::nullopt : std::optional(text);
    }
    bool openURL(const std::string& url) override
    {
        openedURLs.push_back(url);
        return !refusesURLs;
    }
    std::optional<platform::RunningApplication> frontmostApplication() override { return front; }
    std::vector<platform::RunningApplication> runningApplications() override { return running; }
    platform::ObserverToken observeApplicationActivation(Observer callback) override
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
    void notifyActivationOf(const std::string& id) { notifyActivation(platform::RunningApplication{id}); }
};

}  // namespace quorvel::testing
