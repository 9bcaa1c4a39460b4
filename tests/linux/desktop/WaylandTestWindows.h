#pragma once

#include <glib.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/desktop/WaylandDisplaySource.h"

struct wl_buffer;
struct wl_compositor;
struct wl_shm;
struct wl_shm_pool;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;

namespace quorvel::testing {

// The toplevel windows of a minimal xdg-shell client, each with an app id and a 1×1
// buffer so that the compositor maps it. The client answers the compositor whenever
// `context` runs.
class WaylandTestWindows {
public:
    // Nothing when the compositor cannot be reached or lacks xdg-shell.
    static std::unique_ptr<WaylandTestWindows> connect(GMainContext* context, const std::string& displayName);
    ~WaylandTestWindows();

    // Maps a new window; its number.
    std::size_t open(const std::string& appId);
    void close(std::size_t window);

    struct Window {
        wl_surface* surface = nullptr;
        xdg_surface* shellSurface = nullptr;
        xdg_toplevel* toplevel = nullptr;
        wl_buffer* buffer = nullptr;
    };

private:
    WaylandTestWindows() = default;
    bool roundtrip();

    std::unique_ptr<linux_backend::WaylandDisplaySource> display_;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* shell_ = nullptr;
    wl_shm_pool* pool_ = nullptr;
    std::vector<std::unique_ptr<Window>> windows_;
};

}  // namespace quorvel::testing
