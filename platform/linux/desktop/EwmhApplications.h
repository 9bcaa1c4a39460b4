#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/linux/desktop/DesktopFileIdResolver.h"
#include "platform/linux/desktop/RunningApplicationSource.h"
#include "platform/linux/desktop/XConnection.h"

namespace quorvel::linux_backend {

// Front and running applications of an X11 session through the window manager's
// EWMH properties on the root window (_NET_ACTIVE_WINDOW, _NET_CLIENT_LIST), each
// window mapped to a desktop-file ID. Activations are seen as changes of
// _NET_ACTIVE_WINDOW, delivered on `context`.
class EwmhApplications final : public RunningApplicationSource {
public:
    // Nothing when no X server can be reached.
    static std::unique_ptr<EwmhApplications> connect(GMainContext* context, const std::string& displayName = {});

    std::optional<platform::RunningApplication> frontmostApplication() override;
    std::vector<platform::RunningApplication> runningApplications() override;
    bool activate(const std::string& bundleIdentifier) override;
    void observeApplicationActivation(
        std::function<void(const std::optional<platform::RunningApplication>&)> callback) override;

private:
    EwmhApplications(std::unique_ptr<XConnection> connection, GMainContext* context);
    Window activeWindow() const;
    platform::RunningApplication applicationOf(Window window);
    void handle(XEvent& event);

    std::unique_ptr<XConnection> connection_;
    DesktopFileIdResolver resolver_;
    std::unique_ptr<XEventWatch> watch_;
    std::vector<std::function<void(const std::optional<platform::RunningApplication>&)>> observers_;
    // The window and application reported last, so that a rewrite of the same value
    // or a switch between windows of one application is not an activation.
    Window lastActiveWindow_ = None;
    std::optional<platform::RunningApplication> lastActivated_;
};

}  // namespace quorvel::linux_backend
