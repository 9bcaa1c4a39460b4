#pragma once

#include <glib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/GLibHandles.h"
#include "platform/linux/desktop/DesktopFileIdResolver.h"
#include "platform/linux/desktop/RunningApplicationSource.h"
#include "platform/linux/desktop/WaylandDisplaySource.h"

struct wl_seat;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace quorvel::linux_backend {

// Front and running applications of a Wayland session through wlroots' foreign-toplevel
// management (sway, Hyprland, labwc, Wayfire...): one handle per toplevel window, its
// app id mapped to a desktop-file ID. The front application is that of the activated
// toplevel; activations are seen as changes of it, delivered on `context`.
class WaylandToplevels final : public RunningApplicationSource {
public:
    // Nothing when no Wayland display can be reached, or it offers no seat or no
    // foreign-toplevel manager. An empty name means the session's WAYLAND_DISPLAY.
    static std::unique_ptr<WaylandToplevels> connect(GMainContext* context, const std::string& displayName = {});
    ~WaylandToplevels() override;
    WaylandToplevels(const WaylandToplevels&) = delete;
    WaylandToplevels& operator=(const WaylandToplevels&) = delete;

    std::optional<platform::RunningApplication> frontmostApplication() override;
    std::vector<platform::RunningApplication> runningApplications() override;
    bool activate(const std::string& bundleIdentifier) override;
    void observeApplicationActivation(
        std::function<void(const std::optional<platform::RunningApplication>&)> callback) override;

private:
    struct HandleDeleter {
        void operator()(zwlr_foreign_toplevel_handle_v1* handle) const;
    };
    struct SeatDeleter {
        void operator()(wl_seat* seat) const;
    };
    struct ManagerDeleter {
        void operator()(zwlr_foreign_toplevel_manager_v1* manager) const;
    };

    // A toplevel as of its last `done`; the pending values collect the events before it.
    struct Toplevel {
        std::unique_ptr<zwlr_foreign_toplevel_handle_v1, HandleDeleter> handle;
        WaylandToplevels* owner = nullptr;
        std::uint64_t serial = 0;  // tells toplevels apart over time, never reused
        std::optional<std::string> pendingAppId;
        bool pendingActivated = false;
        bool described = false;  // a first `done` came
        std::optional<std::string> appId;
        std::optional<std::string> bundleIdentifier;
        bool activated = false;
        std::uint64_t activatedAt = 0;  // the count of activations when it last came forward
    };

    struct Events;

    explicit WaylandToplevels(GMainContext* context);
    bool current();
    const Toplevel* activeToplevel() const;
    platform::RunningApplication applicationOf(const Toplevel& toplevel) const;

    void introduce(zwlr_foreign_toplevel_handle_v1* handle);
    void describe(Toplevel& toplevel);
    void close(Toplevel& toplevel);
    void finish();
    void frontMayHaveChanged();
    void announce(const platform::RunningApplication& application);
    void deliverAnnouncements();

    GMainContext* context_;
    DesktopFileIdResolver resolver_;
    std::unique_ptr<WaylandDisplaySource> display_;
    std::unique_ptr<wl_seat, SeatDeleter> seat_;
    std::unique_ptr<zwlr_foreign_toplevel_manager_v1, ManagerDeleter> manager_;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;  // in the order they appeared
    std::uint64_t serials_ = 0;
    std::uint64_t activations_ = 0;

    std::vector<std::function<void(const std::optional<platform::RunningApplication>&)>> observers_;
    // The toplevel and application reported last, so that a repeat of the same state or
    // a switch between windows of one application is not an activation.
    std::uint64_t lastActiveSerial_ = 0;
    std::optional<platform::RunningApplication> lastActivated_;
    // Activations wait here for the main context, even when a query saw them first.
    std::vector<platform::RunningApplication> announcements_;
    AttachedSource delivery_;
};

}  // namespace quorvel::linux_backend
