#include "platform/linux/runtime/system_events/UeventClassification.h"

#include <string_view>

namespace quorvel::linux_backend {

std::optional<platform::SystemEvent> classifyUevent(const Uevent& event)
{
    if (event.subsystem == "drm") {
        // Connector hotplug and mode changes arrive as "change" of the card.
        if (event.action == "change") return platform::SystemEvent::displayChange;
        return std::nullopt;
    }
    if (event.subsystem == "input" && event.touchpad && (event.action == "add" || event.action == "remove")) {
        // One touchpad shows up as inputN, eventN and mouseN; only the event node is read
        // for contacts, so only it counts (once per touchpad).
        if (std::string_view(event.devnode).starts_with("/dev/input/event")) return platform::SystemEvent::deviceChange;
    }
    return std::nullopt;
}

}  // namespace quorvel::linux_backend
