#pragma once

#include <glib.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/linux/GLibHandles.h"

struct wl_display;

namespace quorvel::linux_backend {

// One client connection to a Wayland compositor, dispatched on a GLib main context.
// Reading follows libwayland's prepare/read protocol so that nobody else's read of the
// same display is disturbed; a connection that died (or that its owner retired) is no
// longer watched, since its dead socket would stay readable and spin the loop.
class WaylandDisplaySource {
public:
    // Nothing when no compositor answers. An empty name means the session's WAYLAND_DISPLAY.
    static std::unique_ptr<WaylandDisplaySource> connect(const std::string& displayName);
    ~WaylandDisplaySource();
    WaylandDisplaySource(const WaylandDisplaySource&) = delete;
    WaylandDisplaySource& operator=(const WaylandDisplaySource&) = delete;

    wl_display* display() const { return display_.get(); }

    // Starts dispatching incoming events on `context` (once).
    void attach(GMainContext* context);
    // The owner has no more use for the connection (the compositor finished its
    // protocol): nothing is dispatched from now on.
    void retire() { retired_ = true; }
    bool broken() const;

    // Dispatches every event the compositor sent before it answers a sync; false when
    // the answer did not come within `timeout` or the connection broke.
    bool roundtrip(std::chrono::milliseconds timeout);
    // Sends what is queued; false when the socket takes nothing more before `deadline`.
    bool flushBefore(std::chrono::steady_clock::time_point deadline);

private:
    struct DisplayDeleter {
        void operator()(wl_display* display) const;
    };
    struct Watch;

    WaylandDisplaySource() = default;
    void cancelPreparedRead();

    std::unique_ptr<wl_display, DisplayDeleter> display_;
    AttachedSource watch_;
    bool retired_ = false;
};

}  // namespace quorvel::linux_backend
