#include "tests/linux/desktop/WaylandTestWindows.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <cstring>

#include "xdg-shell-client-protocol.h"

namespace quorvel::testing {

namespace {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        globals->compositor =
            static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        globals->shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    }
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
constexpr wl_registry_listener registryListener = {&global, &globalRemove};

void ping(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }
constexpr xdg_wm_base_listener shellListener = {&ping};

void configure(void*, xdg_surface* surface, std::uint32_t serial) { xdg_surface_ack_configure(surface, serial); }
constexpr xdg_surface_listener surfaceListener = {&configure};

void destroy(WaylandTestWindows::Window& window)
{
    if (window.toplevel != nullptr) xdg_toplevel_destroy(window.toplevel);
    if (window.shellSurface != nullptr) xdg_surface_destroy(window.shellSurface);
    if (window.surface != nullptr) wl_surface_destroy(window.surface);
    if (window.buffer != nullptr) wl_buffer_destroy(window.buffer);
    window = {};
}

}  // namespace

std::unique_ptr<WaylandTestWindows> WaylandTestWindows::connect(GMainContext* context, const std::string& displayName)
{
    std::unique_ptr<WaylandTestWindows> windows(new WaylandTestWindows());
    windows->display_ = linux_backend::WaylandDisplaySource::connect(displayName);
    if (!windows->display_) return nullptr;
    Globals globals;
    wl_registry* registry = wl_display_get_registry(windows->display_->display());
    wl_registry_add_listener(registry, &registryListener, &globals);
    const bool answered = windows->roundtrip();
    wl_registry_destroy(registry);
    windows->compositor_ = globals.compositor;
    windows->shm_ = globals.shm;
    windows->shell_ = globals.shell;
    if (!answered || !globals.compositor || !globals.shm || !globals.shell) return nullptr;
    xdg_wm_base_add_listener(windows->shell_, &shellListener, nullptr);

    // One pixel's memory, shared by every window's buffer.
    const int fd = ::memfd_create("quorvel-test-window", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 4) != 0) return nullptr;
    windows->pool_ = wl_shm_create_pool(windows->shm_, fd, 4);
    ::close(fd);
    windows->display_->attach(context);
    return windows;
}

WaylandTestWindows::~WaylandTestWindows()
{
    for (const auto& window : windows_) destroy(*window);
    if (pool_ != nullptr) wl_shm_pool_destroy(pool_);
    if (shell_ != nullptr) xdg_wm_base_destroy(shell_);
    if (shm_ != nullptr) wl_shm_destroy(shm_);
    if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
}

bool WaylandTestWindows::roundtrip() { return display_->roundtrip(std::chrono::seconds(5)); }

std::size_t WaylandTestWindows::open(const std::string& appId)
{
    auto window = std::make_unique<Window>();
    window->surface = wl_compositor_create_surface(compositor_);
    window->shellSurface = xdg_wm_base_get_xdg_surface(shell_, window->surface);
    xdg_surface_add_listener(window->shellSurface, &surfaceListener, nullptr);
    window->toplevel = xdg_surface_get_toplevel(window->shellSurface);
    xdg_toplevel_set_app_id(window->toplevel, appId.c_str());
    // The first commit asks for a configure; the buffer may come only after its ack.
    wl_surface_commit(window->surface);
    roundtrip();
    window->buffer = wl_shm_pool_create_buffer(pool_, 0, 1, 1, 4, WL_SHM_FORMAT_ARGB8888);
    wl_surface_attach(window->surface, window->buffer, 0, 0);
    wl_surface_commit(window->surface);
    roundtrip();
    windows_.push_back(std::move(window));
    return windows_.size() - 1;
}

void WaylandTestWindows::close(std::size_t window)
{
    destroy(*windows_.at(window));
    roundtrip();
}

}  // namespace quorvel::testing
