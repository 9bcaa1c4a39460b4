#include "platform/linux/desktop/WaylandGlobals.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/linux/desktop/WaylandDisplaySource.h"

namespace quorvel::linux_backend {

namespace {

void announce(void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t)
{
    static_cast<std::vector<std::string>*>(data)->emplace_back(interface);
}

void withdraw(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener listener = {&announce, &withdraw};

}  // namespace

std::optional<std::vector<std::string>> waylandGlobals(const std::string& displayName)
{
    const auto display = WaylandDisplaySource::connect(displayName);
    if (!display) return std::nullopt;
    std::vector<std::string> interfaces;
    const std::unique_ptr<wl_registry, void (*)(wl_registry*)> registry(wl_display_get_registry(display->display()),
                                                                         &wl_registry_destroy);
    wl_registry_add_listener(registry.get(), &listener, &interfaces);
    if (!display->roundtrip(std::chrono::seconds(1))) return std::nullopt;
    return interfaces;
}

}  // namespace quorvel::linux_backend
