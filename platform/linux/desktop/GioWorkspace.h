#pragma once

#include <memory>

#include "platform/Workspace.h"
#include "platform/linux/desktop/RunningApplicationSource.h"

namespace quorvel::linux_backend {

// The desktop's application and URL services through GIO. An application's
// identifier is its desktop-file ID without ".desktop" and its location is the path
// of its .desktop file. The system browser's identifier stands for the user's https
// handler, the search launcher's for the desktop's launcher where one is installed.
class GioWorkspace final : public platform::Workspace {
public:
    // `running` may be null: the session then offers no view of running applications.
    explicit GioWorkspace(std::unique_ptr<RunningApplicationSource> running);

    std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) override;
    void openApplication(const std::string& applicationLocation) override;
    std::optional<std::string> parseURL(const std::string& text) override;
    bool openURL(const std::string& url) override;
    std::optional<platform::RunningApplication> frontmostApplication() override;
    std::vector<platform::RunningApplication> runningApplications() override;
    platform::ObserverToken observeApplicationActivation(
        std::function<void(const std::optional<platform::RunningApplication>&)> callback) override;
    // Nothing: the agent has no desktop entry and no windows, so it is never an
    // application the desktop reports.
    std::optional<std::string> ownBundleIdentifier() override;

private:
    std::unique_ptr<RunningApplicationSource> running_;
    std::uint64_t nextToken_ = 1;
};

}  // namespace quorvel::linux_backend
