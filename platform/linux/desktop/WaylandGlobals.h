#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::linux_backend {

// The interfaces a Wayland compositor offers to its clients (its globals, e.g.
// "zwlr_foreign_toplevel_manager_v1"), in the order announced; nothing when no compositor
// answers. An empty name means the session's WAYLAND_DISPLAY.
std::optional<std::vector<std::string>> waylandGlobals(const std::string& displayName = {});

}  // namespace quorvel::linux_backend
