#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace quorvel::linux_backend {

// The session bus the desktop runs, if any. A bus is never started for us (no autolaunch,
// as GLib would try without one): a service on a bus nobody else uses would reach no one.
inline std::optional<std::string> sessionBusAddress()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat status {};
        if (::stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) return "unix:path=" + socket;
    }
    return std::nullopt;
}

}  // namespace quorvel::linux_backend
