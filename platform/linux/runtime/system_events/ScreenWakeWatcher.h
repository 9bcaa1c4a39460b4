#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>

#include "platform/linux/runtime/system_events/BusConnection.h"
#include "platform/linux/runtime/system_events/EdgeTrigger.h"
#include "platform/linux/runtime/system_events/SystemEventSink.h"

namespace quorvel::linux_backend {

// Watches the session bus for the screens waking ("screens wake"): a screensaver (the
// freedesktop or the GNOME one) turning inactive, or GNOME's display power-save mode
// returning to on.
class ScreenWakeWatcher {
public:
    ScreenWakeWatcher(std::optional<std::string> busAddress, SystemEventSink sink);

    // True once the bus and the current power-save mode have been looked up, found or not.
    bool settled() const { return settled_; }

private:
    void busOpened(bool connected);
    void screensaverChanged(GVariant* parameters);
    void displayPropertiesChanged(GVariant* parameters);

    SystemEventSink sink_;
    EdgeTrigger<gint32> powerOn_{0};  // Mutter's PowerSaveMode: 0 = on
    bool settled_ = false;
    BusConnection bus_;  // last: its callbacks use the members above
};

}  // namespace quorvel::linux_backend
